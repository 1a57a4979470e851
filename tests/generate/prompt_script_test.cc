#include "generate/prompt_script.h"

#include <gtest/gtest.h>

#include <sstream>
#include <vector>

#include "generate/apply.h"
#include "generate/stylesheet.h"
#include "settings/locations.h"
#include "settings/settings_file.h"
#include "test_support.h"

using PromptScriptTest = TempHomeTest;

namespace {

const std::string kHeader =
    "# fennick: generated from fennick.ini \xE2\x80\x94 edit the settings, not this file";
const std::string kGuard =
    "[ \"${FENNICK_FORCE:-0}\" = 1 ] || [ \"$(ps -o comm= -p \"$PPID\" 2>/dev/null)\" = nemo ] || "
    "return 0 2>/dev/null || exit 0";
const std::string kGit =
    "__fk_git() { local c=$? b; b=$(git symbolic-ref --short -q HEAD 2>/dev/null || git rev-parse "
    "--short HEAD 2>/dev/null) || return \"$c\"; if [ -n \"$ZSH_VERSION\" ]; then b=${b//\\%/%%}; "
    "[[ -o promptbang ]] && b=${b//!/'!!'}; fi; printf ' (%s)' \"$b\"; return \"$c\"; }";
const std::string kExit =
    "__fk_exit() { local c=$?; [ \"$c\" -ne 0 ] && printf ' [%s]' \"$c\"; return \"$c\"; }";

std::vector<std::string> script_lines() {
  const std::string text = prompt_script();
  EXPECT_EQ(text.back(), '\n');
  std::vector<std::string> lines;
  std::istringstream in(text);
  for (std::string line; std::getline(in, line);)
    lines.push_back(line);
  return lines;
}

}  // namespace

TEST_F(PromptScriptTest, OffByDefault) {
  EXPECT_EQ(prompt_script(), kHeader + "\n# prompt customisation is off\n");
  set_value("style", "powerline");
  set_value("raw_bash", "x");
  EXPECT_EQ(script_lines().size(), 2u);
}

TEST_F(PromptScriptTest, PlainWithDefaults) {
  set_value("prompt_enabled", "true");
  const std::vector<std::string> expected = {
      kHeader,
      kGuard,
      kGit,
      kExit,
      "if [ -n \"$ZSH_VERSION\" ]; then",
      "  setopt prompt_subst",
      "  PROMPT=\"%F{#4EC9B0}%B%n%b%f@%F{#569CD6}%B%m%b%f %F{#DCDCAA}%B%~%b%f%F{#C586C0}%B\\$(__fk_"
      "git)%b%f\"$'\\n'\"%F{#CE9178}%B\\$%b%f \"",
      "elif [ -n \"$BASH_VERSION\" ]; then",
      "  "
      "PS1=\"\\[\\e[38;2;78;201;176m\\]\\[\\e[1m\\]\\u\\[\\e[0m\\]@\\[\\e[38;2;86;156;214m\\]\\["
      "\\e["
      "1m\\]\\h\\[\\e[0m\\] "
      "\\[\\e[38;2;220;220;170m\\]\\[\\e[1m\\]\\w\\[\\e[0m\\]\\[\\e[38;2;197;134;"
      "192m\\]\\[\\e[1m\\]\\$(__fk_git)\\[\\e[0m\\]\\n\\[\\e[38;2;206;145;120m\\]\\[\\e[1m\\]\\$\\["
      "\\e[0m\\] \"",
      "fi",
  };
  EXPECT_EQ(script_lines(), expected);
}

TEST_F(PromptScriptTest, ScopeStyleAndFolderLines) {
  set_value("prompt_enabled", "true");
  set_value("scope", "all");
  EXPECT_EQ(script_lines()[1], kGit);
  set_value("cwd_style", "short");
  EXPECT_EQ(script_lines()[3], "PROMPT_DIRTRIM=2");
  set_value("style", "powerline");
  std::vector<std::string> lines = script_lines();
  EXPECT_EQ(lines[3],
            "__fk_esc() { if [ -n \"$ZSH_VERSION\" ]; then printf '%%{\\033[%sm%%}' "
            "\"$1\"; else printf '\\001\\033[%sm\\002' \"$1\"; fi; }");
  EXPECT_EQ(lines.size(), 3u + 43u);
  EXPECT_EQ(prompt_script().find("PROMPT_DIRTRIM"), std::string::npos);
  set_value("raw_bash", "\\u it's");
  set_value("raw_zsh", "%n> ");
  lines = script_lines();
  ASSERT_EQ(lines.size(), 3u + 43u + 2u);
  EXPECT_EQ(lines[46], "if [ -n \"$BASH_VERSION\" ]; then PROMPT_COMMAND=; PS1='\\u it'\\''s'; fi");
  EXPECT_EQ(lines[47], "if [ -n \"$ZSH_VERSION\" ]; then precmd_functions=(); PROMPT='%n> '; fi");
}

TEST_F(PromptScriptTest, RawPromptsInThePlainStyle) {
  set_value("prompt_enabled", "true");
  set_value("bold", "false");
  set_value("color_user", "");
  set_value("template", "{user}");
  set_value("raw_bash", "\\w\\$ ");
  std::vector<std::string> lines = script_lines();
  EXPECT_EQ(lines[6], "  PROMPT=\"%n\"");
  EXPECT_EQ(lines[8], "  PS1='\\w\\$ '");
  set_value("raw_bash", "");
  set_value("raw_zsh", "%~ ");
  lines = script_lines();
  EXPECT_EQ(lines[6], "  PROMPT='%~ '");
  EXPECT_EQ(lines[8], "  PS1=\"\\u\"");
}

TEST_F(PromptScriptTest, NewLinesAreSplicedOnlyWhereTheTokenStands) {
  set_value("prompt_enabled", "true");
  set_value("bold", "false");
  set_value("color_sym", "");
  set_value("template", "a{nl}b{nl}{sym}");
  EXPECT_EQ(script_lines()[6], "  PROMPT=\"a\"$'\\n'\"b\"$'\\n'\"\\$\"");
  EXPECT_EQ(script_lines()[8], "  PS1=\"a\\nb\\n\\$\"");
  // A literal backslash and n in the template or the symbol stays literal text.
  set_value("template", "a\\nb{nl}{sym}");
  set_value("symbol", "\\n");
  EXPECT_EQ(script_lines()[6], "  PROMPT=\"a\\\\\\\\nb\"$'\\n'\"\\\\\\\\n\"");
  EXPECT_EQ(script_lines()[8], "  PS1=\"a\\D{\\\\}nb\\n\\D{\\\\}n\"");
}

TEST_F(PromptScriptTest, ApplyWritesTheThreeFiles) {
  set_value("prompt_enabled", "true");
  apply_settings();
  EXPECT_EQ(read_file(settings_path()), settings_text());
  EXPECT_EQ(read_file(stylesheet_path()), generate_stylesheet());
  EXPECT_EQ(read_file(prompt_script_path()), prompt_script());
}

TEST_F(PromptScriptTest, ApplyStopsAtTheFirstFailedWrite) {
  // The settings file cannot be replaced (a folder stands in its place): nothing later is written.
  make_dir(settings_path());
  try {
    apply_settings();
    FAIL() << "no error";
  } catch (const std::runtime_error& error) {
    EXPECT_EQ(std::string(error.what()), "cannot write " + settings_path() + ": Is a directory");
  }
  EXPECT_FALSE(file_exists(stylesheet_path()));
  EXPECT_FALSE(file_exists(prompt_script_path()));
}
