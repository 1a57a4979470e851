#include "generate/plain_prompt.h"

#include <gtest/gtest.h>

#include "test_support.h"

using PlainPromptTest = TempHomeTest;

namespace {

const std::string kBashDefault =
    "\\[\\e[38;2;78;201;176m\\]\\[\\e[1m\\]\\u\\[\\e[0m\\]@\\[\\e[38;2;86;156;214m\\]\\[\\e[1m\\]"
    "\\h\\[\\e[0m\\] \\[\\e[38;2;220;220;170m\\]\\[\\e[1m\\]\\w\\[\\e[0m\\]\\[\\e[38;2;197;134;"
    "192m\\]\\[\\e[1m\\]\\$(__fk_git)\\[\\e[0m\\]\\n\\[\\e[38;2;206;145;120m\\]\\[\\e[1m\\]\\$\\["
    "\\e[0m\\] ";
const std::string kZshDefault =
    "%F{#4EC9B0}%B%n%b%f@%F{#569CD6}%B%m%b%f %F{#DCDCAA}%B%~%b%f%F{#C586C0}%B\\$(__fk_git)%b%f\\n%"
    "F{#CE9178}%B\\$%b%f ";

// Prompts without colours or bold, to look at the shape alone.
void plain_colours() {
  set_value("bold", "false");
  for (const char* key : {"color_user", "color_host", "color_cwd", "color_git", "color_time",
                          "color_exit", "color_sym"}) {
    set_value(key, "");
  }
}

}  // namespace

TEST_F(PlainPromptTest, DefaultTemplate) {
  EXPECT_EQ(plain_prompt_body(ShellDialect::Bash), kBashDefault);
  EXPECT_EQ(plain_prompt_body(ShellDialect::Zsh), kZshDefault);
}

TEST_F(PlainPromptTest, EveryTokenInBothShells) {
  plain_colours();
  set_value("template", "{user}{host}{time}{cwd}{git}{exit}{sym}{nl}");
  EXPECT_EQ(plain_prompt_body(ShellDialect::Bash), "\\u\\h\\t\\w\\$(__fk_git)\\$(__fk_exit)\\$\\n");
  EXPECT_EQ(plain_prompt_body(ShellDialect::Zsh), "%n%m%*%~\\$(__fk_git)\\$(__fk_exit)\\$\\n");
  set_value("cwd_style", "short");
  EXPECT_EQ(plain_prompt_body(ShellDialect::Bash).substr(6, 2), "\\w");
  EXPECT_EQ(plain_prompt_body(ShellDialect::Zsh).substr(6, 3), "%2~");
  set_value("cwd_style", "base");
  EXPECT_EQ(plain_prompt_body(ShellDialect::Bash).substr(6, 2), "\\W");
  EXPECT_EQ(plain_prompt_body(ShellDialect::Zsh).substr(6, 3), "%1~");
}

TEST_F(PlainPromptTest, LiteralTextAndOddBraces) {
  plain_colours();
  set_value("template", "{date} {{user} {user {nl");
  EXPECT_EQ(plain_prompt_body(ShellDialect::Bash), "{date} {\\u {user {nl");
  set_value("template", "{User}{sym}");
  set_value("symbol", "%");
  EXPECT_EQ(plain_prompt_body(ShellDialect::Zsh), "{User}%%");
  EXPECT_EQ(plain_prompt_body(ShellDialect::Bash), "{User}%");
  set_value("symbol", "$");
  EXPECT_EQ(plain_prompt_body(ShellDialect::Zsh), "{User}\\$");
  set_value("template", "");
  EXPECT_EQ(plain_prompt_body(ShellDialect::Bash), "");
  set_value("template", "caf\xC3\xA9 \"x\" `y` \\ {nl}");
  EXPECT_EQ(plain_prompt_body(ShellDialect::Bash),
            "caf\xC3\xA9 \\\"x\\\" \\D{\\`}y\\D{\\`} \\D{\\\\} \\n");
  EXPECT_EQ(plain_prompt_body(ShellDialect::Zsh, "<NL>"),
            "caf\xC3\xA9 \\\"x\\\" \\\\\\`y\\\\\\` \\\\\\\\ <NL>");
}

// A "$" keeps its plain form only where nothing after it can start an expansion; "!" is shown
// through strftime in both shells.
TEST_F(PlainPromptTest, DollarsAndBangsByWhatFollows) {
  plain_colours();
  const struct {
    const char* layout;
    const char* bash;
    const char* zsh;
  } cases[] = {
      {"$", "\\$", "\\$"},
      {"$ {nl}$", "\\$ \\n\\$", "\\$ \\n\\$"},
      {"$(x)", "\\D{\\$}(x)", "\\\\\\$(x)"},
      {"$$", "\\D{\\$}\\$", "\\\\\\$\\$"},
      {"${user}", "\\D{\\$}\\u", "\\$%n"},
      {"a!b", "a\\D{!}b", "a%D{!}b"},
  };
  for (const auto& c : cases) {
    set_value("template", c.layout);
    EXPECT_EQ(plain_prompt_body(ShellDialect::Bash), c.bash) << c.layout;
    EXPECT_EQ(plain_prompt_body(ShellDialect::Zsh), c.zsh) << c.layout;
  }
  // The symbol's "$" before a colour sequence, as in the default prompt, stays as it was.
  set_value("template", "{sym}x");
  set_value("bold", "true");
  EXPECT_EQ(plain_prompt_body(ShellDialect::Bash), "\\[\\e[1m\\]\\$\\[\\e[0m\\]x");
  EXPECT_EQ(plain_prompt_body(ShellDialect::Zsh), "%B\\$%bx");
}
