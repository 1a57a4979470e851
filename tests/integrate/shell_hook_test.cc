// The hook block in ~/.bashrc and ~/.zshrc: its text, taking it out of and putting it into a
// text, and updating the two files with their one-time backups.
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
const std::string kEnd = "# <<< fennick <<<";

// The block for a prompt script path that needs no escaping.
std::string block_for(const std::string& script) {
  return kStart + "\n[ -r \"" + script + "\" ] && . \"" + script + "\"\n" + kEnd + "\n";
}

bool ends_with(const std::string& text, const std::string& tail) {
  return text.size() >= tail.size() &&
         text.compare(text.size() - tail.size(), tail.size(), tail) == 0;
}

// True when the text holds a start marker with an end marker somewhere after it: a block.
bool has_block(const std::string& text) {
  const size_t start = text.find(kStart);
  return start != std::string::npos && text.find(kEnd, start) != std::string::npos;
}

// The text without its trailing line feeds, ended by exactly one.
std::string one_final_line_feed(std::string text) {
  while (!text.empty() && text.back() == '\n')
    text.pop_back();
  return text + "\n";
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

class ShellHookTest : public TempHomeTest {
 protected:
  std::string bashrc() const { return home() + "/.bashrc"; }
  std::string zshrc() const { return home() + "/.zshrc"; }
  std::string script() const { return config() + "/prompt.sh"; }
  std::string block() const { return block_for(script()); }

  // Runs update_shell_hooks and returns what it printed; an error fails the test.
  static std::string hooks(bool remove) {
    testing::internal::CaptureStdout();
    try {
      update_shell_hooks(remove);
    } catch (const std::runtime_error& error) {
      ADD_FAILURE() << "unexpected error: " << error.what();
    }
    return testing::internal::GetCapturedStdout();
  }

  // Runs update_shell_hooks expecting an error; returns its message, the output in printed.
  static std::string hooks_error(bool remove, std::string& printed) {
    std::string message;
    testing::internal::CaptureStdout();
    try {
      update_shell_hooks(remove);
    } catch (const std::runtime_error& error) {
      message = error.what();
    }
    printed = testing::internal::GetCapturedStdout();
    EXPECT_NE(message, "") << "no error raised";
    return message;
  }

  static std::set<std::string> entries(const std::string& dir) {
    std::set<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(dir))
      names.insert(entry.path().filename().string());
    return names;
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
    EXPECT_TRUE(entries(run_in).empty()) << "a command in the path ran: " << folder;
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
       }) {
    EXPECT_EQ(strip_hook_block(text), text) << testing::PrintToString(text);
  }
}

TEST_F(ShellHookTest, StripTakesOutTheBlockAndCollapsesTheLineFeedsAtTheEnd) {
  const std::string b = block();
  const struct {
    std::string text;
    std::string stripped;
  } cases[] = {
      {"a\n" + b, "a\n"},
      // A blank line before a block at the end goes with it: exactly one LF ends the text.
      {"a\n\n" + b, "a\n"},
      {"a\n\n\n\n" + b, "a\n"},
      {"a\n" + b + "\n\n", "a\n"},
      // A block with text after it leaves the LF that ended its end marker as an empty line;
      // blank lines inside the text stay, only the end is collapsed.
      {"a\n" + b + "b\n", "a\n\nb\n"},
      {"a\n" + b + "\n\nb\n", "a\n\n\n\nb\n"},
      {"a\n\n" + b + "b\n\n\n", "a\n\n\nb\n"},
      {"a\n" + b + "b", "a\n\nb"},
      // The block alone leaves that LF alone.
      {b, "\n"},
      {"\n\n" + b, "\n"},
      // A block whose end marker has no LF.
      {"a\n" + kStart + "\nline\n" + kEnd, "a\n"},
      // Any lines between the markers go, whatever they say.
      {"a\n" + kStart + "\nsomething else\n\nmore\n" + kEnd + "\nb\n", "a\n\nb\n"},
      // The markers are plain substrings anywhere in a line.
      {"x " + kStart + " y\nline\nz " + kEnd + " w\nrest\n", "x  w\nrest\n"},
      {"code; " + kStart + kEnd + "\n", "code; \n"},
      // Only the first block goes; a second one further down stays.
      {"a\n" + b + "b\n" + b, "a\n\nb\n" + b},
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
  EXPECT_EQ(strip_hook_block(cut_short + "\n\n" + b + "after\n"), cut_short + "\n\n\nafter\n");
  const std::string two_starts = kStart + "\n" + kStart + " inline\nmine\n";
  EXPECT_EQ(strip_hook_block(two_starts + b), two_starts);

  const std::string stray_end = "x\n" + kEnd + "\ny\n";
  EXPECT_EQ(strip_hook_block(stray_end + b), stray_end);
  EXPECT_EQ(strip_hook_block(stray_end + "\n" + b + "z\n"), stray_end + "\n\nz\n");
  const std::string end_then_start = kEnd + "\n" + kStart + "\nmine\n";
  EXPECT_EQ(strip_hook_block(end_then_start + b), end_then_start);

  // With one well-formed block and nothing stray, the first start and first end are the block.
  EXPECT_EQ(strip_hook_block("top\n" + b + "bottom\n"), "top\n\nbottom\n");
}

TEST_F(ShellHookTest, AddPutsTheBlockAtTheEnd) {
  const std::string b = block();
  EXPECT_EQ(add_hook_block(""), b);
  EXPECT_EQ(add_hook_block("a"), "a\n" + b);
  EXPECT_EQ(add_hook_block("a\n"), "a\n" + b);
  // A blank line before the block is kept by the first add and goes with the next one.
  EXPECT_EQ(add_hook_block("a\n\n"), "a\n\n" + b);
  EXPECT_EQ(add_hook_block(add_hook_block("a\n\n")), "a\n" + b);
  EXPECT_EQ(add_hook_block(add_hook_block(add_hook_block("a\n\n"))), "a\n" + b);
  // A block in the middle moves to the end; an already final block stays as it is.
  EXPECT_EQ(add_hook_block("a\n" + b + "b\n"), "a\n\nb\n" + b);
  EXPECT_EQ(add_hook_block("a\n" + b), "a\n" + b);
  // A block with another path is replaced.
  EXPECT_EQ(add_hook_block("a\n" + block_for("/old/prompt.sh")), "a\n" + b);
  // The empty text: the removed block leaves one LF, so a second add puts the block below an
  // empty line, and from then on nothing changes.
  EXPECT_EQ(add_hook_block(b), "\n" + b);
  EXPECT_EQ(add_hook_block("\n" + b), "\n" + b);
  // Stray markers: the cut-short block stays, and a second add changes nothing.
  const std::string cut_short = "a\n" + kStart + "\nmine\n";
  EXPECT_EQ(add_hook_block(cut_short), cut_short + b);
  EXPECT_EQ(add_hook_block(cut_short + b), cut_short + b);
  const std::string stray_end = "a\n" + kEnd + "\n";
  EXPECT_EQ(add_hook_block(stray_end), stray_end + b);
  EXPECT_EQ(add_hook_block(stray_end + b), stray_end + b);
}

TEST_F(ShellHookTest, AddOnAFreshHomeCreatesOnlyTheBashrc) {
  EXPECT_EQ(hooks(false), "added block to " + bashrc() + "\n");
  EXPECT_EQ(read_file(bashrc()), block());
  EXPECT_EQ(entries(home()), std::set<std::string>{".bashrc"});

  // Stripping the block leaves the LF that ended it, so the second add still changes the file
  // (and keeps the first state as the backup); the third finds nothing to change.
  EXPECT_EQ(hooks(false), "added block to " + bashrc() + "\n");
  EXPECT_EQ(read_file(bashrc()), "\n" + block());
  EXPECT_EQ(read_file(bashrc() + ".fennick-bak"), block());
  EXPECT_EQ(hooks(false), "unchanged: " + bashrc() + "\n");

  // Remove visits both files, missing or not, and creates neither.
  EXPECT_EQ(hooks(true), "removed block from " + bashrc() + "\nunchanged: " + zshrc() + "\n");
  EXPECT_EQ(read_file(bashrc()), "\n");
  EXPECT_FALSE(file_exists(zshrc()));
}

TEST_F(ShellHookTest, RemoveOnAFreshHomeCreatesNothing) {
  EXPECT_EQ(hooks(true), "unchanged: " + bashrc() + "\nunchanged: " + zshrc() + "\n");
  EXPECT_TRUE(entries(home()).empty());
}

TEST_F(ShellHookTest, BothFilesAreUpdatedAndBackedUpOnce) {
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

  // A new configuration folder gives a new block; the backups keep the first state.
  setenv("FENNICK_DIR", (home() + "/elsewhere").c_str(), 1);
  EXPECT_EQ(hooks(false), "added block to " + bashrc() + "\nadded block to " + zshrc() + "\n");
  EXPECT_EQ(read_file(bashrc()), bash_text + block_for(home() + "/elsewhere/prompt.sh"));
  EXPECT_EQ(read_file(bashrc() + ".fennick-bak"), bash_text);

  EXPECT_EQ(hooks(true),
            "removed block from " + bashrc() + "\nremoved block from " + zshrc() + "\n");
  EXPECT_EQ(read_file(bashrc()), bash_text);
  EXPECT_EQ(read_file(zshrc()), zsh_text);
  EXPECT_EQ(hooks(true), "unchanged: " + bashrc() + "\nunchanged: " + zshrc() + "\n");
  EXPECT_EQ(read_file(bashrc() + ".fennick-bak"), bash_text);
  EXPECT_EQ(entries(home()), (std::set<std::string>{".bashrc", ".zshrc", ".bashrc.fennick-bak",
                                                    ".zshrc.fennick-bak"}));
}

TEST_F(ShellHookTest, AnExistingBackupIsNeverOverwritten) {
  write_file(bashrc(), "current\n");
  write_file(bashrc() + ".fennick-bak", "an older backup\n");
  EXPECT_EQ(hooks(false), "added block to " + bashrc() + "\n");
  EXPECT_EQ(read_file(bashrc() + ".fennick-bak"), "an older backup\n");
  EXPECT_EQ(hooks(true), "removed block from " + bashrc() + "\nunchanged: " + zshrc() + "\n");
  EXPECT_EQ(read_file(bashrc() + ".fennick-bak"), "an older backup\n");
}

TEST_F(ShellHookTest, BlankLineBeforeTheBlockTakesTwoAdds) {
  write_file(bashrc(), "text\n\n");
  EXPECT_EQ(hooks(false), "added block to " + bashrc() + "\n");
  EXPECT_EQ(read_file(bashrc()), "text\n\n" + block());
  EXPECT_EQ(hooks(false), "added block to " + bashrc() + "\n");
  EXPECT_EQ(read_file(bashrc()), "text\n" + block());
  EXPECT_EQ(hooks(false), "unchanged: " + bashrc() + "\n");
  EXPECT_EQ(read_file(bashrc() + ".fennick-bak"), "text\n\n");
}

TEST_F(ShellHookTest, BlockInTheMiddleMovesToTheEnd) {
  write_file(bashrc(), "top\n" + block() + "bottom\n");
  EXPECT_EQ(hooks(false), "added block to " + bashrc() + "\n");
  EXPECT_EQ(read_file(bashrc()), "top\n\nbottom\n" + block());
}

TEST_F(ShellHookTest, RemoveLeavesExactlyOneFinalLineFeed) {
  write_file(bashrc(), "text\n\n" + block());
  EXPECT_EQ(hooks(true), "removed block from " + bashrc() + "\nunchanged: " + zshrc() + "\n");
  EXPECT_EQ(read_file(bashrc()), "text\n");
  EXPECT_FALSE(file_exists(zshrc()));

  // The end marker before the start marker is no block: nothing to remove.
  const std::string reversed = kEnd + "\n" + kStart + "\n";
  write_file(zshrc(), reversed);
  EXPECT_EQ(hooks(true), "unchanged: " + bashrc() + "\nunchanged: " + zshrc() + "\n");
  EXPECT_EQ(read_file(zshrc()), reversed);
}

TEST_F(ShellHookTest, OtherLineEndsCountAsUnchangedUntilSomethingChanges) {
  // The block already ends the file; only the line ends differ: the bytes stay as they are.
  std::string crlf_text = "first\r\nsecond\r\n" + block();
  size_t at = 0;
  while ((at = crlf_text.find('\n', at)) != std::string::npos) {
    if (at == 0 || crlf_text[at - 1] != '\r') crlf_text.insert(at++, "\r");
    ++at;
  }
  write_file(bashrc(), crlf_text);
  const std::string no_final_lf = "first\n" + block().substr(0, block().size() - 1);
  write_file(zshrc(), no_final_lf);
  EXPECT_EQ(hooks(false), "unchanged: " + bashrc() + "\nunchanged: " + zshrc() + "\n");
  EXPECT_EQ(read_file(bashrc()), crlf_text);
  EXPECT_EQ(read_file(zshrc()), no_final_lf);
  EXPECT_FALSE(file_exists(bashrc() + ".fennick-bak"));

  // A change writes the whole file with LF line ends; the backup keeps the original bytes.
  write_file(bashrc(), "first\r\nsecond\rthird");
  EXPECT_EQ(hooks(true), "unchanged: " + bashrc() + "\nremoved block from " + zshrc() + "\n");
  EXPECT_EQ(hooks(false), "added block to " + bashrc() + "\nadded block to " + zshrc() + "\n");
  EXPECT_EQ(read_file(bashrc()), "first\nsecond\nthird\n" + block());
  EXPECT_EQ(read_file(bashrc() + ".fennick-bak"), "first\r\nsecond\rthird");
  EXPECT_EQ(read_file(zshrc()), "first\n" + block());
  EXPECT_EQ(read_file(zshrc() + ".fennick-bak"), no_final_lf);
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
  EXPECT_EQ(hooks(false), "added block to " + bashrc() + "\n");
  EXPECT_EQ(read_file(bashrc()), "user\n" + hook_block());
  EXPECT_EQ(hooks(false), "unchanged: " + bashrc() + "\n");
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
  EXPECT_EQ(entries(home() + "/dotfiles"), std::set<std::string>{"bashrc"});
  EXPECT_EQ(entries(home() + "/elsewhere"), std::set<std::string>{"zshrc"});

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
  EXPECT_EQ(hooks(false), "added block to " + bashrc() + "\n");
  EXPECT_TRUE(is_symlink(bashrc()));
  EXPECT_EQ(read_file(home() + "/dotfiles/bashrc"), block());
  EXPECT_FALSE(file_exists(bashrc() + ".fennick-bak"));
  EXPECT_EQ(entries(home() + "/dotfiles"), std::set<std::string>{"bashrc"});
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
    EXPECT_EQ(entries(home()), (std::set<std::string>{".bashrc", ".zshrc"}));
    EXPECT_TRUE(entries(bashrc()).empty());
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
  EXPECT_EQ(entries(home()), (std::set<std::string>{".bashrc", ".zshrc"}));
}

TEST_F(ShellHookTest, AFailedBackupStopsBeforeTheRcFileIsWritten) {
  write_file(bashrc(), "bash\n");
  write_file(home() + "/plain", "a file\n");
  // The backup path leads through a regular file: the copy cannot be created.
  std::filesystem::create_symlink("plain/backup", bashrc() + ".fennick-bak");
  std::string printed;
  EXPECT_EQ(hooks_error(false, printed),
            "cannot write " + bashrc() + ".fennick-bak: Not a directory");
  EXPECT_EQ(printed, "");
  EXPECT_EQ(read_file(bashrc()), "bash\n");
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

// Random rc texts: lines of code, comments, blanks and UTF-8 with LF, CR LF or CR line ends, no
// final line end or a blank tail, and stray start or end markers (whole lines or inside a line),
// but never a start marker with an end marker after it, since that pair is a block.
class RcTextGenerator {
 public:
  explicit RcTextGenerator(unsigned seed) : random_(seed) {}

  std::string next() {
    for (;;) {
      std::string text = candidate();
      if (!has_block(text) && !has_block(rejoined(text))) return text;
    }
  }

 private:
  size_t below(size_t n) { return std::uniform_int_distribution<size_t>(0, n - 1)(random_); }

  std::string line_end() {
    const size_t pick = below(10);
    return pick < 7 ? "\n" : pick < 9 ? "\r\n" : "\r";
  }

  std::string candidate() {
    static const char* const pieces[] = {
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
    };
    if (below(30) == 0) return "";
    std::string text;
    bool start_seen = false;
    const size_t lines = below(12);
    for (size_t i = 0; i < lines; ++i) {
      std::string line;
      for (size_t n = below(4); n > 0; --n)
        line += pieces[below(sizeof pieces / sizeof pieces[0])];
      if (below(6) == 0) {
        // A stray marker: end markers only before the first start marker.
        const bool start = start_seen || below(2) == 0;
        start_seen = start_seen || start;
        const std::string marker = start ? kStart : kEnd;
        line = below(2) == 0
                   ? marker
                   : line.substr(0, line.size() / 2) + marker + line.substr(line.size() / 2);
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
};

// For any text t without a block (raw bytes, or re-joined lines u as the files are read):
//   strip(add(t)) is t with its trailing LFs replaced by exactly one LF (so "" gives "\n");
//   add(t) ends with the block, as whole lines; nothing of a block is left after a strip;
//   add(add(t)) == add(add(add(t))); and add(t) == add(add(t)) unless t is empty or ends in a
//   blank line ("\n\n").
TEST_F(ShellHookTest, PropertiesOfAddAndStripOnRandomTexts) {
  const std::string b = block();
  RcTextGenerator generator(20240611);
  int files_checked = 0;
  for (int i = 0; i < 3000; ++i) {
    const std::string raw = generator.next();
    const std::string lines = rejoined(raw);
    for (const std::string& t : {raw, lines}) {
      SCOPED_TRACE(testing::PrintToString(t));
      ASSERT_EQ(strip_hook_block(t), t);
      const std::string once = add_hook_block(t);
      ASSERT_TRUE(ends_with(once, b));
      ASSERT_TRUE(once.size() == b.size() || once[once.size() - b.size() - 1] == '\n');
      const std::string stripped = strip_hook_block(once);
      ASSERT_EQ(stripped, one_final_line_feed(t));
      ASSERT_FALSE(has_block(stripped));
      const std::string twice = add_hook_block(once);
      ASSERT_EQ(add_hook_block(twice), twice);
      if (!t.empty() && !ends_with(t, "\n\n")) {
        ASSERT_EQ(twice, once);
      }
      if (t.empty()) {
        ASSERT_EQ(twice, "\n" + b);
      }
    }
    // The files are read as the re-joined lines of the model.
    // (A new file each time: rewriting one file in place can make the file system flush it.)
    const std::string copy = home() + "/rc-" + std::to_string(i);
    write_file(copy, raw);
    ASSERT_EQ(read_text_file(copy), lines) << testing::PrintToString(raw);
    std::filesystem::remove(copy);
    // Every hundredth text goes through the rc file itself (each write is flushed to the disk):
    // the file ends up holding the model's texts.
    if (i % 100 == 0) {
      SCOPED_TRACE(testing::PrintToString(raw));
      ++files_checked;
      std::filesystem::remove(bashrc() + ".fennick-bak");
      std::filesystem::remove(bashrc());
      write_file(bashrc(), raw);
      ASSERT_EQ(hooks(false), "added block to " + bashrc() + "\n");
      ASSERT_EQ(read_file(bashrc()), add_hook_block(lines));
      ASSERT_EQ(read_file(bashrc() + ".fennick-bak"), raw);
      ASSERT_EQ(hooks(true), "removed block from " + bashrc() + "\nunchanged: " + zshrc() + "\n");
      ASSERT_EQ(read_file(bashrc()), one_final_line_feed(lines));
    }
  }
  EXPECT_EQ(files_checked, 30);
}

}  // namespace
