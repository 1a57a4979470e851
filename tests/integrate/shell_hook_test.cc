// The hook block in ~/.bashrc and ~/.zshrc: its text, taking it out of and putting it into a
// text byte for byte, and updating the two files with their backups.
#include "integrate/shell_hook.h"

#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <random>
#include <set>
#include <stdexcept>
#include <string>
#include <vector>

#include "integrate/text_file.h"
#include "test_support.h"

namespace {

const std::string kStart = "# >>> fennick >>>";
const std::string kStartAfterLf = "# >>> fennick >>> (line end above added by fennick)";
const std::string kEnd = "# <<< fennick <<<";

// The block for a prompt script path that needs no escaping.
std::string block_for(const std::string& script, const std::string& start = kStart) {
  return start + "\n[ -r \"" + script + "\" ] && . \"" + script + "\"\n" + kEnd + "\n";
}

// The lines of raw file bytes (ended by LF, CR LF or CR) joined with one LF after each.
std::string rejoined(const std::string& bytes) {
  std::string text;
  for (size_t i = 0; i < bytes.size(); ++i) {
    if (bytes[i] == '\r') {
      text += '\n';
      if (i + 1 < bytes.size() && bytes[i + 1] == '\n') ++i;
    } else {
      text += bytes[i];
    }
  }
  if (!text.empty() && text.back() != '\n') text += '\n';
  return text;
}

// True when the text holds a start marker line with an end marker line somewhere after it.
bool has_block(const std::string& text) {
  bool start = false;
  for (const std::string& line : split_lines(rejoined(text))) {
    start = start || line == kStart || line == kStartAfterLf;
    if (start && line == kEnd) return true;
  }
  return false;
}

class ShellHookTest : public TempHomeTest {
 protected:
  std::string bashrc() const { return home() + "/.bashrc"; }
  std::string zshrc() const { return home() + "/.zshrc"; }
  std::string script() const { return config() + "/prompt.sh"; }
  std::string block() const { return block_for(script()); }
  // The block as it goes below a last line without a line feed, after the one it adds.
  std::string lf_block() const { return block_for(script(), kStartAfterLf); }
  // The block as it once went there: its own last line has no line end.
  std::string open_block() const { return block().substr(0, block().size() - 1); }
  // The report's line for an add on a home without ~/.zshrc.
  std::string zshrc_skipped() const {
    return "skipped: " + zshrc() + " (no such file; create it to get the prompt in zsh)\n";
  }

  // Runs update_shell_hooks and returns its report, a line per file as the command prints it;
  // an error fails the test.
  static std::string hooks(bool remove) {
    std::string report;
    try {
      update_shell_hooks(remove, [&report](const BlockUpdate& update) {
        report += block_update_line(update) + "\n";
      });
    } catch (const std::runtime_error& error) {
      ADD_FAILURE() << "unexpected error: " << error.what();
    }
    return report;
  }

  // Runs update_shell_hooks expecting an error; returns its message, the report before it in
  // printed.
  static std::string hooks_error(bool remove, std::string& printed) {
    std::string message;
    printed = "";
    try {
      update_shell_hooks(remove, [&printed](const BlockUpdate& update) {
        printed += block_update_line(update) + "\n";
      });
    } catch (const std::runtime_error& error) {
      message = error.what();
    }
    EXPECT_NE(message, "") << "no error raised";
    return message;
  }

  static ino_t inode_of(const std::string& path) {
    struct stat info;
    EXPECT_EQ(lstat(path.c_str(), &info), 0) << path;
    return info.st_ino;
  }
};

TEST_F(ShellHookTest, BlockIsThreeLinesWithThePromptScriptPath) {
  EXPECT_STREQ(kHookStartMarker, "# >>> fennick >>>");
  EXPECT_STREQ(kHookEndMarker, "# <<< fennick <<<");
  EXPECT_EQ(hook_block(), "# >>> fennick >>>\n[ -r \"" + config() + "/prompt.sh\" ] && . \"" +
                              config() + "/prompt.sh\"\n# <<< fennick <<<\n");

  // The path follows the configuration folder of the moment.
  setenv("FENNICK_DIR", "", 1);
  setenv("XDG_CONFIG_HOME", "/srv/conf", 1);
  EXPECT_EQ(hook_block(), block_for("/srv/conf/fennick/prompt.sh"));

  // Blanks, single quotes, tildes, globs, exclamation marks and UTF-8 need nothing between
  // double quotes and stand as they are.
  const std::string plain_odd = "/home/J\xC3\xB6rg/it's a ~ *?[x] !dir";
  setenv("FENNICK_DIR", plain_odd.c_str(), 1);
  EXPECT_EQ(hook_block(), block_for(plain_odd + "/prompt.sh"));
}

TEST_F(ShellHookTest, PathCharactersSpecialInDoubleQuotesAreEscaped) {
  setenv("FENNICK_DIR", "/p/a\\b\"c$d`e", 1);
  const std::string escaped = "/p/a\\\\b\\\"c\\$d\\`e/prompt.sh";
  EXPECT_EQ(hook_block(),
            kStart + "\n[ -r \"" + escaped + "\" ] && . \"" + escaped + "\"\n" + kEnd + "\n");
  setenv("FENNICK_DIR", "/p/$HOME/$(id)/trailing\\", 1);
  const std::string escaped2 = "/p/\\$HOME/\\$(id)/trailing\\\\/prompt.sh";
  EXPECT_EQ(hook_block(),
            kStart + "\n[ -r \"" + escaped2 + "\" ] && . \"" + escaped2 + "\"\n" + kEnd + "\n");
}

// The hook line, as sh, bash and zsh read it, sources the prompt script at the exact path and
// runs nothing that the path spells.
TEST_F(ShellHookTest, RealShellsSourceTheScriptAtAnOddPath) {
  const std::vector<std::string> folders = {
      home() + "/plain",
      home() + "/with blank and it's ~ !bang *",
      home() + "/dollar $HOME ${HOME} $(touch PWNED1) `touch PWNED2`",
      home() + "/quote \" back\\slash \\$ \\\" end\\",
      home() + "/caf\xC3\xA9 \xF0\x9F\x90\x9F",
  };
  const std::string run_in = home() + "/cwd";
  make_dir(run_in);
  for (const std::string& folder : folders) {
    setenv("FENNICK_DIR", folder.c_str(), 1);
    write_file(folder + "/prompt.sh", "printf 'sourced %s\\n' \"$FK_MARK\"\n");
    const std::string block = hook_block();
    ASSERT_EQ(std::count(block.begin(), block.end(), '\n'), 3) << block;
    for (const char* shell : {"sh", "bash", "zsh"}) {
      const std::vector<std::string> command =
          std::string(shell) == "zsh"
              ? std::vector<std::string>{"zsh", "-f",  "-c", "cd \"$1\" && FK_MARK=yes\n" + block,
                                         "zsh", run_in}
              : std::vector<std::string>{shell, "-c", "cd \"$1\" && FK_MARK=yes\n" + block, shell,
                                         run_in};
      const RunResult run = run_program(command);
      EXPECT_EQ(run.out, "sourced yes\n") << shell << " " << folder << "\n" << run.err;
      EXPECT_EQ(run.status, 0) << shell << " " << folder;
    }
    EXPECT_TRUE(folder_entries(run_in).empty()) << "a command in the path ran: " << folder;
  }
}

TEST_F(ShellHookTest, StripLeavesTextsWithoutABlockUnchanged) {
  for (const std::string& text : {
           std::string(""),
           std::string("\n"),
           std::string("alias ll='ls -l'\n"),
           std::string("no final line feed"),
           std::string("trailing blank lines stay\n\n\n"),
           kStart + "\nonly a start marker\n\n",
           "only an end marker\n" + kEnd + "\n\n",
           // The end marker before the start marker is no block.
           kEnd + "\n" + kStart + "\n",
           "x\n" + kEnd + "\nmiddle\n" + kStart + "\ny\n\n",
           std::string("# >>> fennick\n# <<< fennick\n"),
           std::string("# >>> Fennick >>>\n# <<< fennick <<<\n"),
           // Marker words inside a line are the user's text, in a comment or anywhere else.
           "x " + kStart + "\n" + kEnd,
           "x " + kStart + " y\nline\nz " + kEnd + " w\nrest\n",
           "code; " + kStart + kEnd + "\n",
           "echo '" + kStart + "' # " + kStart + "\nalias a=b\n# " + kEnd + "\n",
           " " + kStart + " \n" + kEnd + "\n",
       }) {
    EXPECT_EQ(strip_hook_block(text), text) << testing::PrintToString(text);
  }
}

TEST_F(ShellHookTest, StripTakesOutExactlyTheBlock) {
  const std::string b = block();
  const std::string open = open_block();
  const struct {
    std::string text;
    std::string stripped;
  } cases[] = {
      {"a\n" + b, "a\n"},
      // Blank lines before or after the block are the user's and stay.
      {"a\n\n" + b, "a\n\n"},
      {"a\n\n\n\n" + b, "a\n\n\n\n"},
      {"a\n" + b + "\n\n", "a\n\n\n"},
      // The line end after the end marker belongs to the block.
      {"a\n" + b + "b\n", "a\nb\n"},
      {"a\n" + b + "\n\nb\n", "a\n\n\nb\n"},
      {"a\n" + b + "b", "a\nb"},
      {b, ""},
      {"\n\n" + b, "\n\n"},
      // A block at the very end without a line end of its own was put below a last line without
      // one: the line feed before it goes with it.
      {"a\n" + open, "a"},
      {"a\r\n" + open, "a\r"},
      {"a\n" + kStart + "\nline\n" + kEnd, "a"},
      {open, ""},
      {"\n" + open, ""},
      // A block that added the line feed above it takes it along while it ends the text; with
      // lines appended below it, it leaves the line feed, so that no two lines are joined.
      {"a\n" + lf_block(), "a"},
      {"a\n" + lf_block() + "export X=1\n", "a\nexport X=1\n"},
      // CR LF and CR line ends after the end marker go with it.
      {"a\r\n" + kStart + "\r\nline\r\n" + kEnd + "\r\nb\r\n", "a\r\nb\r\n"},
      {"a\r" + kStart + "\rline\r" + kEnd + "\rb\r", "a\rb\r"},
      {"a\n" + kStart + "\n" + kEnd + "\r\r\n", "a\n\r\n"},
      // Any lines between the markers go, whatever they say.
      {"a\n" + kStart + "\nsomething else\n\nmore\n" + kEnd + "\nb\n", "a\nb\n"},
      // Marker words inside a line do not end or start the block.
      {"# " + kStart + "\n" + kStart + "\n# " + kEnd + "\n" + kEnd + "\nb\n",
       "# " + kStart + "\nb\n"},
      // Only the first block goes; a second one further down stays.
      {"a\n" + b + "b\n" + b, "a\nb\n" + b},
      // Other bytes around the block are left alone.
      {std::string("\0nul\r", 5) + "\n" + b + std::string("\xFF\0", 2),
       std::string("\0nul\r\n\xFF\0", 8)},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(strip_hook_block(c.text), c.stripped) << testing::PrintToString(c.text);
  }
}

// A stray start marker above the block (a block the user cut short) stays with the lines after
// it, and a stray end marker before the block does not hide the block.
TEST_F(ShellHookTest, StripPairsTheMarkersOfTheBlockItself) {
  const std::string b = block();
  const std::string cut_short = "a\n" + kStart + "\nmy own line\n";
  EXPECT_EQ(strip_hook_block(cut_short + b), cut_short);
  EXPECT_EQ(strip_hook_block(cut_short + "\n\n" + b + "after\n"), cut_short + "\n\nafter\n");
  const std::string two_starts = kStart + "\n" + kStart + " inline\nmine\n";
  EXPECT_EQ(strip_hook_block(two_starts + b), two_starts);

  const std::string stray_end = "x\n" + kEnd + "\ny\n";
  EXPECT_EQ(strip_hook_block(stray_end + b), stray_end);
  EXPECT_EQ(strip_hook_block(stray_end + "\n" + b + "z\n"), stray_end + "\nz\n");
  const std::string end_then_start = kEnd + "\n" + kStart + "\nmine\n";
  EXPECT_EQ(strip_hook_block(end_then_start + b), end_then_start);

  // With one well-formed block and nothing stray, the first start and first end are the block.
  EXPECT_EQ(strip_hook_block("top\n" + b + "bottom\n"), "top\nbottom\n");
}

TEST_F(ShellHookTest, AddPutsTheBlockAtTheEnd) {
  const std::string b = block();
  const std::string open = open_block();
  EXPECT_EQ(add_hook_block(""), b);
  EXPECT_EQ(add_hook_block("a\n"), "a\n" + b);
  // Below a last line without a line feed the block adds one and says so, and still ends with
  // one of its own; added again, nothing changes. A block once written without a final line end
  // is written anew.
  EXPECT_EQ(add_hook_block("a"), "a\n" + lf_block());
  EXPECT_EQ(add_hook_block("a\n" + lf_block()), "a\n" + lf_block());
  EXPECT_EQ(add_hook_block("a\n" + open), "a\n" + lf_block());
  EXPECT_EQ(add_hook_block("a\r"), "a\r\n" + lf_block());
  EXPECT_EQ(add_hook_block("a\r\n"), "a\r\n" + b);
  // Blank lines before the block stay.
  EXPECT_EQ(add_hook_block("a\n\n"), "a\n\n" + b);
  EXPECT_EQ(add_hook_block(add_hook_block("a\n\n")), "a\n\n" + b);
  // The block as it would be written stays where it is, in the middle too; an outdated block in
  // the middle is taken out and the new one goes at the end.
  EXPECT_EQ(add_hook_block("a\n" + b + "b\n"), "a\n" + b + "b\n");
  EXPECT_EQ(add_hook_block("a\n" + b + "b"), "a\n" + b + "b");
  const std::string outdated = block_for("/old/prompt.sh");
  EXPECT_EQ(add_hook_block("a\n" + outdated + "b\n"), "a\nb\n" + b);
  EXPECT_EQ(add_hook_block("a\n" + outdated + "b"), "a\nb\n" + lf_block());
  EXPECT_EQ(add_hook_block("a\n" + b), "a\n" + b);
  EXPECT_EQ(add_hook_block(b), b);
  // A block with another path is replaced.
  EXPECT_EQ(add_hook_block("a\n" + block_for("/old/prompt.sh")), "a\n" + b);
  // Stray markers: the cut-short block stays, and a second add changes nothing.
  const std::string cut_short = "a\n" + kStart + "\nmine\n";
  EXPECT_EQ(add_hook_block(cut_short), cut_short + b);
  EXPECT_EQ(add_hook_block(cut_short + b), cut_short + b);
  const std::string stray_end = "a\n" + kEnd + "\n";
  EXPECT_EQ(add_hook_block(stray_end), stray_end + b);
  EXPECT_EQ(add_hook_block(stray_end + b), stray_end + b);
}

TEST_F(ShellHookTest, AddOnAFreshHomeCreatesOnlyTheBashrc) {
  EXPECT_EQ(hooks(false), "added block to " + bashrc() + "\n" + zshrc_skipped());
  EXPECT_EQ(read_file(bashrc()), block());
  EXPECT_EQ(folder_entries(home()), std::set<std::string>{".bashrc"});
  EXPECT_EQ(hooks(false), "unchanged: " + bashrc() + "\n" + zshrc_skipped());

  // Remove visits both files, missing or not, and creates neither; the bashrc it created goes
  // again, and no backup keeps bytes that were only the block.
  EXPECT_EQ(hooks(true), "removed block from " + bashrc() + "\nunchanged: " + zshrc() + "\n");
  EXPECT_TRUE(folder_entries(home()).empty());
}

// No backup keeps an rc file that held only a block, made now or by an earlier version; the
// user's own empty ~/.zshrc stays, with its backup.
TEST_F(ShellHookTest, RemoveLeavesNothingTheProgramAloneMade) {
  write_file(bashrc(), block_for("/old/prompt.sh"));
  write_file(zshrc(), "");
  hooks(false);
  write_file(zshrc() + ".fennick-bak.1", block());
  hooks(true);
  EXPECT_EQ(folder_entries(home()), (std::set<std::string>{".zshrc", ".zshrc.fennick-bak"}));
  EXPECT_EQ(read_file(zshrc()) + read_file(zshrc() + ".fennick-bak"), "");
}

TEST_F(ShellHookTest, RemoveOnAFreshHomeCreatesNothing) {
  EXPECT_EQ(hooks(true), "unchanged: " + bashrc() + "\nunchanged: " + zshrc() + "\n");
  EXPECT_TRUE(folder_entries(home()).empty());
}

// Every state the files had before a change is kept once, under the next free backup name.
TEST_F(ShellHookTest, BothFilesAreUpdatedAndEveryStateIsBackedUpOnce) {
  const std::string bash_text = "export A=1\nalias ll='ls -l'\n";
  const std::string zsh_text = "setopt autocd\n";
  write_file(bashrc(), bash_text);
  write_file(zshrc(), zsh_text);
  EXPECT_EQ(hooks(false), "added block to " + bashrc() + "\nadded block to " + zshrc() + "\n");
  EXPECT_EQ(read_file(bashrc()), bash_text + block());
  EXPECT_EQ(read_file(zshrc()), zsh_text + block());
  EXPECT_EQ(read_file(bashrc() + ".fennick-bak"), bash_text);
  EXPECT_EQ(read_file(zshrc() + ".fennick-bak"), zsh_text);

  // A second add finds both files as they should be and leaves them untouched.
  const ino_t bash_inode = inode_of(bashrc());
  EXPECT_EQ(hooks(false), "unchanged: " + bashrc() + "\nunchanged: " + zshrc() + "\n");
  EXPECT_EQ(inode_of(bashrc()), bash_inode);

  // A new configuration folder gives a new block; the state before it is kept next.
  const std::string first_block = block();
  setenv("FENNICK_DIR", (home() + "/elsewhere").c_str(), 1);
  EXPECT_EQ(hooks(false), "added block to " + bashrc() + "\nadded block to " + zshrc() + "\n");
  EXPECT_EQ(read_file(bashrc()), bash_text + block_for(home() + "/elsewhere/prompt.sh"));
  EXPECT_EQ(read_file(bashrc() + ".fennick-bak"), bash_text);
  EXPECT_EQ(read_file(bashrc() + ".fennick-bak.1"), bash_text + first_block);

  // The removal keeps no state that is the user's text plus a block: only the user's own stay.
  EXPECT_EQ(hooks(true),
            "removed block from " + bashrc() + "\nremoved block from " + zshrc() + "\n");
  EXPECT_EQ(read_file(bashrc()), bash_text);
  EXPECT_EQ(read_file(zshrc()), zsh_text);
  EXPECT_EQ(hooks(true), "unchanged: " + bashrc() + "\nunchanged: " + zshrc() + "\n");

  // Back and forth between states already kept: no further backups.
  EXPECT_EQ(hooks(false), "added block to " + bashrc() + "\nadded block to " + zshrc() + "\n");
  EXPECT_EQ(hooks(true),
            "removed block from " + bashrc() + "\nremoved block from " + zshrc() + "\n");
  EXPECT_EQ(read_file(bashrc() + ".fennick-bak"), bash_text);
  EXPECT_EQ(
      folder_entries(home()),
      (std::set<std::string>{".bashrc", ".zshrc", ".bashrc.fennick-bak", ".zshrc.fennick-bak"}));
}

TEST_F(ShellHookTest, AnExistingBackupIsNeverOverwritten) {
  write_file(bashrc(), "current\n");
  write_file(bashrc() + ".fennick-bak", "an older backup\n");
  EXPECT_EQ(hooks(false), "added block to " + bashrc() + "\n" + zshrc_skipped());
  EXPECT_EQ(read_file(bashrc() + ".fennick-bak"), "an older backup\n");
  EXPECT_EQ(read_file(bashrc() + ".fennick-bak.1"), "current\n");
  // A hand-made file written after the backups is kept too.
  write_file(bashrc(), "edited by hand\n");
  EXPECT_EQ(hooks(false), "added block to " + bashrc() + "\n" + zshrc_skipped());
  EXPECT_EQ(read_file(bashrc() + ".fennick-bak.2"), "edited by hand\n");
  EXPECT_EQ(hooks(true), "removed block from " + bashrc() + "\nunchanged: " + zshrc() + "\n");
  EXPECT_EQ(read_file(bashrc()), "edited by hand\n");
  EXPECT_EQ(read_file(bashrc() + ".fennick-bak"), "an older backup\n");
  EXPECT_EQ(read_file(bashrc() + ".fennick-bak.1"), "current\n");
  EXPECT_FALSE(file_exists(bashrc() + ".fennick-bak.3"));  // the user's text plus the block
}

TEST_F(ShellHookTest, BlankLinesBeforeTheBlockStay) {
  write_file(bashrc(), "text\n\n");
  EXPECT_EQ(hooks(false), "added block to " + bashrc() + "\n" + zshrc_skipped());
  EXPECT_EQ(read_file(bashrc()), "text\n\n" + block());
  EXPECT_EQ(hooks(false), "unchanged: " + bashrc() + "\n" + zshrc_skipped());
  EXPECT_EQ(read_file(bashrc() + ".fennick-bak"), "text\n\n");
}

// Lines that another program appended below the block do not make every run move it.
TEST_F(ShellHookTest, CurrentBlockInTheMiddleStaysAndAnOutdatedOneMovesToTheEnd) {
  write_file(bashrc(), "top\n" + block() + "bottom\n");
  EXPECT_EQ(hooks(false), "unchanged: " + bashrc() + "\n" + zshrc_skipped());
  EXPECT_EQ(read_file(bashrc()), "top\n" + block() + "bottom\n");
  write_file(bashrc(), "top\n" + block_for("/old/prompt.sh") + "bottom\n");
  EXPECT_EQ(split_lines(hooks(false))[0], "added block to " + bashrc());
  EXPECT_EQ(read_file(bashrc()), "top\nbottom\n" + block());
}

TEST_F(ShellHookTest, RemoveLeavesTheBytesAroundTheBlock) {
  write_file(bashrc(), "text\n\n" + block() + "\n");
  EXPECT_EQ(hooks(true), "removed block from " + bashrc() + "\nunchanged: " + zshrc() + "\n");
  EXPECT_EQ(read_file(bashrc()), "text\n\n\n");
  EXPECT_FALSE(file_exists(zshrc()));

  // The end marker before the start marker is no block: nothing to remove.
  const std::string reversed = kEnd + "\n" + kStart + "\n";
  write_file(zshrc(), reversed);
  EXPECT_EQ(hooks(true), "unchanged: " + bashrc() + "\nunchanged: " + zshrc() + "\n");
  EXPECT_EQ(read_file(zshrc()), reversed);
}

TEST_F(ShellHookTest, OtherLineEndsStayAsTheyAre) {
  // A file without a final line end gets the block below a line feed of its own: found again as
  // it is, and taken out again with that line feed.
  const std::string no_final_lf = "first\n" + lf_block();
  write_file(zshrc(), no_final_lf);
  // A block written with CR LF line ends (by an editor, say) is written anew with LF, the
  // user's CR LF lines stay.
  const std::string crlf_lines = "first\r\nsecond\r\n";
  std::string crlf_block = block();
  for (size_t at = 0; (at = crlf_block.find('\n', at)) != std::string::npos; at += 2)
    crlf_block.insert(at, "\r");
  write_file(bashrc(), crlf_lines + crlf_block);
  EXPECT_EQ(hooks(false), "added block to " + bashrc() + "\nunchanged: " + zshrc() + "\n");
  EXPECT_EQ(read_file(bashrc()), crlf_lines + block());
  EXPECT_EQ(read_file(zshrc()), no_final_lf);
  EXPECT_EQ(read_file(bashrc() + ".fennick-bak"), crlf_lines + crlf_block);
  EXPECT_FALSE(file_exists(zshrc() + ".fennick-bak"));

  const std::string mixed = "first\r\nsecond\rthird";
  write_file(bashrc(), mixed);
  EXPECT_EQ(hooks(true), "unchanged: " + bashrc() + "\nremoved block from " + zshrc() + "\n");
  EXPECT_EQ(read_file(zshrc()), "first");
  EXPECT_EQ(hooks(false), "added block to " + bashrc() + "\nadded block to " + zshrc() + "\n");
  EXPECT_EQ(read_file(bashrc()), mixed + "\n" + lf_block());
  EXPECT_EQ(read_file(zshrc()), no_final_lf);
  EXPECT_EQ(hooks(true),
            "removed block from " + bashrc() + "\nremoved block from " + zshrc() + "\n");
  EXPECT_EQ(read_file(bashrc()), mixed);
  EXPECT_EQ(read_file(zshrc()), "first");
  // Each state of the user's before a change was kept once.
  EXPECT_EQ(read_file(bashrc() + ".fennick-bak.1"), mixed);
  EXPECT_EQ(read_file(zshrc() + ".fennick-bak"), "first");
  EXPECT_FALSE(file_exists(zshrc() + ".fennick-bak.1"));
}

TEST_F(ShellHookTest, StrayMarkersDoNotMultiplyTheBlock) {
  const std::string cut_short = "alias a=b\n" + kStart + "\nmy own lines\n";
  const std::string stray_end = "x=1\n" + kEnd + "\n";
  write_file(bashrc(), cut_short);
  write_file(zshrc(), stray_end);
  EXPECT_EQ(hooks(false), "added block to " + bashrc() + "\nadded block to " + zshrc() + "\n");
  EXPECT_EQ(read_file(bashrc()), cut_short + block());
  EXPECT_EQ(read_file(zshrc()), stray_end + block());
  for (int i = 0; i < 2; ++i) {
    EXPECT_EQ(hooks(false), "unchanged: " + bashrc() + "\nunchanged: " + zshrc() + "\n");
  }
  EXPECT_EQ(hooks(true),
            "removed block from " + bashrc() + "\nremoved block from " + zshrc() + "\n");
  EXPECT_EQ(read_file(bashrc()), cut_short);
  EXPECT_EQ(read_file(zshrc()), stray_end);
}

TEST_F(ShellHookTest, OddConfigurationFolderGivesAStableBlock) {
  setenv("FENNICK_DIR", (home() + "/c \"$x\" `y` \\z").c_str(), 1);
  write_file(bashrc(), "user\n");
  EXPECT_EQ(hooks(false), "added block to " + bashrc() + "\n" + zshrc_skipped());
  EXPECT_EQ(read_file(bashrc()), "user\n" + hook_block());
  EXPECT_EQ(hooks(false), "unchanged: " + bashrc() + "\n" + zshrc_skipped());
  EXPECT_EQ(hooks(true), "removed block from " + bashrc() + "\nunchanged: " + zshrc() + "\n");
  EXPECT_EQ(read_file(bashrc()), "user\n");
}

TEST_F(ShellHookTest, LinkedRcFileStaysALinkAndItsTargetChanges) {
  const std::string original = "# from my dotfiles\nexport EDITOR=vi\n";
  write_file(home() + "/dotfiles/bashrc", original);
  chmod((home() + "/dotfiles/bashrc").c_str(), 0600);
  std::filesystem::create_symlink("dotfiles/bashrc", bashrc());
  write_file(home() + "/elsewhere/zshrc", "zsh\n");
  std::filesystem::create_symlink(home() + "/elsewhere/zshrc", zshrc());

  EXPECT_EQ(hooks(false), "added block to " + bashrc() + "\nadded block to " + zshrc() + "\n");
  EXPECT_TRUE(is_symlink(bashrc()));
  EXPECT_TRUE(is_symlink(zshrc()));
  EXPECT_EQ(read_file(home() + "/dotfiles/bashrc"), original + block());
  EXPECT_EQ(read_file(home() + "/elsewhere/zshrc"), "zsh\n" + block());
  EXPECT_EQ(mode_of(home() + "/dotfiles/bashrc"), 0600u);
  // The backup lies beside the link as a plain, equally private file.
  EXPECT_FALSE(is_symlink(bashrc() + ".fennick-bak"));
  EXPECT_EQ(read_file(bashrc() + ".fennick-bak"), original);
  EXPECT_EQ(mode_of(bashrc() + ".fennick-bak"), 0600u);
  EXPECT_EQ(folder_entries(home() + "/dotfiles"), std::set<std::string>{"bashrc"});
  EXPECT_EQ(folder_entries(home() + "/elsewhere"), std::set<std::string>{"zshrc"});

  EXPECT_EQ(hooks(true),
            "removed block from " + bashrc() + "\nremoved block from " + zshrc() + "\n");
  EXPECT_TRUE(is_symlink(bashrc()));
  EXPECT_EQ(read_file(home() + "/dotfiles/bashrc"), original);
  EXPECT_EQ(mode_of(home() + "/dotfiles/bashrc"), 0600u);
  EXPECT_EQ(read_file(home() + "/elsewhere/zshrc"), "zsh\n");
}

TEST_F(ShellHookTest, DanglingLinkedBashrcGetsItsTargetCreated) {
  std::filesystem::create_symlink("dotfiles/bashrc", bashrc());
  make_dir(home() + "/dotfiles");
  std::filesystem::create_symlink("dotfiles/zshrc", zshrc());
  // The .zshrc link points at nothing: there is no .zshrc to add to.
  EXPECT_EQ(hooks(false), "added block to " + bashrc() + "\n" + zshrc_skipped());
  EXPECT_TRUE(is_symlink(bashrc()));
  EXPECT_EQ(read_file(home() + "/dotfiles/bashrc"), block());
  EXPECT_FALSE(file_exists(bashrc() + ".fennick-bak"));
  EXPECT_EQ(folder_entries(home() + "/dotfiles"), std::set<std::string>{"bashrc"});
}

TEST_F(ShellHookTest, PrivateRcFileAndItsBackupStayPrivate) {
  const mode_t old_mask = umask(022);
  write_file(bashrc(), "secret=1\n");
  chmod(bashrc().c_str(), 0600);
  write_file(zshrc(), "zsh\n");
  chmod(zshrc().c_str(), 0640);
  EXPECT_EQ(hooks(false), "added block to " + bashrc() + "\nadded block to " + zshrc() + "\n");
  EXPECT_EQ(mode_of(bashrc()), 0600u);
  EXPECT_EQ(mode_of(bashrc() + ".fennick-bak"), 0600u);
  EXPECT_EQ(mode_of(zshrc()), 0640u);
  EXPECT_EQ(mode_of(zshrc() + ".fennick-bak"), 0640u);
  EXPECT_EQ(hooks(true),
            "removed block from " + bashrc() + "\nremoved block from " + zshrc() + "\n");
  EXPECT_EQ(mode_of(bashrc()), 0600u);
  EXPECT_EQ(read_file(bashrc()), "secret=1\n");
  EXPECT_EQ(mode_of(zshrc()), 0640u);
  umask(old_mask);
}

TEST_F(ShellHookTest, AFolderInPlaceOfTheBashrcStopsBeforeAnyWrite) {
  make_dir(bashrc());
  write_file(zshrc(), "zsh\n");
  for (bool remove : {false, true}) {
    std::string printed;
    EXPECT_EQ(hooks_error(remove, printed),
              "Unable to open file \"" + bashrc() + "\": Is a directory");
    EXPECT_EQ(printed, "");
    EXPECT_EQ(read_file(zshrc()), "zsh\n");
    EXPECT_EQ(folder_entries(home()), (std::set<std::string>{".bashrc", ".zshrc"}));
    EXPECT_TRUE(folder_entries(bashrc()).empty());
  }
}

TEST_F(ShellHookTest, AFolderInPlaceOfTheZshrcKeepsTheBashrcChange) {
  write_file(bashrc(), "bash\n");
  make_dir(zshrc());
  std::string printed;
  EXPECT_EQ(hooks_error(false, printed), "Unable to open file \"" + zshrc() + "\": Is a directory");
  EXPECT_EQ(printed, "added block to " + bashrc() + "\n");
  EXPECT_EQ(read_file(bashrc()), "bash\n" + block());
}

TEST_F(ShellHookTest, AnUnreadableBashrcStopsBeforeAnyWrite) {
  if (getuid() == 0) GTEST_SKIP() << "root reads every file";
  write_file(bashrc(), "bash\n");
  chmod(bashrc().c_str(), 0);
  write_file(zshrc(), "zsh\n");
  std::string printed;
  EXPECT_EQ(hooks_error(false, printed),
            "Unable to open file \"" + bashrc() + "\": Permission denied");
  EXPECT_EQ(printed, "");
  EXPECT_EQ(read_file(zshrc()), "zsh\n");
  EXPECT_EQ(folder_entries(home()), (std::set<std::string>{".bashrc", ".zshrc"}));
}

TEST_F(ShellHookTest, AFailedBackupStopsBeforeTheRcFileIsWritten) {
  write_file(bashrc(), "bash\n");
  // Something in the way of the backup's temporary file: the backup cannot be created.
  make_dir(bashrc() + ".fennick-bak.tmp" + std::to_string(getpid()) + "/occupied");
  std::string printed;
  EXPECT_EQ(hooks_error(false, printed), "cannot write " + bashrc() + ".fennick-bak: File exists");
  EXPECT_EQ(printed, "");
  EXPECT_EQ(read_file(bashrc()), "bash\n");
}

// A link at the backup name to an outside copy of the very bytes of the rc file is not taken for
// the backup, nor followed or replaced: it is moved aside with a note, and the backup is made.
TEST_F(ShellHookTest, ALinkAtTheBackupNameIsMovedAside) {
  write_file(bashrc(), "bash\n");
  write_file(home() + "/outside/copy", "bash\n");
  std::filesystem::create_symlink(home() + "/outside/copy", bashrc() + ".fennick-bak");
  testing::internal::CaptureStderr();
  EXPECT_EQ(hooks(false), "added block to " + bashrc() + "\n" + zshrc_skipped());
  EXPECT_EQ(split_lines(testing::internal::GetCapturedStderr()).size(), 1u);
  EXPECT_FALSE(is_symlink(bashrc() + ".fennick-bak"));
  EXPECT_EQ(read_file(bashrc() + ".fennick-bak"), "bash\n");
  EXPECT_EQ(std::filesystem::read_symlink(bashrc() + ".fennick-bak.moved-aside"),
            home() + "/outside/copy");
  EXPECT_EQ(folder_entries(home() + "/outside"), std::set<std::string>{"copy"});
}

TEST_F(ShellHookTest, AFailedWriteLeavesTheRcFileAsItWas) {
  write_file(bashrc(), "bash\n");
  write_file(zshrc(), "zsh\n");
  const std::string temporary = bashrc() + ".tmp" + std::to_string(getpid());
  make_dir(temporary + "/occupied");
  std::string printed;
  EXPECT_EQ(hooks_error(false, printed), "cannot write " + bashrc() + ": File exists");
  EXPECT_EQ(printed, "");
  EXPECT_EQ(read_file(bashrc()), "bash\n");
  EXPECT_EQ(read_file(zshrc()), "zsh\n");
  // The backup was taken before the write was tried.
  EXPECT_EQ(read_file(bashrc() + ".fennick-bak"), "bash\n");
  EXPECT_FALSE(file_exists(zshrc() + ".fennick-bak"));
}

// Random rc texts: lines of code, comments, blanks, UTF-8, NUL, lone CRs and other bytes with LF,
// CR LF or CR line ends (or CR LF alone), no final line end or a blank tail, marker words inside
// lines (in a comment, in the middle), and stray start or end marker lines, but never a start
// marker line with an end marker line after it, since that pair is a block.
class RcTextGenerator {
 public:
  explicit RcTextGenerator(unsigned seed) : random_(seed) {}

  std::string next() {
    for (;;) {
      std::string text = candidate();
      if (!has_block(text)) return text;
    }
  }

 private:
  size_t below(size_t n) { return std::uniform_int_distribution<size_t>(0, n - 1)(random_); }

  std::string line_end() {
    const size_t pick = crlf_only_ ? 7 : below(10);
    return pick < 7 ? "\n" : pick < 9 ? "\r\n" : "\r";
  }

  std::string candidate() {
    static const std::string pieces[] = {
        "export PATH=\"$HOME/bin:$PATH\"",
        "alias ll='ls -l'",
        "# a comment",
        "",
        " ",
        "\t",
        "if [ -f ~/.bash_aliases ]; then",
        "fi",
        "caf\xC3\xA9",
        "\xE6\x97\xA5\xE6\x9C\xAC\xE8\xAA\x9E",
        "\xF0\x9F\x90\x9F",
        "fennick",
        "# >>>",
        "<<<",
        "# >>> fenn",
        "ick >>>",
        "# <<< fennick",
        ">>> fennick >>>",
        "\\",
        "\"",
        "$(date)",
        "[ -r \"/x/prompt.sh\" ] && . \"/x/prompt.sh\"",
        std::string("\0", 1),
        std::string("nul\0inside", 10),
        "lone\rcr",
        "\r",
        "\xFF\xFE\x80",
    };
    if (below(30) == 0) return "";
    crlf_only_ = below(8) == 0;
    std::string text;
    bool start_seen = false;
    const size_t lines = below(12);
    for (size_t i = 0; i < lines; ++i) {
      std::string line;
      for (size_t n = below(4); n > 0; --n)
        line += pieces[below(sizeof pieces / sizeof pieces[0])];
      // Now and then a few bytes of any value.
      if (below(8) == 0) {
        for (size_t n = 1 + below(6); n > 0; --n)
          line += static_cast<char>(below(256));
      }
      if (below(5) == 0) {
        // Marker words of any kind inside the line, in a comment of its own or in the middle.
        const std::string words[] = {kStart, kStartAfterLf, kEnd};
        const std::string& marker = words[below(3)];
        line = below(2) == 0
                   ? line + " # " + marker
                   : line.substr(0, line.size() / 2) + marker + line.substr(line.size() / 2);
      } else if (below(5) == 0) {
        // A stray marker line: end markers only before the first start marker.
        const bool start = start_seen || below(2) == 0;
        start_seen = start_seen || start;
        line = start ? (below(2) == 0 ? kStart : kStartAfterLf) : kEnd;
      }
      text += line + line_end();
    }
    const size_t ending = below(10);
    if (ending < 3 && !text.empty()) {
      // No final line end.
      while (!text.empty() && (text.back() == '\n' || text.back() == '\r'))
        text.pop_back();
    } else if (ending < 6) {
      // A blank tail of one to three empty lines.
      for (size_t n = 1 + below(3); n > 0; --n)
        text += line_end();
    }
    return text;
  }

  std::mt19937 random_;
  bool crlf_only_ = false;
};

// For any bytes t and u without a block (t as generated, or as re-joined lines):
//   add(t) is t itself followed by the block on lines of its own (after a line feed of its own
//   when t's last byte is none), and strip(add(t)) == t: add then remove gives t back;
//   add(add(t)) == add(t);
//   a block between t (ended by a line feed) and u is taken out leaving exactly t followed by u;
//   add leaves it where it is, and moves an outdated block below them;
//   u appended to add(t) stays on lines of its own, and strip leaves t (ended by a line feed)
//   followed by u.
TEST_F(ShellHookTest, PropertiesOfAddAndStripOnRandomTexts) {
  const std::string b = block();
  const std::string outdated = block_for("/old/prompt.sh");
  RcTextGenerator generator(20240611);
  int files_checked = 0;
  for (int i = 0; i < 3000; ++i) {
    const std::string raw = generator.next();
    const std::string lines = rejoined(raw);
    for (const std::string& t : {raw, lines}) {
      SCOPED_TRACE(testing::PrintToString(t));
      ASSERT_EQ(strip_hook_block(t), t);
      // The bytes with the block put below them.
      const auto appended = [&](const std::string& text) {
        return text.empty() || text.back() == '\n' ? text + b : text + "\n" + lf_block();
      };
      const std::string once = add_hook_block(t);
      ASSERT_EQ(once, appended(t));
      ASSERT_EQ(strip_hook_block(once), t);
      ASSERT_EQ(add_hook_block(once), once);

      const std::string after = generator.next();
      const std::string before = t.empty() || t.back() == '\n' ? t : t + "\n";
      SCOPED_TRACE(testing::PrintToString(after));
      ASSERT_EQ(strip_hook_block(before + b + after), before + after);
      ASSERT_EQ(add_hook_block(before + b + after), before + b + after);
      ASSERT_EQ(add_hook_block(before + outdated + after), appended(before + after));
      if (!after.empty()) {
        ASSERT_EQ(strip_hook_block(once + after), before + after);
      }
    }
    // The files are read as the re-joined lines of the model.
    // (A new file each time: rewriting one file in place can make the file system flush it.)
    const std::string copy = home() + "/rc-" + std::to_string(i);
    write_file(copy, raw);
    ASSERT_EQ(read_text_file(copy), lines) << testing::PrintToString(raw);
    std::filesystem::remove(copy);
    // Every hundredth text goes through the rc file itself (each write is flushed to the disk):
    // the file ends up holding the model's bytes, and its old bytes again after the removal.
    if (i % 100 == 0) {
      SCOPED_TRACE(testing::PrintToString(raw));
      ++files_checked;
      for (const std::string& name : folder_entries(home()))
        std::filesystem::remove(home() + "/" + name);
      write_file(bashrc(), raw);
      ASSERT_EQ(hooks(false), "added block to " + bashrc() + "\n" + zshrc_skipped());
      ASSERT_EQ(read_file(bashrc()), add_hook_block(raw));
      ASSERT_EQ(read_file(bashrc() + ".fennick-bak"), raw);
      ASSERT_EQ(hooks(true), "removed block from " + bashrc() + "\nunchanged: " + zshrc() + "\n");
      ASSERT_EQ(read_file(bashrc()), raw);
    }
  }
  EXPECT_EQ(files_checked, 30);
}

}  // namespace
