// The uninstall command hands over to the installer script in the share folder: which script it
// finds, how it runs it (arguments, standard streams, odd characters in the path) and the exit
// status it ends with. A stand-in script records how it was run.
#include <stdlib.h>
#include <unistd.h>

#include <filesystem>
#include <string>
#include <utility>
#include <vector>

#include "cli/cli_helpers.h"
#include "test_support.h"

namespace {

class UninstallTest : public TempHomeTest {
 protected:
  void SetUp() override {
    TempHomeTest::SetUp();
    setenv("FENNICK_BIN_DIR", (home() + "/bin").c_str(), 1);
    make_dir(record());
  }

  std::string share() const { return home() + "/share"; }
  std::string record() const { return home() + "/record"; }

  // A stand-in installer script in folder dir: it writes its own path, its arguments (one per
  // line in brackets) and the first line of its standard input into the record folder, says one
  // line on each output, then runs the given ending.
  void put_script(const std::string& dir, const std::string& ending = "exit 0") const {
    write_file(dir + "/fennick-install.sh",
               "record='" + record() +
                   "'\n"
                   "printf '%s\\n' \"$0\" >\"$record/path\"\n"
                   ": >\"$record/args\"\n"
                   "for arg in \"$@\"; do printf '[%s]\\n' \"$arg\" >>\"$record/args\"; done\n"
                   "if IFS= read -r answer; then printf '%s\\n' \"$answer\" >\"$record/stdin\"\n"
                   "else echo '(end of input)' >\"$record/stdin\"; fi\n"
                   "echo 'installer: removing things'\n"
                   "echo 'installer: a warning' >&2\n" +
                   ending + "\n");
  }

  std::string recorded(const char* what) const { return read_file(record() + "/" + what); }

  static std::string not_found(const std::string& share_dir) {
    return "fennick: " + share_dir +
           "/fennick-install.sh not found; run the installer from the original download with "
           "--uninstall\n";
  }
};

TEST_F(UninstallTest, WithoutTheScriptNothingRuns) {
  // No share folder, an empty one, and one with other files of the installation.
  for (int round = 0; round < 3; ++round) {
    if (round == 1) make_dir(share());
    if (round == 2) write_file(share() + "/installed-files", home() + "/bin/fennick\n");
    const RunResult run = run_fennick({"uninstall", "--yes"});
    EXPECT_EQ(run.status, 1) << round;
    EXPECT_EQ(run.out, "") << round;
    EXPECT_EQ(run.err, not_found(share())) << round;
  }
  // A link to a script that is gone is no script either.
  put_script(home() + "/elsewhere");
  ASSERT_EQ(symlink((home() + "/elsewhere/fennick-install.sh").c_str(),
                    (share() + "/fennick-install.sh").c_str()),
            0);
  std::filesystem::remove(home() + "/elsewhere/fennick-install.sh");
  const RunResult dangling = run_fennick({"uninstall"});
  EXPECT_EQ(dangling.status, 1);
  EXPECT_EQ(dangling.err, not_found(share()));
  EXPECT_FALSE(file_exists(record() + "/args"));
}

TEST_F(UninstallTest, EmptyShareVariableMeansTheDefaultFolder) {
  const std::string fallback = home() + "/.local/share/fennick";
  for (bool unset : {false, true}) {
    if (unset) {
      unsetenv("FENNICK_SHARE");
    } else {
      setenv("FENNICK_SHARE", "", 1);
    }
    const RunResult run = run_fennick({"uninstall"});
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(run.err, not_found(fallback));
  }
  // A script in the folder the variable would name is not looked at.
  put_script(share());
  setenv("FENNICK_SHARE", "", 1);
  EXPECT_EQ(run_fennick({"uninstall"}).status, 1);
  EXPECT_FALSE(file_exists(record() + "/args"));

  put_script(fallback);
  const RunResult run = run_fennick({"uninstall"});
  EXPECT_EQ(run.status, 0) << run.err;
  EXPECT_EQ(recorded("path"), fallback + "/fennick-install.sh\n");
  EXPECT_EQ(recorded("args"), "[--uninstall]\n");
}

TEST_F(UninstallTest, ScriptGetsUninstallAndYesOnly) {
  put_script(share());
  const std::vector<std::pair<std::vector<std::string>, std::string>> cases{
      {{"uninstall"}, "[--uninstall]\n"},
      {{"uninstall", "--yes"}, "[--uninstall]\n[--yes]\n"},
      {{"uninstall", "--yes", "--yes"}, "[--uninstall]\n[--yes]\n"},
      {{"UNINSTALL", "--yes"}, "[--uninstall]\n[--yes]\n"},
  };
  for (const auto& [args, expected] : cases) {
    std::filesystem::remove(record() + "/args");
    const RunResult run = run_fennick(args);
    EXPECT_EQ(run.status, 0) << args.back() << ": " << run.err;
    EXPECT_EQ(recorded("args"), expected) << args.back();
    EXPECT_EQ(recorded("path"), share() + "/fennick-install.sh\n");
  }
  // A destructive command never guesses: anything but the exact --yes is a usage error, and
  // nothing the user typed reaches the script.
  const std::vector<std::vector<std::string>> refused{
      {"uninstall", "extra", "--yes"},
      {"uninstall", "--yes", "--yes", "more"},
      {"uninstall", "--YES"},
      {"uninstall", "yes"},
      {"uninstall", "-y"},
      {"uninstall", "--yes=1"},
      {"uninstall", " --yes"},
      {"uninstall", "--with-nemo", "a b", "$(touch PWNED)"},
      {"uninstall", "--", "--yes"},
  };
  for (const auto& args : refused) {
    std::filesystem::remove(record() + "/args");
    const RunResult run = run_fennick(args);
    EXPECT_EQ(run.status, 2) << args.back();
    EXPECT_EQ(run.out, "") << args.back();
    EXPECT_EQ(split_lines(run.err).back(), "usage: fennick uninstall [--yes]") << args.back();
    EXPECT_FALSE(file_exists(record() + "/args")) << args.back();
  }
  EXPECT_FALSE(file_exists("PWNED"));
}

TEST_F(UninstallTest, ScriptSharesTheStandardStreams) {
  put_script(share());
  // An answer piped into the program reaches the script's question.
  const RunResult answered = run_program({kFennickBinary, "uninstall"}, "y\nmore\n");
  EXPECT_EQ(answered.status, 0) << answered.err;
  EXPECT_EQ(recorded("stdin"), "y\n");
  // What the script says is what the program says; the program adds nothing.
  EXPECT_EQ(answered.out, "installer: removing things\n");
  EXPECT_EQ(answered.err, "installer: a warning\n");

  const RunResult none = run_fennick({"uninstall"});
  EXPECT_EQ(none.status, 0);
  EXPECT_EQ(recorded("stdin"), "(end of input)\n");
  EXPECT_EQ(none.out, "installer: removing things\n");
  EXPECT_EQ(none.err, "installer: a warning\n");
}

TEST_F(UninstallTest, ExitStatusOfTheScript) {
  const std::vector<std::pair<std::string, int>> endings{
      {"exit 0", 0},     {"exit 1", 255}, {"exit 3", 255},
      {"exit 255", 255}, {"true", 0},     {"false", 255},
  };
  for (const auto& [ending, status] : endings) {
    put_script(share(), ending);
    const RunResult run = run_fennick({"uninstall"});
    EXPECT_EQ(run.status, status) << ending;
    EXPECT_EQ(run.out, "installer: removing things\n") << ending;
    EXPECT_EQ(run.err, "installer: a warning\n") << ending;
  }
}

TEST_F(UninstallTest, SignalThatEndsTheScriptIsTheExitStatus) {
  // The program's child is the shell that runs the script's command line; the stand-in kills
  // that child (or itself, should the shell have handed over to it).
  for (const auto& [signal_name, number] :
       std::vector<std::pair<std::string, int>>{{"TERM", 15}, {"KILL", 9}, {"HUP", 1}}) {
    put_script(share(), "if [ \"$(cat /proc/$PPID/comm)\" = fennick ]; then kill -" + signal_name +
                            " $$; else kill -" + signal_name + " $PPID; fi\nexit 0");
    const RunResult run = run_fennick({"uninstall", "--yes"});
    EXPECT_EQ(run.status, number) << signal_name;
    EXPECT_EQ(recorded("args"), "[--uninstall]\n[--yes]\n");
  }
}

TEST_F(UninstallTest, ShareFolderWithCharactersTheShellWouldRead) {
  for (const std::string& name :
       {std::string("with blank"), std::string("quote\"d"), std::string("$HOME"),
        std::string("${HOME}x"), std::string("`touch PWNED`"), std::string("$(touch PWNED)"),
        std::string("back\\slash\\"), std::string("single'quote"),
        std::string("all \" $ ` \\ ' ; & | * ? ~ # end")}) {
    const std::string dir = home() + "/" + name;
    setenv("FENNICK_SHARE", dir.c_str(), 1);
    // Missing: the message names the folder as it is.
    const RunResult missing = run_fennick({"uninstall"});
    EXPECT_EQ(missing.status, 1) << name;
    EXPECT_EQ(missing.err, not_found(dir)) << name;

    put_script(dir);
    std::filesystem::remove(record() + "/path");
    // Run from the home folder, so that a command that slipped through would leave its file
    // there.
    const RunResult run =
        run_program({"sh", "-c", "cd \"$HOME\" && exec \"$0\" uninstall --yes", kFennickBinary});
    EXPECT_EQ(run.status, 0) << name << ": " << run.err;
    EXPECT_EQ(recorded("path"), dir + "/fennick-install.sh\n") << name;
    EXPECT_EQ(recorded("args"), "[--uninstall]\n[--yes]\n") << name;
    EXPECT_EQ(run.out, "installer: removing things\n") << name;
    EXPECT_FALSE(file_exists(home() + "/PWNED")) << name;
  }
}

}  // namespace
