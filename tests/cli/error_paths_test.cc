// Errors nobody below handles end the run with one "fennick: " line; settings files that are
// damaged, odd or huge are read as far as they make sense, and no file is lost on the way.
#include <stdlib.h>
#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <random>

#include "cli/cli_helpers.h"
#include "test_support.h"

namespace {

class ErrorPathsTest : public TempHomeTest {
 protected:
  // Asserts exactly one error line that begins with "fennick: ", nothing on standard output and
  // a failed exit status; returns the line without its line feed.
  static std::string one_error_line(const RunResult& run) {
    EXPECT_NE(run.status, 0);
    EXPECT_LT(run.status, 128) << "ended by a signal";
    EXPECT_EQ(run.out, "");
    EXPECT_EQ(run.err.rfind("fennick: ", 0), 0u) << run.err;
    EXPECT_EQ(run.err.find('\n'), run.err.size() - 1) << run.err;
    return run.err.empty() ? run.err : run.err.substr(0, run.err.size() - 1);
  }
};

const std::vector<std::vector<std::string>>& every_kind_of_command() {
  static const std::vector<std::vector<std::string>> commands{{},
                                                              {"help"},
                                                              {"version"},
                                                              {"list"},
                                                              {"get", "symbol"},
                                                              {"set", "symbol", "%"},
                                                              {"reset"},
                                                              {"reset", "symbol"},
                                                              {"apply"},
                                                              {"css"},
                                                              {"prompt"},
                                                              {"nosuchcommand"}};
  return commands;
}

TEST_F(ErrorPathsTest, ConfigurationFolderBehindARegularFileStopsSet) {
  const std::string blocker = home() + "/blocker";
  write_file(blocker, "a file where a folder should be\n");
  const std::string dir = blocker + "/config";
  setenv("FENNICK_DIR", dir.c_str(), 1);

  const std::string line = one_error_line(run_fennick({"set", "terminal.symbol", "%"}));
  EXPECT_EQ(line, "fennick: cannot write " + dir + "/fennick.ini: Not a directory");
  one_error_line(run_fennick({"apply"}));
  one_error_line(run_fennick({"reset"}));
  EXPECT_EQ(read_file(blocker), "a file where a folder should be\n");
  EXPECT_EQ(folder_entries(home()), std::set<std::string>{"blocker"});
}

// A settings file that cannot exist, because a regular file stands where a folder of its path
// should be, is a missing settings file: the defaults hold and commands that only read work.
TEST_F(ErrorPathsTest, SettingsFileThatCannotExistReadsAsMissing) {
  write_file(home() + "/blocker", "x");
  setenv("FENNICK_DIR", (home() + "/blocker/config").c_str(), 1);
  const RunResult version = run_fennick({"version"});
  EXPECT_EQ(version.status, 0) << version.err;
  EXPECT_EQ(version.out, "fennick 1.1\n");
  EXPECT_EQ(version.err, "");
  const RunResult symbol = run_fennick({"get", "symbol"});
  EXPECT_EQ(symbol.status, 0) << symbol.err;
  EXPECT_EQ(symbol.out, "$\n");
  // Saving fails when the temporary file cannot be created, and says why.
  const RunResult set = run_fennick({"set", "symbol", "%"});
  EXPECT_EQ(one_error_line(set),
            "fennick: cannot write " + home() + "/blocker/config/fennick.ini: Not a directory");
}

TEST_F(ErrorPathsTest, SettingsFileThatIsAFolderStopsEveryCommand) {
  std::filesystem::create_directories(settings_file() + "/inside");
  for (const std::vector<std::string>& args : every_kind_of_command()) {
    SCOPED_TRACE(args.empty() ? "(no command)" : args[0]);
    const RunResult run = run_fennick(args);
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(one_error_line(run),
              "fennick: Unable to open file \"" + settings_file() + "\": Is a directory");
  }
  EXPECT_EQ(folder_entries(config()), std::set<std::string>{"fennick.ini"});
  EXPECT_EQ(folder_entries(settings_file()), std::set<std::string>{"inside"});
}

TEST_F(ErrorPathsTest, UnreadableSettingsFileStopsEveryCommand) {
  if (geteuid() == 0) GTEST_SKIP() << "permission bits do not stop root";
  write_file(settings_file(), "[terminal]\nsymbol=%\n");
  ASSERT_EQ(chmod(settings_file().c_str(), 0200), 0);
  for (const std::vector<std::string>& args : every_kind_of_command()) {
    SCOPED_TRACE(args.empty() ? "(no command)" : args[0]);
    EXPECT_EQ(one_error_line(run_fennick(args)),
              "fennick: Unable to open file \"" + settings_file() + "\": Permission denied");
  }
  chmod(settings_file().c_str(), 0600);
  EXPECT_EQ(read_file(settings_file()), "[terminal]\nsymbol=%\n");
  EXPECT_EQ(folder_entries(config()), std::set<std::string>{"fennick.ini"});
}

TEST_F(ErrorPathsTest, FailedStylesheetWriteStopsBeforeThePromptScript) {
  ASSERT_EQ(run_fennick({"set", "symbol", "%"}).status, 0);
  std::filesystem::remove(config() + "/prompt.sh");
  std::filesystem::remove(config() + "/fennick-nemo.css");
  std::filesystem::remove(config() + "/fennick.css");
  std::filesystem::create_directories(config() + "/fennick.css");

  const RunResult run = run_fennick({"set", "symbol", "#"});
  EXPECT_EQ(run.status, 1);
  EXPECT_EQ(one_error_line(run),
            "fennick: cannot write " + config() + "/fennick.css: Is a directory");
  // The settings file came first and was written; the files after the failure were not.
  EXPECT_EQ(get("symbol"), "#");
  EXPECT_EQ(folder_entries(config()), (std::set<std::string>{"fennick.ini", "fennick.css"}));

  const RunResult apply = run_fennick({"apply"});
  EXPECT_EQ(one_error_line(apply),
            "fennick: cannot write " + config() + "/fennick.css: Is a directory");
  const RunResult reset = run_fennick({"reset", "symbol"});
  EXPECT_EQ(one_error_line(reset),
            "fennick: cannot write " + config() + "/fennick.css: Is a directory");
  EXPECT_EQ(folder_entries(config()), (std::set<std::string>{"fennick.ini", "fennick.css"}));
}

TEST_F(ErrorPathsTest, FailedPromptScriptWriteIsTheLastStep) {
  std::filesystem::create_directories(config() + "/prompt.sh");
  const RunResult run = run_fennick({"set", "pathbar.enabled", "true"});
  EXPECT_EQ(run.status, 1);
  EXPECT_EQ(one_error_line(run),
            "fennick: cannot write " + config() + "/prompt.sh: Is a directory");
  EXPECT_EQ(read_file(config() + "/fennick.css"), run_fennick({"css"}).out);
  EXPECT_EQ(get("pathbar.enabled"), "true");
  EXPECT_EQ(folder_entries(config()), generated_files());
}

// A settings file linked to a place where no file can be created (the kernel's own, read-only
// file system): the settings file is the first write, so the other two files stay as they were.
TEST_F(ErrorPathsTest, FailedSettingsWriteLeavesTheGeneratedFilesAlone) {
  const std::string outside = "/proc/version";
  if (!file_exists(outside)) GTEST_SKIP() << "no " << outside;
  write_file(config() + "/fennick.css", "old css\n");
  write_file(config() + "/prompt.sh", "old prompt\n");
  std::filesystem::create_symlink(outside, settings_file());

  const RunResult run = run_fennick({"set", "symbol", "%"});
  EXPECT_EQ(run.status, 1);
  EXPECT_EQ(one_error_line(run).rfind("fennick: cannot write " + settings_file() + ": ", 0), 0u)
      << run.err;
  EXPECT_EQ(read_file(config() + "/fennick.css"), "old css\n");
  EXPECT_EQ(read_file(config() + "/prompt.sh"), "old prompt\n");
  EXPECT_TRUE(is_symlink(settings_file()));
}

TEST_F(ErrorPathsTest, ReadOnlyConfigurationFolderLeavesEveryFileAlone) {
  if (geteuid() == 0) GTEST_SKIP() << "permission bits do not stop root";
  ASSERT_EQ(run_fennick({"set", "symbol", "%"}).status, 0);
  const std::string ini = read_file(settings_file());
  const std::string css = read_file(config() + "/fennick.css");
  const std::string prompt = read_file(config() + "/prompt.sh");
  // Writable but not readable (0300), the folder cannot be locked: no write goes on unlocked.
  for (const auto& [mode, error] :
       {std::pair{0500, "cannot write " + settings_file() + ": Permission denied"},
        std::pair{0300, "cannot lock the settings folder " + config() +
                            " (Permission denied); nothing was changed"}}) {
    ASSERT_EQ(chmod(config().c_str(), static_cast<mode_t>(mode)), 0);
    const RunResult run = run_fennick({"set", "symbol", "#", "pathbar.enabled", "true"});
    chmod(config().c_str(), 0700);
    EXPECT_EQ(one_error_line(run), "fennick: " + error);
    EXPECT_EQ(read_file(settings_file()), ini);
    EXPECT_EQ(read_file(config() + "/fennick.css"), css);
    EXPECT_EQ(read_file(config() + "/prompt.sh"), prompt);
    EXPECT_EQ(folder_entries(config()), generated_files());
  }
}

TEST_F(ErrorPathsTest, OutputThatCannotBeWrittenIsAFailedRun) {
  if (!file_exists("/dev/full")) GTEST_SKIP() << "no /dev/full";
  const RunResult run =
      run_program({"sh", "-c", "exec \"$0\" list >/dev/full", std::string(kFennickBinary)});
  EXPECT_EQ(run.status, 1);
  EXPECT_EQ(run.err, "fennick: cannot write standard output: No space left on device\n");
}

TEST_F(ErrorPathsTest, BinarySettingsFileKeepsWhatItUnderstands) {
  std::mt19937 random(20240611);
  std::string text;
  for (int i = 0; i < 64 * 1024; ++i)
    text += static_cast<char>(random() & 0xff);
  // Understood lines in the middle of the noise still count.
  text.insert(text.size() / 2, "\n[terminal]\nsymbol=%\n[panes]\nmax_panes=9\n\n");
  write_file(settings_file(), text);

  const RunResult list = run_fennick({"list"});
  EXPECT_EQ(list.status, 0);
  EXPECT_EQ(list.err, "");
  EXPECT_EQ(get("symbol"), "%");
  EXPECT_EQ(get("max_panes"), "9");
  // Reading never changes the file.
  EXPECT_EQ(read_file(settings_file()), text);
  // The next save writes a clean file with the values it understood.
  ASSERT_EQ(run_fennick({"set", "terminal.bold", "false"}).status, 0);
  EXPECT_EQ(read_file(settings_file()),
            settings_text_with(
                {{"terminal.symbol", "%"}, {"panes.max_panes", "9"}, {"terminal.bold", "false"}}));
}

TEST_F(ErrorPathsTest, NulBytesInTheSettingsFile) {
  const std::string defaults_list = run_fennick({"list"}).out;
  write_file(settings_file(), std::string(100000, '\0'));
  const RunResult list = run_fennick({"list"});
  EXPECT_EQ(list.status, 0);
  EXPECT_EQ(list.err, "");
  EXPECT_EQ(list.out, defaults_list);

  // NUL is a control character: it is trimmed from the ends of lines like a blank.
  const char padded[] = "\0\0[terminal]\0\n\0\0symbol\0=\0%\0\n\0\nbold=false\n";
  write_file(settings_file(), std::string(padded, sizeof padded - 1));
  EXPECT_EQ(get("symbol"), "%");
  EXPECT_EQ(get("bold"), "false");

  // Inside a value it is kept, shown and written back as it is.
  const std::string with_nul("[terminal]\nsymbol=a\0b\n", 22);
  write_file(settings_file(), with_nul);
  EXPECT_EQ(run_fennick({"get", "symbol"}).out, std::string("a\0b\n", 4));
  ASSERT_EQ(run_fennick({"apply"}).status, 0);
  EXPECT_NE(read_file(settings_file()).find(std::string("\nsymbol=a\0b\n", 12)), std::string::npos);
  EXPECT_EQ(run_fennick({"get", "symbol"}).out, std::string("a\0b\n", 4));
}

TEST_F(ErrorPathsTest, CarriageReturnLineEndsAreRead) {
  const std::string lf = settings_text_with({{"terminal.symbol", "%"},
                                             {"terminal.template", " {cwd} "},
                                             {"pathbar.border_color", "#010203"},
                                             {"panes.key_add", "<Alt>1"}});
  std::string crlf, cr;
  for (char c : lf) {
    crlf += c == '\n' ? std::string("\r\n") : std::string(1, c);
    cr += c == '\n' ? '\r' : c;
  }
  for (const std::string& text : {crlf, cr}) {
    write_file(settings_file(), text);
    EXPECT_EQ(get("symbol"), "%");
    EXPECT_EQ(get("template"), " {cwd} ");
    EXPECT_EQ(get("border_color"), "#010203");
    EXPECT_EQ(get("key_add"), "<Alt>1");
    // Saving writes line feeds only.
    ASSERT_EQ(run_fennick({"apply"}).status, 0);
    EXPECT_EQ(read_file(settings_file()), lf);
  }
}

TEST_F(ErrorPathsTest, HugeSettingsFileIsReadWhole) {
  // Just under the 16 MiB that a settings file may hold: comments, repeated lines and lines that
  // are not understood; the last line for a setting wins.
  std::string text = "[terminal]\n";
  text.reserve(16 * 1024 * 1024);
  for (int i = 0; text.size() < 16 * 1024 * 1024 - 200; ++i) {
    text += "# comment " + std::to_string(i) + "\n";
    text += "symbol=" + std::to_string(i) + "\n";
    text += "no equals sign here\n";
    text += "nosuch=1\n";
  }
  text += "[panes]\nmax_panes=7\n[terminal]\nsymbol=last\n";
  write_file(settings_file(), text);

  const auto start = std::chrono::steady_clock::now();
  EXPECT_EQ(get("symbol"), "last");
  const auto seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start);
  EXPECT_LT(seconds.count(), 20.0);
  EXPECT_EQ(get("max_panes"), "7");
  EXPECT_EQ(read_file(settings_file()), text);

  ASSERT_EQ(run_fennick({"set", "bold", "false"}).status, 0);
  EXPECT_EQ(read_file(settings_file()), settings_text_with({{"terminal.symbol", "last"},
                                                            {"panes.max_panes", "7"},
                                                            {"terminal.bold", "false"}}));

  // Beyond that it is refused with one line, and nothing is written over it.
  text.append(200, '#');
  text += "\n";
  write_file(settings_file(), text);
  EXPECT_EQ(one_error_line(run_fennick({"set", "bold", "true"})),
            "fennick: " + settings_file() + " is larger than 16 MiB");
  EXPECT_EQ(read_file(settings_file()), text);
}

TEST_F(ErrorPathsTest, LongValuesSurviveASave) {
  // As long as one argument may be.
  const std::string given(100 * 1000, 'v');
  ASSERT_EQ(run_fennick({"set", "raw_zsh", given}).status, 0);
  EXPECT_EQ(get("raw_zsh"), given);

  // Longer ones come from the file.
  const std::string value = std::string(4 * 1024 * 1024, 'w') + " end";
  write_file(settings_file(), "[terminal]\nraw_bash=" + value + "\n");
  EXPECT_EQ(get("raw_bash"), value);
  ASSERT_EQ(run_fennick({"apply"}).status, 0);
  EXPECT_EQ(get("raw_bash"), value);
  EXPECT_EQ(read_file(settings_file()), settings_text_with({{"terminal.raw_bash", value}}));
}

TEST_F(ErrorPathsTest, LinkedSettingsFileStaysALink) {
  const std::string real = home() + "/dotfiles/fennick.ini";
  write_file(real, "[terminal]\nsymbol=%\n");
  std::filesystem::create_directories(config());
  std::filesystem::create_symlink("../dotfiles/fennick.ini", settings_file());

  EXPECT_EQ(get("symbol"), "%");
  ASSERT_EQ(run_fennick({"set", "bold", "false"}).status, 0);
  EXPECT_TRUE(is_symlink(settings_file()));
  EXPECT_EQ(std::filesystem::read_symlink(settings_file()).string(), "../dotfiles/fennick.ini");
  EXPECT_EQ(read_file(real),
            settings_text_with({{"terminal.symbol", "%"}, {"terminal.bold", "false"}}));
  EXPECT_EQ(folder_entries(config()), generated_files());
  EXPECT_EQ(folder_entries(home() + "/dotfiles"), std::set<std::string>{"fennick.ini"});
}

// A settings file kept as a link whose file does not exist yet is created at the link's target;
// a link into a missing folder makes no folders there and fails.
TEST_F(ErrorPathsTest, DanglingLinkedSettingsFileIsCreatedOnSave) {
  std::filesystem::create_directories(config());
  const std::string real = home() + "/not/yet/fennick.ini";
  std::filesystem::create_symlink(real, settings_file());
  // Until then it reads as a missing file.
  EXPECT_EQ(get("symbol"), "$");
  EXPECT_EQ(one_error_line(run_fennick({"set", "symbol", "%"})),
            "fennick: cannot write " + settings_file() + ": No such file or directory");
  EXPECT_FALSE(file_exists(home() + "/not"));
  std::filesystem::create_directories(home() + "/not/yet");
  ASSERT_EQ(run_fennick({"set", "symbol", "%"}).status, 0);
  EXPECT_TRUE(is_symlink(settings_file()));
  EXPECT_EQ(read_file(real), settings_text_with({{"terminal.symbol", "%"}}));
}

TEST_F(ErrorPathsTest, PrivateFilesStayPrivate) {
  ASSERT_EQ(run_fennick({"apply"}).status, 0);
  ASSERT_EQ(chmod(settings_file().c_str(), 0600), 0);
  ASSERT_EQ(chmod((config() + "/prompt.sh").c_str(), 0700), 0);
  ASSERT_EQ(run_fennick({"set", "symbol", "%"}).status, 0);
  EXPECT_EQ(mode_of(settings_file()), 0600u);
  EXPECT_EQ(mode_of(config() + "/prompt.sh"), 0700u);
  ASSERT_EQ(run_fennick({"reset"}).status, 0);
  EXPECT_EQ(mode_of(settings_file()), 0600u);
  EXPECT_EQ(get("symbol"), "$");
}

}  // namespace
