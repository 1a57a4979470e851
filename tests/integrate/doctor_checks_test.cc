// The doctor's checks, a fresh home each, its state made by a shell script with the real
// commands, gsettings and fontconfig. The running Nemo and the shell that Nemo starts are in
// tests/cli/doctor_process_test.cc.
#include "integrate/doctor_checks.h"

#include <limits.h>
#include <stdlib.h>

#include <string>
#include <utility>
#include <vector>

#include "cli/cli_helpers.h"
#include "fonts/font_test_support.h"
#include "integrate/desktop_switch.h"

namespace {

// The folder of this test program, which check_program_on_path looks for on PATH.
std::string own_dir() {
  char self[PATH_MAX];
  const ssize_t length = readlink("/proc/self/exe", self, sizeof self - 1);
  const std::string path(self, static_cast<size_t>(length > 0 ? length : 0));
  return path.substr(0, path.rfind('/'));
}

// Ahead of every script: the default terminal profile's key, and a powerline font by hand.
const char kScriptTools[] =
    "set -e; profile() { gsettings set org.gnome.Terminal.ProfilesList default \"'p1'\"; gsettings "
    "set org.gnome.Terminal.Legacy.Profile:/org/gnome/terminal/legacy/profiles:/:p1/ \"$1\" "
    "\"$2\"; }\n"
    "meslo() { mkdir -p ~/.local/share/fonts/x; cp \"$FONTS/MesloLGS NF Regular.ttf\" "
    "~/.local/share/fonts/x; }\n"
    "tuned() { mkdir -p ~/prefix/bin; printf '#!/bin/sh\\n' >~/prefix/bin/nemo; chmod +x "
    "~/prefix/bin/nemo; }\n";

using Values = std::vector<std::pair<std::string, std::string>>;
const Values kPromptOn = {{"terminal.prompt_enabled", "true"}};
const Values kPowerlineAll = {{"terminal.prompt_enabled", "true"},
                              {"terminal.style", "powerline"},
                              {"terminal.scope", "all"}};
const Values kPathbarOn = {{"pathbar.enabled", "true"}};
const char kService[] = "@/.local/share/dbus-1/services/org.Nemo.service";
const char kGone[] = " starts @/prefix/bin/nemo, which does not exist or cannot run | ";

struct CheckCase {
  const char* name;
  void (*check)(Problems&);
  Values settings;                    // written to fennick.ini before the script runs
  const char* script;                 // sh, in the test's home; $FENNICK is the program
  std::vector<std::string> expected;  // "what | fix", the home written @, this folder %
  const char* login_shell = "/bin/sh";
  const char* path = nullptr;  // PATH during the check, written as expected is
};

const CheckCase kCases[] = {
    {"NoZshrcForZsh",
     check_shell_hooks,
     kPromptOn,
     "",
     {"@/.zshrc does not exist, so zsh, your login shell, never reads the prompt | touch ~/.zshrc "
      "&& fennick prompt-install"},
     "/usr/bin/zsh"},
    {"RcFilesWithoutOrWithAnOldHook",
     check_shell_hooks,
     kPromptOn,
     "echo 'alias ll=ls' >~/.bashrc; printf '# >>> fennick >>>\\n. /old\\n# <<< fennick <<<\\n' "
     ">~/.zshrc",
     {"@/.bashrc does not source the prompt script (no fennick hook) | fennick prompt-install",
      "@/.zshrc has a fennick hook that does not source @/config/prompt.sh | fennick "
      "prompt-install"}},
    {"GeneratedFilesOlderOrOther",
     check_generated_files,
     {},
     "\"$FENNICK\" apply; cd config; echo old >prompt.sh; touch -d 2000-01-01 prompt.sh; echo "
     ">fennick.css",
     {"@/config/prompt.sh is older than @/config/fennick.ini | fennick apply",
      "@/config/fennick.css is not what the settings make | fennick apply"}},
    {"PowerlineWithoutFont",
     check_prompt_font,
     kPowerlineAll,
     "",
     {"the powerline prompt needs a font with the powerline glyphs, and no installed font has "
      "them | fennick font install"}},
    {"ProfileOnTheSystemFont",
     check_prompt_font,
     kPowerlineAll,
     "meslo; profile font \"'MesloLGS NF 9'\"; profile use-system-font true",
     {"the default terminal profile's font, Monospace 11 (the system font), has no powerline "
      "glyphs | fennick font use"}},
    {"ProfileOnThePowerlineFont",
     check_prompt_font,
     kPowerlineAll,
     "meslo; profile font \"'MesloLGS NF Bold 9'\"; profile use-system-font false",
     {}},
    {"PathbarTunedNotDefault",
     check_pathbar_reader,
     kPathbarOn,
     "tuned",
     {"the path bar is customised, but the tuned Nemo that reads it is not the default and gtk.css "
      "does not import it for the stock Nemo | fennick enable, or fennick pathbar-install"}},
    {"HookWithThePromptOff",
     check_prompt_switch,
     {},
     ": >.zshrc; \"$FENNICK\" prompt-install",
     {"@/.bashrc and @/.zshrc source the prompt script, but the prompt is off "
      "(terminal.prompt_enabled is false) | fennick set terminal.prompt_enabled true, or fennick "
      "prompt-remove"}},
    {"PromptOffWithoutAHook", check_prompt_switch, {}, "echo 'alias ll=ls' >~/.bashrc", {}},
    {"ServicesOfAGoneNemo",
     check_dbus_services,
     {},
     "tuned; \"$FENNICK\" enable; rm ~/prefix/bin/nemo",
     {std::string(kService) + kGone + "fennick disable",
      "@/.local/share/dbus-1/services/org.freedesktop.FileManager1.service" + std::string(kGone) +
          "fennick disable"}},
    {"ServiceOfTheUser",
     check_dbus_services,
     {},
     "d=.local/share/dbus-1/services; mkdir -p $d; printf 'Exec=/no/nemo\\n' >$d/org.Nemo.service",
     {std::string(kService) + " starts /no/nemo, which does not exist or cannot run | rm " +
      kService}},
    {"AnotherProgramFirstOnPath",
     check_program_on_path,
     {},
     "tuned; mv ~/prefix/bin/nemo ~/prefix/bin/fennick_tests",
     {"fennick_tests on PATH is @/prefix/bin/fennick_tests, not this one in % | add this line to "
      "~/.profile, then log in again: export PATH=\"%:$PATH\""},
     "/bin/sh",
     "@/prefix/bin:%"},
    {"SettingsLinesNotUnderstood",
     check_settings_lines,
     {},
     "printf '[pathbar]\\r\\nshape=blob\\r\\nfoo\\n[no]\\nshape=pill\\n# kept\\n' "
     ">config/fennick.ini",
     {"@/config/fennick.ini line 2 holds no value that pathbar.shape takes: \"shape=blob\" | "
      "fennick set pathbar.shape VALUE  (one of: "
      "custom,square,soft,round,pill,tab,tab_bottom,leaf,leaf_reverse), or fennick reset "
      "pathbar.shape",
      "@/config/fennick.ini line 3 is not understood: \"foo\" | edit @/config/fennick.ini: correct "
      "or delete line 3",
      "@/config/fennick.ini line 5 is not understood: \"shape=pill\" | edit @/config/fennick.ini: "
      "correct or delete line 5"}},
    {"SidebarChangedWithoutTheExtension",
     check_sidebar_reader,
     {{"sidebar.stats_enabled", "false"}},
     "",
     {"sidebar settings are changed, but the stock Nemo shows them only through fennick's "
      "extension, which is not installed | fennick extension-install"}},
    {"ExtensionOfAnotherVersion",
     check_nemo_extension,
     {},
     "d=.local/share/nemo-python/extensions; mkdir -p $d; printf '# managed by fennick "
     "(fennick extension-remove removes this file)\\nold\\n' >$d/fennick.py",
     {"@/.local/share/nemo-python/extensions/fennick.py is fennick's Nemo extension of another "
      "version or for another fennick | fennick extension-install"}},
    {"TemporariesOfAKilledWrite",
     check_leftover_temporaries,
     {},
     "touch config/fennick.ini.tmp99999999 .bashrc.tmp99999999 notes.tmp99999999",
     {"@/config/fennick.ini.tmp99999999 is left from a write that was cut short | rm "
      "@/config/fennick.ini.tmp99999999",
      "@/.bashrc.tmp99999999 is left from a write that was cut short | rm @/.bashrc.tmp99999999"}},
};

void PrintTo(const CheckCase& row, std::ostream* out) {
  *out << row.name;
}

// The home folder and this folder written @ and %, in both directions.
std::string swapped(std::string text, const std::vector<std::pair<std::string, std::string>>& by) {
  for (const auto& [from, to] : by) {
    for (size_t at = text.find(from); at != std::string::npos; at = text.find(from, at + to.size()))
      text.replace(at, from.size(), to);
  }
  return text;
}

using DoctorCheckTest = FontHomeTest;
class DoctorCheckCaseTest : public DoctorCheckTest,
                            public ::testing::WithParamInterface<CheckCase> {};

TEST_P(DoctorCheckCaseTest, FindsWhatIsWrong) {
  const CheckCase& row = GetParam();
  const std::string shell = getenv("SHELL") ? getenv("SHELL") : "";
  make_dir(config());
  if (!row.settings.empty()) write_file(settings_file(), settings_text_with(row.settings));
  setenv("FENNICK", kFennickBinary, 1);
  setenv("FONTS", real_font_folder().c_str(), 1);
  const RunResult made = run_program(
      {"sh", "-c", std::string(kScriptTools) + "cd; { :; " + row.script + "\n} >/dev/null"});
  ASSERT_EQ(made.status, 0) << made.err;
  setenv("SHELL", row.login_shell, 1);
  if (row.path) setenv("PATH", swapped(row.path, {{"@", home()}, {"%", own_dir()}}).c_str(), 1);
  load_settings();
  const int32_t dropped = lines_a_rewrite_drops();
  Problems problems;
  row.check(problems);
  setenv("SHELL", shell.c_str(), 1);
  std::vector<std::string> found;
  for (const Problem& problem : problems)
    found.push_back(swapped(problem.what + " | " + problem.fix, {{home(), "@"}, {own_dir(), "%"}}));
  EXPECT_EQ(found, row.expected);
  EXPECT_EQ(lines_a_rewrite_drops(), dropped);
}

INSTANTIATE_TEST_SUITE_P(Checks, DoctorCheckCaseTest, ::testing::ValuesIn(kCases),
                         [](const auto& info) { return std::string(info.param.name); });

// The service files and the PATH line hold any folder name as the shell reads it back.
TEST_F(DoctorCheckTest, FolderNamesReadBackAsWritten) {
  for (const std::string prefix : {"/opt/pre fix", "/opt/it's", "/opt/back\\slash", "/opt/1%"}) {
    setenv("FENNICK_PREFIX", prefix.c_str(), 1);
    EXPECT_EQ(exec_program(dbus_service_text("org.Nemo")), prefix + "/bin/nemo");
    const RunResult echoed =
        run_program({"sh", "-c", path_export_line(prefix) + "; printf %s \"${PATH%%:*}\""});
    EXPECT_EQ(echoed.out, prefix);
  }
  EXPECT_EQ(path_export_line(home() + "/.local/bin"), "export PATH=\"$HOME/.local/bin:$PATH\"");
}

}  // namespace
