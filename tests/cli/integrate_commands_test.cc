// prompt-install, prompt-remove, action-install, action-remove, enable, disable and status run
// as the built program in a private home.
#include <sys/stat.h>

#include <filesystem>
#include <set>
#include <string>
#include <vector>

#include "cli/cli_helpers.h"
#include "integrate/desktop_switch.h"
#include "integrate/text_file.h"
#include "test_support.h"

namespace {

const std::string kEllipsis = "\xE2\x80\xA6";

class IntegrateCommandsTest : public TempHomeTest {
 protected:
  std::string bashrc() const { return home() + "/.bashrc"; }
  std::string zshrc() const { return home() + "/.zshrc"; }
  std::string block() const {
    const std::string script = config() + "/prompt.sh";
    return "# >>> fennick >>>\n[ -r \"" + script + "\" ] && . \"" + script +
           "\"\n# <<< fennick <<<\n";
  }
  std::string prefix() const { return home() + "/opt/fennick"; }
  std::string tuned() const { return prefix() + "/bin/nemo"; }
  std::string user_entry() const { return home() + "/.local/share/applications/nemo.desktop"; }
  std::string nemo_service() const {
    return home() + "/.local/share/dbus-1/services/org.Nemo.service";
  }
  std::string fm_service() const {
    return home() + "/.local/share/dbus-1/services/org.freedesktop.FileManager1.service";
  }
  std::string action() const { return home() + "/.local/share/nemo/actions/fennick.nemo_action"; }

  // Puts the Nemo stand-in where the tuned Nemo belongs, under a prefix named like the default.
  void install_tuned_nemo() const {
    setenv("FENNICK_PREFIX", prefix().c_str(), 1);
    make_dir(prefix() + "/bin");
    std::filesystem::copy_file(kNemoStandIn, tuned());
  }

  static std::string service_text(const std::string& name, const std::string& exec) {
    return "# managed by fennick (fennick disable removes this file)\n[D-BUS Service]\nName=" +
           name + "\nExec=" + exec + " --gapplication-service\n";
  }

  std::string action_text_for(const std::string& program) const {
    return "[Nemo Action]\nName=Fennick" + kEllipsis +
           "\nComment=Tune the path bar, prompt, panes and sidebar\nExec=" + program +
           " gui\nIcon-Name=preferences-system\nSelection=none\nExtensions=any;\n"
           "# managed by fennick\n";
  }

  std::string added_line(const std::string& path) const {
    return "added the \"Fennick" + kEllipsis + "\" right-click entry (" + path + ")\n";
  }

  std::string enabled_output() const {
    return added_line(action()) + "enabled: the tuned Nemo (" + tuned() +
           ") now opens folders.\n"
           "A running Nemo keeps the old one until you run:  nemo -q   (then open a folder).\n";
  }

  // Runs a command that must succeed without a word on standard error; returns its output.
  static std::string ok(const std::string& command) {
    const RunResult run = run_fennick({command});
    EXPECT_EQ(run.status, 0) << command << ": " << run.err;
    EXPECT_EQ(run.err, "") << command;
    return run.out;
  }

  // The status lines; the running-Nemo line is checked only for its form, as the process tests
  // start and end processes named nemo on this machine at any moment.
  static std::vector<std::string> status_lines() {
    std::vector<std::string> lines = split_lines(ok("status"));
    EXPECT_EQ(lines.size(), 8u);
    if (lines.size() == 8) {
      EXPECT_EQ(lines[5].rfind("running Nemo  : ", 0), 0u) << lines[5];
      lines[5] = "(checked)";
    }
    return lines;
  }
};

const char kPromptOff[] =
    "the prompt is off: fennick set terminal.prompt_enabled true (and terminal.scope all for every "
    "terminal, not only Nemo's own)\n";

TEST_F(IntegrateCommandsTest, PromptInstallAppliesTheSettingsFirst) {
  EXPECT_EQ(ok("prompt-install"), "added block to " + bashrc() + "\nskipped: " + zshrc() +
                                      " (no such file; create it to get the prompt in zsh)\n" +
                                      kPromptOff);
  EXPECT_EQ(folder_entries(config()), generated_files());
  EXPECT_EQ(read_file(config() + "/fennick.ini"), settings_text_with({}));
  EXPECT_EQ(read_file(bashrc()), block());
  EXPECT_EQ(folder_entries(home()), (std::set<std::string>{"config", ".bashrc"}));
}

TEST_F(IntegrateCommandsTest, PromptInstallAndRemoveBothRcFiles) {
  write_file(bashrc(), "alias ll='ls -l'\n");
  write_file(zshrc(), "setopt autocd\n");
  const std::string added = "added block to " + bashrc() + "\nadded block to " + zshrc() + "\n";
  const std::string unchanged = "unchanged: " + bashrc() + "\nunchanged: " + zshrc() + "\n";
  EXPECT_EQ(ok("prompt-install"), added + kPromptOff);
  EXPECT_EQ(read_file(bashrc()), "alias ll='ls -l'\n" + block());
  EXPECT_EQ(read_file(zshrc()), "setopt autocd\n" + block());
  EXPECT_EQ(ok("prompt-install"), unchanged + kPromptOff);
  EXPECT_EQ(ok("prompt-remove"),
            "removed block from " + bashrc() + "\nremoved block from " + zshrc() + "\n");
  EXPECT_EQ(read_file(bashrc()), "alias ll='ls -l'\n");
  EXPECT_EQ(read_file(zshrc()), "setopt autocd\n");
  EXPECT_EQ(ok("prompt-remove"), unchanged);
  EXPECT_EQ(read_file(bashrc() + ".fennick-bak"), "alias ll='ls -l'\n");
  EXPECT_EQ(read_file(zshrc() + ".fennick-bak"), "setopt autocd\n");
}

TEST_F(IntegrateCommandsTest, PromptRemoveOnAFreshHomeWritesNothing) {
  EXPECT_EQ(ok("prompt-remove"), "unchanged: " + bashrc() + "\nunchanged: " + zshrc() + "\n");
  EXPECT_TRUE(folder_entries(home()).empty());
}

TEST_F(IntegrateCommandsTest, PromptInstallStopsWhenTheSettingsCannotBeWritten) {
  write_file(home() + "/plain", "a file\n");
  setenv("FENNICK_DIR", (home() + "/plain/config").c_str(), 1);
  write_file(bashrc(), "mine\n");
  const RunResult run = run_fennick({"prompt-install"});
  EXPECT_NE(run.status, 0);
  EXPECT_EQ(run.out, "");
  EXPECT_EQ(run.err,
            "fennick: cannot write " + home() + "/plain/config/fennick.ini: Not a directory\n");
  EXPECT_EQ(read_file(bashrc()), "mine\n");
  EXPECT_FALSE(file_exists(bashrc() + ".fennick-bak"));
}

TEST_F(IntegrateCommandsTest, ActionInstallTwiceAndRemove) {
  const std::string program = std::filesystem::canonical(kFennickBinary).string();
  for (int i = 0; i < 2; ++i) {
    EXPECT_EQ(ok("action-install"), added_line(action()));
    EXPECT_EQ(read_file(action()), action_text_for(program));
  }
  EXPECT_EQ(ok("action-remove"), "removed " + action() + "\n");
  EXPECT_FALSE(file_exists(action()));
  EXPECT_EQ(ok("action-remove"), "");
}

TEST_F(IntegrateCommandsTest, ActionInstallWithAnEmptyXdgDataHome) {
  setenv("XDG_DATA_HOME", "", 1);
  EXPECT_EQ(ok("action-install"), added_line(action()));
  EXPECT_TRUE(file_exists(action()));
  setenv("XDG_DATA_HOME", (home() + "/data").c_str(), 1);
  const std::string elsewhere = home() + "/data/nemo/actions/fennick.nemo_action";
  EXPECT_EQ(ok("action-install"), added_line(elsewhere));
  EXPECT_TRUE(file_exists(elsewhere));
}

TEST_F(IntegrateCommandsTest, ActionRemoveLeavesAHandMadeFile) {
  const std::string hand_made = "[Nemo Action]\nName=Mine\nExec=mine\n";
  write_file(action(), hand_made);
  EXPECT_EQ(ok("action-remove"), "");
  EXPECT_EQ(read_file(action()), hand_made);
}

// One line: what the tuned Nemo is, where it goes and what works without it.
TEST_F(IntegrateCommandsTest, EnableWithoutTheTunedNemo) {
  const auto message = [](const std::string& tuned) {
    return "fennick: the tuned Nemo is not installed: it is a separately built Nemo that reads "
           "fennick's pane, sidebar, read-only and terminal-key settings, and its executable must "
           "be placed at " +
           tuned +
           ". Without it, the prompt, the context-menu action and the path bar (fennick "
           "pathbar-install) work with the stock Nemo.\n";
  };
  const RunResult run = run_fennick({"enable"});
  EXPECT_EQ(run.status, 1);
  EXPECT_EQ(run.out, "");
  EXPECT_EQ(run.err, message(home() + "/prefix/bin/nemo"));
  EXPECT_TRUE(folder_entries(home()).empty());

  // The default prefix.
  unsetenv("FENNICK_PREFIX");
  EXPECT_EQ(run_fennick({"enable"}).err, message(home() + "/.local/opt/fennick/bin/nemo"));
  EXPECT_TRUE(folder_entries(home()).empty());
}

TEST_F(IntegrateCommandsTest, EnableUsesTheSystemEntryAndRepeatsTheSameWay) {
  install_tuned_nemo();
  const std::string system = read_text_file(kSystemDesktopEntry);
  ASSERT_NE(system, "") << "the nemo package is not installed";
  const std::string program = std::filesystem::canonical(kFennickBinary).string();
  for (int i = 0; i < 2; ++i) {
    EXPECT_EQ(ok("enable"), enabled_output());
    EXPECT_EQ(read_file(user_entry()), tuned_desktop_text(system));
    EXPECT_EQ(read_file(nemo_service()), service_text("org.Nemo", tuned()));
    EXPECT_EQ(read_file(fm_service()), service_text("org.freedesktop.FileManager1", tuned()));
    EXPECT_EQ(read_file(action()), action_text_for(program));
  }
  // Every Exec line of the user entry starts the tuned Nemo.
  int exec_lines = 0;
  for (const std::string& line : split_lines(read_file(user_entry()))) {
    if (line.rfind("Exec=", 0) != 0) continue;
    ++exec_lines;
    EXPECT_EQ(line.rfind("Exec=" + tuned(), 0), 0u) << line;
  }
  EXPECT_GE(exec_lines, 2);
  EXPECT_EQ(folder_entries(home() + "/.local/share/applications"),
            std::set<std::string>{"nemo.desktop"});
  EXPECT_EQ(folder_entries(home() + "/.local/share/dbus-1/services"),
            (std::set<std::string>{"org.Nemo.service", "org.freedesktop.FileManager1.service"}));
}

TEST_F(IntegrateCommandsTest, EnableUnderTheDefaultPrefix) {
  unsetenv("FENNICK_PREFIX");
  const std::string default_tuned = home() + "/.local/opt/fennick/bin/nemo";
  make_dir(home() + "/.local/opt/fennick/bin");
  std::filesystem::copy_file(kNemoStandIn, default_tuned);
  const RunResult run = run_fennick({"enable"});
  EXPECT_EQ(run.status, 0) << run.err;
  EXPECT_NE(run.out.find("enabled: the tuned Nemo (" + default_tuned + ") now opens folders.\n"),
            std::string::npos);
  EXPECT_EQ(read_file(nemo_service()), service_text("org.Nemo", default_tuned));
}

TEST_F(IntegrateCommandsTest, EnableKeepsAHandMadeUserEntryAsABackup) {
  install_tuned_nemo();
  const std::string hand_made = "[Desktop Entry]\nName=My files\nExec=/opt/other/nemo %U\n";
  write_file(user_entry(), hand_made);
  EXPECT_EQ(ok("enable"), enabled_output());
  EXPECT_EQ(read_file(user_entry() + ".fennick-bak"), hand_made);
  EXPECT_EQ(read_file(user_entry()), tuned_desktop_text(read_text_file(kSystemDesktopEntry)));
  EXPECT_EQ(ok("enable"), enabled_output());
  EXPECT_EQ(read_file(user_entry() + ".fennick-bak"), hand_made);
}

TEST_F(IntegrateCommandsTest, DisableRemovesOnlyOurFiles) {
  install_tuned_nemo();
  ok("enable");
  const std::string hand_made = "[Desktop Entry]\nName=My files\nExec=/opt/other/nemo %U\n";
  write_file(user_entry(), hand_made);
  EXPECT_EQ(ok("disable"), "left alone (not ours): " + user_entry() + "\nremoved " +
                               nemo_service() + "\nremoved " + fm_service() + "\nremoved " +
                               action() +
                               "\ndisabled fennick's files, but the files left alone above still "
                               "decide which Nemo opens folders (see: fennick status)\n");
  EXPECT_EQ(read_file(user_entry()), hand_made);
  EXPECT_FALSE(file_exists(nemo_service()));
  EXPECT_FALSE(file_exists(fm_service()));
  EXPECT_FALSE(file_exists(action()));
  // Nothing of ours left: nothing was enabled.
  std::filesystem::remove(user_entry());
  EXPECT_EQ(ok("disable"), "nothing was enabled: the system Nemo is already the default\n");
}

TEST_F(IntegrateCommandsTest, DisableWhenNothingWasEnabled) {
  EXPECT_EQ(ok("disable"), "nothing was enabled: the system Nemo is already the default\n");
  EXPECT_TRUE(folder_entries(home()).empty());
  // The context-menu action alone is taken out, but it never made the tuned Nemo the default.
  ok("action-install");
  EXPECT_EQ(ok("disable"), "removed " + action() +
                               "\nnothing was enabled: the system Nemo is already the default\n");
  // A hand-made service file, not the system one, decides.
  write_file(nemo_service(), "[D-BUS Service]\nName=org.Nemo\nExec=/opt/nemo\n");
  EXPECT_EQ(ok("disable"), "left alone (not ours): " + nemo_service() +
                               "\nnothing was enabled by fennick: the files left alone above "
                               "decide which Nemo opens folders (see: fennick status)\n");
}

// Run by the uninstall, which removes fennick next, the removal commands name no fennick command
// and say nothing of what there was nothing to do about.
TEST_F(IntegrateCommandsTest, RemovalStepsOfTheUninstallNameNoFennickCommand) {
  write_file(nemo_service(), "[D-BUS Service]\nName=org.Nemo\nExec=/opt/nemo\n");
  setenv("FENNICK_UNINSTALLING", "1", 1);
  const std::string out =
      ok("pathbar-remove") + ok("disable") + run_fennick({"font", "restore"}).out;
  unsetenv("FENNICK_UNINSTALLING");
  EXPECT_EQ(out, "unchanged: " + home() +
                     "/.config/gtk-3.0/gtk.css\nleft alone (not ours): " + nemo_service() +
                     "\nnothing was enabled by fennick: the files left alone above decide which "
                     "Nemo opens folders\n");
  // The uninstall names nemo -q once, at its end.
  std::filesystem::remove(nemo_service());
  install_tuned_nemo();
  ok("enable");
  setenv("FENNICK_UNINSTALLING", "1", 1);
  EXPECT_EQ(split_lines(ok("disable")).back(), "disabled: the system Nemo is the default again");
  unsetenv("FENNICK_UNINSTALLING");
}

// What prompt-install says is still needed for a prompt to show, by the two settings.
TEST_F(IntegrateCommandsTest, PromptInstallSaysWhatElseIsNeeded) {
  const struct {
    const char* enabled;
    const char* scope;
    std::string last_line;
  } cases[] = {
      {"false", "nemo", std::string(kPromptOff, sizeof kPromptOff - 2)},
      {"false", "all", "the prompt is off: fennick set terminal.prompt_enabled true"},
      {"true", "nemo",
       "the prompt shows only in Nemo's own terminal; for every terminal: fennick set "
       "terminal.scope all"},
      {"true", "all",
       "skipped: " + zshrc() + " (no such file; create it to get the prompt in zsh)"},
  };
  for (const auto& c : cases) {
    set({"terminal.prompt_enabled", c.enabled, "terminal.scope", c.scope});
    EXPECT_EQ(split_lines(ok("prompt-install")).back(), c.last_line) << c.enabled << c.scope;
  }
}

// Root tuning another user's home: every file and folder the commands make is the user's, so
// that the user's own commands go on working there.
TEST_F(IntegrateCommandsTest, RunAsRootOnAUsersHomeEverythingNewIsTheirs) {
  if (geteuid() != 0) GTEST_SKIP() << "needs root to act on another user's home";
  write_file(bashrc(), "alias ll=ls\n");
  std::filesystem::copy_file(kFennickBinary, home() + "/fennick");
  for (const auto& entry : std::filesystem::recursive_directory_iterator(home()))
    ASSERT_EQ(lchown(entry.path().c_str(), 65534, 65534), 0);
  ASSERT_EQ(chown(home().c_str(), 65534, 65534), 0);
  for (const std::vector<std::string>& args : std::vector<std::vector<std::string>>{
           {"set", "pathbar.enabled", "true"}, {"pathbar-install"}, {"prompt-install"}, {"reset"}})
    EXPECT_EQ(run_fennick(args).status, 0) << args[0];
  for (const auto& entry : std::filesystem::recursive_directory_iterator(home())) {
    struct stat info;
    ASSERT_EQ(lstat(entry.path().c_str(), &info), 0);
    EXPECT_EQ(info.st_uid, 65534u) << entry.path();
    EXPECT_EQ(info.st_gid, 65534u) << entry.path();
  }
  const RunResult removed = run_program({"setpriv", "--reuid=65534", "--regid=65534",
                                         "--clear-groups", home() + "/fennick", "pathbar-remove"});
  EXPECT_EQ(removed.status, 0) << removed.err;
}

TEST_F(IntegrateCommandsTest, StatusOfAFreshAccount) {
  EXPECT_EQ(status_lines(),
            (std::vector<std::string>{
                "settings file : " + config() + "/fennick.ini   (not created yet: defaults)",
                "path-bar css  : " + config() + "/fennick.css   (missing)",
                "prompt script : " + config() + "/prompt.sh   (missing)",
                "tuned Nemo    : " + home() + "/prefix/bin/nemo   (not installed)",
                "made default  : no",
                "(checked)",
                "prompt hook   : bashrc no, zshrc no",
                "stock Nemo    : no extension (fennick extension-install); path bar not imported "
                "(fennick "
                "pathbar-install)",
            }));
  // status only reads.
  EXPECT_TRUE(folder_entries(home()).empty());
}

TEST_F(IntegrateCommandsTest, StatusAfterPromptInstallAndEnable) {
  write_file(zshrc(), "setopt autocd\n");
  ok("prompt-install");
  install_tuned_nemo();
  ok("enable");
  EXPECT_EQ(status_lines(), (std::vector<std::string>{
                                "settings file : " + config() + "/fennick.ini",
                                "path-bar css  : " + config() + "/fennick.css",
                                "prompt script : " + config() + "/prompt.sh",
                                "tuned Nemo    : " + tuned(),
                                "made default  : yes (user override present)",
                                "(checked)",
                                "prompt hook   : bashrc yes, zshrc yes",
                                "stock Nemo    : no extension (fennick extension-install); path "
                                "bar not imported (fennick "
                                "pathbar-install)",
                            }));
  ok("disable");
  ok("prompt-remove");
  const std::vector<std::string> lines = status_lines();
  ASSERT_EQ(lines.size(), 8u);
  EXPECT_EQ(lines[4], "made default  : no");
  EXPECT_EQ(lines[6], "prompt hook   : bashrc no, zshrc no");
  ok("pathbar-install");
  EXPECT_EQ(status_lines().back(),
            "stock Nemo    : no extension (fennick extension-install); path bar imported in " +
                home() + "/.config/gtk-3.0/gtk.css");
}

// A file that cannot be read is reported on its line, and the report goes on.
TEST_F(IntegrateCommandsTest, StatusReportsFilesItCannotRead) {
  setenv("XDG_CONFIG_HOME", home().c_str(), 1);
  make_dir(home() + "/gtk-3.0");
  for (const std::string& fifo : {bashrc(), home() + "/gtk-3.0/gtk.css"})
    ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0) << fifo;
  const std::vector<std::string> lines = status_lines();
  ASSERT_EQ(lines.size(), 8u);
  EXPECT_EQ(lines[6],
            "prompt hook   : bashrc unknown (" + bashrc() + " is not a regular file), zshrc no");
  EXPECT_EQ(lines[7],
            "stock Nemo    : unknown (" + home() + "/gtk-3.0/gtk.css is not a regular file)");
}

TEST_F(IntegrateCommandsTest, StatusLooksOnlyForTheFilesAndTheStartMarker) {
  // A hand-made service file counts as made default; so would a link to one.
  write_file(home() + "/mine.service", "[D-BUS Service]\nName=org.Nemo\nExec=/opt/nemo\n");
  make_dir(home() + "/.local/share/dbus-1/services");
  std::filesystem::create_symlink(home() + "/mine.service", nemo_service());
  // A block without its end marker, and a start marker inside a line, still count.
  write_file(bashrc(), "x\n# >>> fennick >>>\n[ -r \"/p/prompt.sh\" ] && . \"/p/prompt.sh\"\n");
  write_file(zshrc(), "echo '# >>> fennick >>>'\r\n");
  // The tuned Nemo behind a link counts as installed.
  setenv("FENNICK_PREFIX", prefix().c_str(), 1);
  make_dir(prefix() + "/bin");
  std::filesystem::create_symlink(kNemoStandIn, tuned());
  std::vector<std::string> lines = status_lines();
  ASSERT_EQ(lines.size(), 8u);
  EXPECT_EQ(lines[3], "tuned Nemo    : " + tuned());
  EXPECT_EQ(lines[4], "made default  : yes (user override present)");
  EXPECT_EQ(lines[6], "prompt hook   : bashrc yes, zshrc yes");

  // An end marker alone, a differently written marker, a dangling link: no.
  write_file(bashrc(), "# <<< fennick <<<\n");
  write_file(zshrc(), "# >>> Fennick >>>\n# >>>  fennick >>>\n");
  std::filesystem::remove(home() + "/mine.service");
  std::filesystem::remove(tuned());
  std::filesystem::create_symlink(home() + "/gone", tuned());
  lines = status_lines();
  ASSERT_EQ(lines.size(), 8u);
  EXPECT_EQ(lines[3], "tuned Nemo    : " + tuned() + "   (not installed)");
  EXPECT_EQ(lines[4], "made default  : no");
  EXPECT_EQ(lines[6], "prompt hook   : bashrc no, zshrc no");
}

}  // namespace
