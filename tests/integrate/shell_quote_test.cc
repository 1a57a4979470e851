// shell_word and double_quote_escaped: texts put into shell command lines come back unchanged
// from a real shell, and ordinary paths are left as they are.
#include "integrate/shell_quote.h"

#include <filesystem>
#include <string>
#include <vector>

#include "test_support.h"

namespace {

class ShellQuoteTest : public TempHomeTest {
 protected:
  // What the shell prints for the command line "printf %s " + word, run in a folder of its own.
  std::string printed_by(const std::string& shell, const std::string& word) {
    const std::string cwd = home() + "/cwd";
    make_dir(cwd);
    std::vector<std::string> command{shell};
    if (shell == "zsh") command.push_back("-f");
    command.insert(command.end(), {"-c", "cd \"$1\" || exit 9\nprintf %s " + word, shell, cwd});
    const RunResult run = run_program(command);
    EXPECT_EQ(run.status, 0) << shell << ": " << word << "\n" << run.err;
    EXPECT_EQ(run.err, "") << shell << ": " << word;
    // Nothing that the text spells may have run.
    EXPECT_TRUE(std::filesystem::is_empty(cwd)) << shell << ": " << word;
    std::filesystem::remove_all(cwd);
    return run.out;
  }
};

const std::vector<std::string>& nasty_texts() {
  static const std::vector<std::string> texts = {
      "it's",
      "''",
      "'\\''",
      "double \"quoted\"",
      "$HOME",
      "${HOME}",
      "$(touch PWNED1)",
      "`touch PWNED2`",
      "$((1+1))",
      "back\\slash",
      "trailing\\",
      "\\$HOME",
      "\\\"",
      "\\\n",
      "two  spaces",
      " leading and trailing ",
      "tab\there",
      "new\nline",
      "end with new line\n",
      "*",
      "?",
      "[a]",
      "*.txt ?x [!a]",
      "{a,b}",
      "~",
      "~root/x",
      "a;touch PWNED3",
      "a|b&c",
      "a>PWNED4",
      "a<b",
      "(x)",
      "#hash",
      "!bang !! !$",
      "%s %d %%",
      "-n",
      "-e \\n",
      "caf\xC3\xA9 \xE6\x97\xA5\xE6\x9C\xAC \xF0\x9F\x90\x9F",
      "a=b",
      "x\x01y\x7f",
  };
  return texts;
}

TEST_F(ShellQuoteTest, OrdinaryPathsAreLeftAsTheyAre) {
  for (const char* path : {
           "/home/user/.local/opt/fennick/bin/nemo",
           "/usr/bin/nemo",
           "fennick",
           "/opt/a-b_c.d+e,f:g@h%i=j/bin/nemo",
           "/tmp/fennick-test-Ab12Cd/prefix/bin/nemo",
           "0123456789",
       }) {
    EXPECT_EQ(shell_word(path), path);
    EXPECT_EQ(double_quote_escaped(path), path);
  }
}

TEST_F(ShellQuoteTest, OtherTextsAreSingleQuoted) {
  EXPECT_EQ(shell_word(""), "''");
  EXPECT_EQ(shell_word("a b"), "'a b'");
  EXPECT_EQ(shell_word("/it's/nemo"), "'/it'\\''s/nemo'");
  EXPECT_EQ(shell_word("~"), "'~'");
  EXPECT_EQ(shell_word("/a*b"), "'/a*b'");
  EXPECT_EQ(shell_word("$x"), "'$x'");
  EXPECT_EQ(shell_word("/caf\xC3\xA9"), "'/caf\xC3\xA9'");
}

TEST_F(ShellQuoteTest, DoubleQuoteEscapingTouchesOnlyItsFourCharacters) {
  EXPECT_EQ(double_quote_escaped(""), "");
  EXPECT_EQ(double_quote_escaped("a\\b\"c$d`e"), "a\\\\b\\\"c\\$d\\`e");
  EXPECT_EQ(double_quote_escaped("$$``\\\\\"\""), "\\$\\$\\`\\`\\\\\\\\\\\"\\\"");
  const std::string left_alone = "it's ~ * ? [x] {a,b} ! # ; | & < > ( ) % = \n \t caf\xC3\xA9";
  EXPECT_EQ(double_quote_escaped(left_alone), left_alone);
}

TEST_F(ShellQuoteTest, ShellWordReadsBackUnchanged) {
  std::vector<std::string> texts = nasty_texts();
  texts.push_back("");
  texts.push_back("/home/user/.local/opt/fennick/bin/nemo");
  for (const std::string& text : texts) {
    const std::string word = shell_word(text);
    for (const char* shell : {"sh", "bash", "zsh"}) {
      EXPECT_EQ(printed_by(shell, word), text) << shell << ": " << word;
    }
  }
}

TEST_F(ShellQuoteTest, DoubleQuotedTextReadsBackUnchanged) {
  std::vector<std::string> texts = nasty_texts();
  texts.push_back("");
  for (const std::string& text : texts) {
    const std::string quoted = "\"" + double_quote_escaped(text) + "\"";
    for (const char* shell : {"sh", "bash", "zsh"}) {
      EXPECT_EQ(printed_by(shell, quoted), text) << shell << ": " << quoted;
    }
  }
}

}  // namespace
