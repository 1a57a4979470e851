// The command word: usage text, version, lower-casing, unknown words and their exit codes.
#include <stdlib.h>
#include <unistd.h>

#include <map>

#include "cli/cli_helpers.h"
#include "cli/command_table.h"
#include "cli/usage.h"
#include "settings/ascii_text.h"
#include "test_support.h"

namespace {

class DispatcherTest : public TempHomeTest {
 protected:
  std::string usage() const { return expected_usage(config() + "/fennick.ini"); }

  // Asserts that a run printed the usage text and nothing else, with exit 0, and wrote nothing.
  void expect_usage(const RunResult& run) const {
    EXPECT_EQ(run.status, 0);
    EXPECT_EQ(run.out, usage());
    EXPECT_EQ(run.err, "");
    EXPECT_FALSE(file_exists(config()));
  }

  void expect_unknown(const RunResult& run, const std::string& word) const {
    EXPECT_EQ(run.status, 2);
    EXPECT_EQ(run.err, "fennick: unknown command \"" + word + "\"\n");
    EXPECT_EQ(run.out, usage());
    EXPECT_FALSE(file_exists(config()));
  }
};

TEST_F(DispatcherTest, UsageTextLineByLine) {
  const RunResult run = run_fennick({"help"});
  const std::vector<std::string> lines = split_lines(run.out);
  const std::vector<std::string> expected = split_lines(usage());
  ASSERT_EQ(lines.size(), 27u);
  for (size_t i = 0; i < expected.size(); ++i)
    EXPECT_EQ(lines[i], expected[i]) << "usage line " << i + 1;
  // Every line ends with a line feed, the last one too.
  EXPECT_EQ(run.out.back(), '\n');
  EXPECT_EQ(lines[26],
            "Settings: " + config() + "/fennick.ini   (override the folder with FENNICK_DIR)");
  // The descriptions of the short command lines start in one column.
  for (size_t i : {2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 16, 17, 22, 23}) {
    EXPECT_EQ(lines[i].substr(29, 3), "   ") << lines[i];
    EXPECT_NE(lines[i][32], ' ') << lines[i];
  }
}

// Every word of the table reaches its own row: none is shadowed by an earlier row or written in
// letters that the lower-cased command word never has.
TEST_F(DispatcherTest, EveryCommandWordDispatchesToItsRow) {
  ASSERT_FALSE(command_table().empty());
  for (const CommandInfo& command : command_table()) {
    ASSERT_NE(command.words[0], nullptr);
    ASSERT_NE(command.run, nullptr) << command.words[0];
    EXPECT_NE(command.operands, nullptr) << command.words[0];
    EXPECT_NE(command.description, nullptr) << command.words[0];
    for (const char* word : command.words) {
      if (!word) continue;
      EXPECT_EQ(find_command(word), &command) << word;
      EXPECT_EQ(ascii_lowered(word), word);
    }
  }
  EXPECT_EQ(find_command(""), nullptr);
  EXPECT_EQ(find_command("nosuch"), nullptr);
}

// The usage lines show every command once, by its name; a line that shows more than one command
// has a description of its own that covers them all.
TEST_F(DispatcherTest, UsageLinesShowEveryCommandOnce) {
  std::map<std::string, int> shown;
  for (const UsageLine& usage : usage_lines()) {
    ASSERT_NE(usage.commands[0], nullptr);
    for (size_t i = 0; i < std::size(usage.commands); ++i) {
      const char* name = usage.commands[i];
      if (!name) continue;
      ++shown[name];
      const CommandInfo* command = find_command(name);
      ASSERT_NE(command, nullptr) << name;
      EXPECT_STREQ(command->words[0], name);
      EXPECT_STRNE(command->description, "") << name;
      if (i > 0) {
        EXPECT_NE(usage.description, nullptr) << name;
      }
    }
  }
  EXPECT_EQ(shown.size(), command_table().size());
  for (const CommandInfo& command : command_table())
    EXPECT_EQ(shown[command.words[0]], 1) << command.words[0];
  EXPECT_EQ(usage_synopsis(usage_lines()[0]), "[gui]");
}

TEST_F(DispatcherTest, NoCommandWordWithoutDisplayShowsUsage) {
  expect_usage(run_fennick({}));
  expect_usage(run_fennick({""}));
  // An empty first argument stands for no command word even when operands follow.
  expect_usage(run_fennick({"", "terminal.symbol"}));
  // A DISPLAY that is set but empty counts as no display.
  setenv("DISPLAY", "", 1);
  expect_usage(run_fennick({}));
}

TEST_F(DispatcherTest, HelpWordsInAnyLetterCase) {
  for (const char* word : {"help", "--help", "-h", "HELP", "Help", "--HELP", "-H"}) {
    SCOPED_TRACE(word);
    expect_usage(run_fennick({word}));
  }
  // help COMMAND, in any letter case, is COMMAND --help whatever follows; help naming help
  // itself, or an empty word, is the overview.
  EXPECT_EQ(run_fennick({"HELP", "SeT", "x"}).out, run_fennick({"set", "--help"}).out);
  for (const char* word : {"HELP", "--help", "-h", ""})
    expect_usage(run_fennick({"help", word, "set"}));
}

TEST_F(DispatcherTest, VersionWordsPrintOneLine) {
  for (const char* word : {"version", "--version", "Version", "VERSION", "--Version"}) {
    SCOPED_TRACE(word);
    const RunResult run = run_fennick({word});
    EXPECT_EQ(run.status, 0);
    EXPECT_EQ(run.out, "fennick 1.1\n");
    EXPECT_EQ(run.err, "");
  }
  EXPECT_FALSE(file_exists(config()));
}

TEST_F(DispatcherTest, VersionMatchesTheFirstUsageLine) {
  const std::string version = run_fennick({"version"}).out;
  const std::string first_usage_line = split_lines(run_fennick({"help"}).out)[0];
  EXPECT_EQ(first_usage_line.rfind(version.substr(0, version.size() - 1) + " \xE2\x80\x94 ", 0),
            0u);
}

TEST_F(DispatcherTest, UnknownWordIsReportedLowerCasedWithUsage) {
  expect_unknown(run_fennick({"FOO"}), "foo");
  expect_unknown(run_fennick({"foo", "bar"}), "foo");
  expect_unknown(run_fennick({"Frobnicate"}), "frobnicate");
  expect_unknown(run_fennick({"AZ-az@[`{"}), "az-az@[`{");
  // Only ASCII letters are lower-cased; other bytes are reported as given.
  expect_unknown(run_fennick({"\xC3\x84PFEL"}), "\xC3\x84pfel");
  // Words are whole: neither prefixes nor padded words are commands.
  expect_unknown(run_fennick({"lis"}), "lis");
  expect_unknown(run_fennick({" list"}), " list");
  expect_unknown(run_fennick({"list "}), "list ");
  expect_unknown(run_fennick({"--list"}), "--list");
  expect_unknown(run_fennick({"-v"}), "-v");
  expect_unknown(run_fennick({"help", "FOO"}), "foo");
  expect_unknown(run_fennick({"--help", "lis", "set"}), "lis");
}

// -h and --help after any command word, and help before it, print that command's usage line and
// description and do nothing else; an option the command does not know is a usage error that does
// nothing either.
TEST_F(DispatcherTest, EveryCommandHasItsOwnHelpAndRefusesUnknownOptions) {
  for (const CommandInfo& command : command_table()) {
    const std::string word = command.words[0];
    SCOPED_TRACE(word);
    const char* operands = command.usage_operands ? command.usage_operands : command.operands;
    const std::string usage_line =
        "usage: fennick " + word + (*operands ? " " : "") + operands + "\n";
    for (const char* help : {"--help", "-h"}) {
      const RunResult run =
          word == "help" ? run_fennick({word}) : run_fennick({word, help, "x", "--yes"});
      EXPECT_EQ(run.status, 0);
      EXPECT_EQ(run.out, word == "help" ? usage() : usage_line + command.description + "\n");
      EXPECT_EQ(run.err, "");
    }
    const RunResult asked = run_fennick({"help", word});
    EXPECT_EQ(asked.status, 0);
    EXPECT_EQ(asked.out, word == "help" ? usage() : usage_line + command.description + "\n");
    EXPECT_EQ(asked.err, "");
    const RunResult run = run_fennick({word, "--bogus"});
    EXPECT_EQ(run.status, 2);
    EXPECT_EQ(run.out, "");
    EXPECT_EQ(run.err, "fennick: unknown option \"--bogus\"\n" + usage_line);
    EXPECT_FALSE(file_exists(config()));
  }
  EXPECT_EQ(run_fennick({"uninstall", "--help"}).out,
            "usage: fennick uninstall [--yes]\nremove the tool; asks about the tuned Nemo, build "
            "cache and font (settings are kept)\n");
  // uninstall takes nothing but --yes; font install, only --yes.
  for (const std::vector<std::string>& args :
       {std::vector<std::string>{"uninstall", "extra", "--yes"},
        {"uninstall", "-y"},
        {"help", "-x"},
        {"font", "install", "--bogus"},
        {"export", "-q"},
        {"set", "-x", "1"}}) {
    const RunResult run = run_fennick(args);
    EXPECT_EQ(run.status, 2) << args[1];
    EXPECT_EQ(split_lines(run.err).size(), 2u) << run.err;
    EXPECT_EQ(run.out, "") << args[1];
  }
  EXPECT_EQ(run_fennick({"uninstall", "extra"}).err,
            "fennick: unexpected operand \"extra\"\nusage: fennick uninstall [--yes]\n");
  EXPECT_FALSE(file_exists(config()));
}

// "--" ends the options: what follows is an operand even when it begins with "-"; a value of set
// may begin with "-" without it.
TEST_F(DispatcherTest, DoubleDashEndsTheOptions) {
  char* before = getcwd(nullptr, 0);
  ASSERT_EQ(chdir(home().c_str()), 0);
  EXPECT_EQ(run_fennick({"export", "--", "-dash"}).status, 0);
  EXPECT_EQ(run_fennick({"import", "--", "-dash"}).status, 0);
  EXPECT_EQ(chdir(before), 0);
  free(before);
  EXPECT_TRUE(file_exists(home() + "/-dash"));
  EXPECT_FALSE(file_exists(home() + "/--"));
  EXPECT_EQ(run_fennick({"set", "terminal.symbol", "--help"}).out, "saved and applied\n");
  EXPECT_EQ(run_fennick({"get", "terminal.symbol"}).out, "--help\n");
  EXPECT_EQ(run_fennick({"set", "--", "terminal.symbol", "-"}).status, 0);
  EXPECT_EQ(run_fennick({"get", "--", "terminal.symbol"}).out, "-\n");
}

TEST_F(DispatcherTest, CommandWordsAreLowerCased) {
  const RunResult list = run_fennick({"LIST", "panes"});
  EXPECT_EQ(list.status, 0);
  EXPECT_EQ(list.out, run_fennick({"list", "panes"}).out);
  const RunResult get = run_fennick({"Get", "terminal.symbol"});
  EXPECT_EQ(get.status, 0);
  EXPECT_EQ(get.out, "$\n");
}

// The settings window is not part of this build: the word gui, and no word on a display,
// are answered as an unknown command.
// The window words, and no word at all with a display, go to the window. Here no display can be
// opened (none, or one that does not exist), so GTK refuses at once: the run fails with its
// message, and never as an unknown command.
TEST_F(DispatcherTest, WindowWordsAndNoWordWithADisplayOpenTheWindow) {
  auto expect_window = [](const RunResult& run, const char* what) {
    EXPECT_NE(run.status, 0) << what;
    EXPECT_EQ(run.err.find("unknown command"), std::string::npos) << what;
    EXPECT_EQ(run.status, 1) << what;
    EXPECT_EQ(run.err.rfind("fennick: cannot open a display for the settings window (DISPLAY", 0),
              0u)
        << what << ": " << run.err;
    EXPECT_EQ(split_lines(run.err).size(), 1u) << run.err;
    EXPECT_EQ(run.out, "") << what;
  };
  expect_window(run_fennick({"gui"}), "gui");
  expect_window(run_fennick({"GUI"}), "GUI");
  expect_window(run_fennick({"--gui"}), "--gui");
  setenv("DISPLAY", ":99999", 1);
  expect_window(run_fennick({}), "no word");
  expect_window(run_fennick({""}), "empty word");
  // With a display, explicit words still run as usual.
  const RunResult version = run_fennick({"version"});
  EXPECT_EQ(version.status, 0);
  EXPECT_EQ(version.out, "fennick 1.1\n");
}

TEST_F(DispatcherTest, UsageNamesTheSettingsFileOfTheEnvironment) {
  unsetenv("FENNICK_DIR");
  setenv("XDG_CONFIG_HOME", (home() + "/xdg").c_str(), 1);
  EXPECT_EQ(
      split_lines(run_fennick({}).out).back(),
      "Settings: " + home() + "/xdg/fennick/fennick.ini   (override the folder with FENNICK_DIR)");

  setenv("XDG_CONFIG_HOME", "", 1);
  EXPECT_EQ(split_lines(run_fennick({}).out).back(),
            "Settings: " + home() +
                "/.config/fennick/fennick.ini   (override the folder with FENNICK_DIR)");

  // A trailing slash is kept as given.
  setenv("FENNICK_DIR", (home() + "/mine/").c_str(), 1);
  EXPECT_EQ(split_lines(run_fennick({"help"}).out).back(),
            "Settings: " + home() + "/mine//fennick.ini   (override the folder with FENNICK_DIR)");
  EXPECT_EQ(folder_entries(home()), std::set<std::string>{});
}

TEST_F(DispatcherTest, ReadingCommandsWriteNothing) {
  for (const std::vector<std::string>& args :
       std::vector<std::vector<std::string>>{{},
                                             {"help"},
                                             {"version"},
                                             {"list"},
                                             {"get", "symbol"},
                                             {"css"},
                                             {"prompt"},
                                             {"nosuch"},
                                             {"get"},
                                             {"get", "nosuch"},
                                             {"set", "symbol"},
                                             {"set", "nosuch", "1"},
                                             {"reset", "nosuch"}}) {
    SCOPED_TRACE(args.empty() ? "(none)" : args[0]);
    run_fennick(args);
    EXPECT_EQ(folder_entries(home()), std::set<std::string>{});
  }
}

}  // namespace

// The commands that only read or print leave a settings file in an older form as it is; the ones
// that print help from the tables do not even need it to be readable. Any other command rewrites
// it in the current form.
TEST_F(DispatcherTest, HelpCommandsLeaveTheSettingsFileAlone) {
  const std::string old_form = "[panes]\nkey_add=<Primary><Shift>F3\n";
  write_file(config() + "/fennick.ini", old_form);
  for (const std::vector<std::string>& args :
       {std::vector<std::string>{"doctor"}, {"man"}, {"completion", "bash"}}) {
    run_fennick(args);
    EXPECT_EQ(read_file(config() + "/fennick.ini"), old_form) << args[0];
  }
  EXPECT_EQ(run_fennick({"get", "panes.key_add"}).out, "F3\n");
  EXPECT_NE(read_file(config() + "/fennick.ini"), old_form);

  std::filesystem::remove(config() + "/fennick.ini");
  make_dir(config() + "/fennick.ini");
  for (const std::vector<std::string>& args :
       {std::vector<std::string>{"man"}, {"completion", "zsh"}})
    EXPECT_EQ(run_fennick(args).status, 0) << args[0];
  EXPECT_NE(run_fennick({"list"}).status, 0);
}
