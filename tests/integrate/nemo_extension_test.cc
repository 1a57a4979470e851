// fennick's extension of the stock Nemo, as the commands manage it: the module written and taken
// out (only ours), the program's path in it for any folder name, the settings it reads through
// list --json, and the line after a change that says what shows it.
#include "integrate/nemo_extension.h"

#include <filesystem>

#include "cli/cli_helpers.h"
#include "settings/locations.h"

namespace {

using NemoExtensionTest = TempHomeTest;

// What Python makes of a text: the program's path in the module, or list --json as read back.
std::string python(const std::string& code, const std::string& input = "") {
  const RunResult run = run_program({"/usr/bin/python3", "-c", code}, input);
  EXPECT_EQ(run.status, 0) << run.err;
  return run.out;
}

TEST_F(NemoExtensionTest, InstallWritesTheModuleAndRemoveTakesOutOnlyOurs) {
  const std::string path = nemo_extension_path();
  EXPECT_EQ(run_fennick({"extension-remove"}).out, "no extension to remove: " + path + "\n");
  const RunResult installed = run_fennick({"extension-install"});
  EXPECT_EQ(installed.status, 0) << installed.err;
  EXPECT_EQ(split_lines(installed.out)[0],
            "installed the Nemo extension (" + path +
                "): a running Nemo loads it when restarted: fennick restart");
  EXPECT_EQ(read_file(path), nemo_extension_text(kFennickBinary));
  EXPECT_EQ(split_lines(run_fennick({"extension-install"}).out)[0], "unchanged: " + path);
  // Written for another program path, it is ours but outdated; a file of somebody else's stays.
  write_file(path, nemo_extension_text("/elsewhere/fennick"));
  EXPECT_EQ(nemo_extension_state(), ExtensionState::Outdated);
  EXPECT_EQ(run_fennick({"extension-remove"}).out,
            "removed " + path + "\na running Nemo keeps it until restarted: fennick restart\n");
  write_file(path, "# my own extension\n");
  EXPECT_EQ(nemo_extension_state(), ExtensionState::NotOurs);
  EXPECT_EQ(run_fennick({"extension-remove"}).out, "left alone (not ours): " + path + "\n");
  EXPECT_EQ(read_file(path), "# my own extension\n");
}

TEST_F(NemoExtensionTest, TheModuleRunsTheProgramAtAnyPath) {
  const std::vector<std::string> programs = {"/usr/bin/fennick", "/opt/it's \"here\"\\x/fennick",
                                             "/opt/\xff\x01/fennick"};
  for (const std::string& program : programs) {
    const std::string text = nemo_extension_text(program);
    const size_t at = text.find("\nFENNICK = ");
    ASSERT_NE(at, std::string::npos);
    const std::string line = text.substr(at + 1, text.find('\n', at + 1) - at - 1);
    EXPECT_EQ(python("import os, sys\n" + line + "\nsys.stdout.buffer.write(os.fsencode(FENNICK))"),
              program);
  }
}

TEST_F(NemoExtensionTest, ListJsonHoldsEverySettingAndTheFiles) {
  set({"terminal.symbol", "a \"b\"\\", "pathbar.spacing", "3"});
  const RunResult run = run_fennick({"list", "--json"});
  EXPECT_EQ(run.status, 0) << run.err;
  EXPECT_EQ(
      python("import json, sys\n"
             "d = json.load(sys.stdin)\n"
             "v = {r['section'] + '.' + r['key']: (r['kind'], r['value']) for r in d['settings']}\n"
             "print(len(d['settings']), v['terminal.symbol'], v['pathbar.spacing'],\n"
             "      d['files']['settings'], d['files']['nemo_windows'])",
             run.out),
      "62 ('text', 'a \"b\"\\\\') ('int', '3') " + settings_file() + " " + nemo_windows_path() +
          "\n");
  EXPECT_EQ(python("import json, sys; print(len(json.load(sys.stdin)['settings']))",
                   run_fennick({"list", "panes", "--json"}).out),
            "6\n");
  // The extension itself, with settings in a folder whose name is no UTF-8.
  const std::string dir = home() + "/conf\xff";
  setenv("FENNICK_DIR", dir.c_str(), 1);
  set({"pathbar.spacing", "5"});
  ASSERT_EQ(run_fennick({"extension-install"}).status, 0);
  EXPECT_EQ(python("import os, runpy, sys\n"
                   "s = runpy.run_path('" +
                   nemo_extension_path() +
                   "', run_name='x')['Settings']()\n"
                   "sys.stdout.buffer.write(os.fsencode(s.files['settings']) + b' ' +\n"
                   "                        s.text('pathbar.spacing').encode())"),
            dir + "/fennick.ini 5");
}

// The line after a change says what shows it, only while no running Nemo follows it by itself.
TEST_F(NemoExtensionTest, AChangeSaysWhatShowsIt) {
  const struct {
    const char* before;  // a command run first, or ""
    std::vector<std::string> change;
    const char* note;  // the second line of the change's output, "" for none
  } cases[] = {
      {"", {"set", "terminal.symbol", "%"}, ""},
      {"",
       {"set", "pathbar.spacing", "3"},
       "no Nemo reads the path bar yet: fennick extension-install (live) or fennick "
       "pathbar-install"},
      {"",
       {"palette", "tol"},
       "the stock Nemo shows sidebar settings only with fennick's extension: fennick "
       "extension-install"},
      {"pathbar-install",
       {"set", "pathbar.spacing", "4"},
       "the stock Nemo shows the path bar after: fennick restart (live with: fennick "
       "extension-install)"},
      {"extension-install", {"set", "pathbar.spacing", "5", "sidebar.stats_enabled", "false"}, ""},
  };
  for (const auto& row : cases) {
    SCOPED_TRACE(row.change[1]);
    if (*row.before) run_fennick({row.before});
    const std::vector<std::string> lines = split_lines(run_fennick(row.change).out);
    EXPECT_EQ(lines.size() > 1 ? lines[1] : "", row.note);
  }
}

}  // namespace
