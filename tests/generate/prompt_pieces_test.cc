#include "generate/prompt_pieces.h"

#include <gtest/gtest.h>

#include "test_support.h"

using PromptPiecesTest = TempHomeTest;

TEST_F(PromptPiecesTest, ColoursParseOnlyInTheirOneShape) {
  int r = -1, g = -1, b = -1;
  ASSERT_TRUE(parse_hex_colour("#4ec9b0", r, g, b));
  EXPECT_EQ(r * 65536 + g * 256 + b, 0x4EC9B0);
  EXPECT_EQ(rgb_triplet_or("#4EC9B0", "x"), "78;201;176");
  EXPECT_EQ(rgb_triplet_or("#4ec9b0", "x"), "78;201;176");
  EXPECT_EQ(rgb_triplet_or("#000000", "x"), "0;0;0");
  for (const char* bad : {"", "4EC9B0", "#4EC9B0F", "#4EC9BZ", "x4EC9B0"}) {
    EXPECT_EQ(rgb_triplet_or(bad, "fallback"), "fallback") << bad;
  }
}

TEST_F(PromptPiecesTest, ColourWrapInBothShells) {
  EXPECT_EQ(colour_wrap(ShellDialect::Bash, "color_user", "\\u"),
            "\\[\\e[38;2;78;201;176m\\]\\[\\e[1m\\]\\u\\[\\e[0m\\]");
  EXPECT_EQ(colour_wrap(ShellDialect::Zsh, "color_user", "%n"), "%F{#4EC9B0}%B%n%b%f");
  set_value("color_user", "");
  EXPECT_EQ(colour_wrap(ShellDialect::Bash, "color_user", "P"), "\\[\\e[1m\\]P\\[\\e[0m\\]");
  EXPECT_EQ(colour_wrap(ShellDialect::Zsh, "color_user", "P"), "%BP%b");
  set_value("bold", "false");
  EXPECT_EQ(colour_wrap(ShellDialect::Bash, "color_user", "P"), "P");
  EXPECT_EQ(colour_wrap(ShellDialect::Zsh, "color_user", "P"), "P");
  set_value("color_user", "e69f00");
  EXPECT_EQ(colour_wrap(ShellDialect::Bash, "color_user", "P"),
            "\\[\\e[38;2;230;159;0m\\]P\\[\\e[0m\\]");
  EXPECT_EQ(colour_wrap(ShellDialect::Zsh, "color_user", "P"), "%F{#E69F00}P%f");
}

TEST_F(PromptPiecesTest, LiteralTextEscaping) {
  EXPECT_EQ(escape_prompt_text(ShellDialect::Zsh, "100% $HOME"), "100%% \\$HOME");
  EXPECT_EQ(escape_prompt_text(ShellDialect::Bash, "100% $HOME"), "100% \\$HOME");
  EXPECT_EQ(escape_prompt_text(ShellDialect::Bash, "\"\\`"), "\\\"\\\\\\\\\\`");
  EXPECT_EQ(escape_prompt_text(ShellDialect::Zsh, "\"\\`"), "\\\"\\\\\\`");
  EXPECT_EQ(escape_prompt_text(ShellDialect::Zsh, "caf\xC3\xA9 '"), "caf\xC3\xA9 '");
}

TEST_F(PromptPiecesTest, SingleQuotedWordsReadBackExactly) {
  EXPECT_EQ(shell_single_quote(""), "''");
  EXPECT_EQ(shell_single_quote("it's"), "'it'\\''s'");
  for (const std::string text :
       {"", "it's", "''", "a b\tc\nd", "$(id) `id` \\ \" %", "caf\xC3\xA9"}) {
    RunResult result = run_program({"sh", "-c", "printf %s " + shell_single_quote(text)});
    EXPECT_EQ(result.out, text);
  }
}
