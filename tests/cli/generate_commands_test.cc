// apply, css and prompt: apply writes the generated files, css and prompt only show them.
#include <sys/stat.h>

#include "cli/cli_helpers.h"
#include "test_support.h"

namespace {

class GenerateCommandsTest : public TempHomeTest {
 protected:
  std::string file(const std::string& name) const { return read_file(config() + "/" + name); }
};

struct FileStamp {
  std::string text;
  long long seconds;
  long long nanoseconds;
  ino_t inode;
  bool operator==(const FileStamp&) const = default;
};

FileStamp stamp(const std::string& path) {
  struct stat info {};
  EXPECT_EQ(stat(path.c_str(), &info), 0) << path;
  return FileStamp{read_file(path), info.st_mtim.tv_sec, info.st_mtim.tv_nsec, info.st_ino};
}

TEST_F(GenerateCommandsTest, ApplyWritesTheThreeFilesAndNamesTwo) {
  const RunResult run = run_fennick({"apply"});
  EXPECT_EQ(run.status, 0);
  EXPECT_EQ(run.err, "");
  EXPECT_EQ(run.out, "wrote " + config() + "/fennick.css and " + config() + "/prompt.sh\n");
  EXPECT_EQ(folder_entries(config()), generated_files());
  EXPECT_EQ(file("fennick.ini"), settings_text_with({}));
  EXPECT_EQ(file("prompt.sh"),
            "# fennick: generated from fennick.ini \xE2\x80\x94 edit the settings, not this file\n"
            "# prompt customisation is off\n");
  // Operands are ignored; a second apply writes the same bytes.
  const std::string css = file("fennick.css");
  EXPECT_EQ(run_fennick({"APPLY", "extra"}).status, 0);
  EXPECT_EQ(file("fennick.css"), css);
  EXPECT_EQ(file("fennick.ini"), settings_text_with({}));
}

TEST_F(GenerateCommandsTest, ApplyFollowsAHandEditedSettingsFile) {
  write_file(config() + "/fennick.ini",
             "# my own notes\n[pathbar]\nenabled=yes\nshape=PILL\nnormal_bg=112233\n"
             "[terminal]\nprompt_enabled=on\nstyle=powerline\nsymbol=>\n");
  const std::string css_shown = run_fennick({"css"}).out;
  const std::string prompt_shown = run_fennick({"prompt"}).out;
  EXPECT_EQ(run_fennick({"apply"}).status, 0);
  EXPECT_EQ(file("fennick.css"), css_shown);
  EXPECT_EQ(file("prompt.sh"), prompt_shown);
  EXPECT_NE(css_shown.find("#112233"), std::string::npos) << css_shown;
  EXPECT_NE(prompt_shown.find("__fk_build"), std::string::npos);
  // The settings file is rewritten whole, in the program's own layout: the notes are gone.
  EXPECT_EQ(file("fennick.ini"), settings_text_with({{"pathbar.enabled", "true"},
                                                     {"pathbar.shape", "pill"},
                                                     {"pathbar.normal_bg", "#112233"},
                                                     {"terminal.prompt_enabled", "true"},
                                                     {"terminal.style", "powerline"},
                                                     {"terminal.symbol", ">"}}));
}

TEST_F(GenerateCommandsTest, CssAndPromptPrintExactlyWhatApplyWrites) {
  for (const std::vector<std::string>& settings : std::vector<std::vector<std::string>>{
           {"pathbar.enabled", "false"},
           {"pathbar.enabled", "true", "shape", "leaf", "normal_font", "Sans Bold Italic 11"},
           {"terminal.prompt_enabled", "true"},
           {"prompt_enabled", "true", "style", "powerline", "cwd_style", "short", "scope", "all"},
           {"prompt_enabled", "true", "raw_bash", "\\u@\\h \\$ ", "raw_zsh", "%n %# "}}) {
    SCOPED_TRACE(settings[0]);
    std::vector<std::string> args{"set"};
    args.insert(args.end(), settings.begin(), settings.end());
    ASSERT_EQ(run_fennick(args).status, 0);
    const RunResult css = run_fennick({"css"});
    const RunResult prompt = run_fennick({"prompt"});
    EXPECT_EQ(css.status, 0);
    EXPECT_EQ(prompt.status, 0);
    EXPECT_EQ(css.err, "");
    EXPECT_EQ(prompt.err, "");
    // No line feed is added to the generated text.
    EXPECT_EQ(css.out, file("fennick.css"));
    EXPECT_EQ(prompt.out, file("prompt.sh"));
  }
}

TEST_F(GenerateCommandsTest, CssAndPromptChangeNoFile) {
  // Without a configuration nothing is created.
  EXPECT_EQ(run_fennick({"css"}).status, 0);
  EXPECT_EQ(run_fennick({"prompt"}).status, 0);
  EXPECT_FALSE(file_exists(config()));

  ASSERT_EQ(run_fennick({"set", "pathbar.enabled", "true", "prompt_enabled", "true"}).status, 0);
  // A hand edit that was not applied yet: css and prompt show it but do not write it.
  write_file(config() + "/fennick.ini",
             "[pathbar]\nenabled=true\nnormal_color=#ABCDEF\n[terminal]\nprompt_enabled=true\n"
             "symbol=%\n");
  const FileStamp ini = stamp(config() + "/fennick.ini");
  const FileStamp css = stamp(config() + "/fennick.css");
  const FileStamp prompt = stamp(config() + "/prompt.sh");

  const RunResult css_run = run_fennick({"css"});
  const RunResult prompt_run = run_fennick({"prompt", "extra"});
  EXPECT_NE(css_run.out, css.text);
  EXPECT_NE(prompt_run.out, prompt.text);
  EXPECT_EQ(stamp(config() + "/fennick.ini"), ini);
  EXPECT_EQ(stamp(config() + "/fennick.css"), css);
  EXPECT_EQ(stamp(config() + "/prompt.sh"), prompt);
  EXPECT_EQ(folder_entries(config()), generated_files());
}

}  // namespace
