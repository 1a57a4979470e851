#include "generate/powerline_prompt.h"

#include <gtest/gtest.h>

#include <sstream>
#include <vector>

#include "test_support.h"

using PowerlinePromptTest = TempHomeTest;

namespace {

const char kEscapingPercentFunction[] = "__fk_pct() { (escapes for every prompt option) }";

// The functions as generated, without the two lines that escape block texts (tested by running
// them in real shells), so that line numbers match the layout of the prompt functions. A
// __fk_pct that escapes for every prompt option (also tested in real shells) becomes one line.
std::vector<std::string> function_lines() {
  const std::string text = powerline_functions();
  EXPECT_EQ(text.back(), '\n');
  std::vector<std::string> lines = split_lines(text);
  if (lines.size() == 48u && lines[32] == "__fk_pct() {") {
    EXPECT_EQ(lines[33], "  local txt=$1");
    EXPECT_EQ(lines[34].substr(0, 32), "  if [ -n \"$ZSH_VERSION\" ]; then");
    EXPECT_EQ(lines[35].substr(0, 30), "  elif shopt -q promptvars || ");
    EXPECT_EQ(lines[36], "  printf '%s' \"$txt\"");
    EXPECT_EQ(lines[37], "}");
    lines.erase(lines.begin() + 33, lines.begin() + 38);
    lines[32] = kEscapingPercentFunction;
  }
  EXPECT_EQ(lines.size(), 43u);
  EXPECT_EQ(lines[16].substr(0, 34), "    if [ -n \"$ZSH_VERSION\" ]; then");
  EXPECT_EQ(lines[17].substr(0, 28), "    elif shopt -q promptvars");
  lines.erase(lines.begin() + 16, lines.begin() + 18);
  return lines;
}

const char* const kDefaultLines[] = {
    "__fk_esc() { if [ -n \"$ZSH_VERSION\" ]; then printf '%%{\\033[%sm%%}' \"$1\"; else printf "
    "'\\001\\033[%sm\\002' \"$1\"; fi; }",
    "__fk_br() { git symbolic-ref --short -q HEAD 2>/dev/null || git rev-parse --short HEAD "
    "2>/dev/null; }",
    "__fk_build() {",
    "  local rc=$1 out= prev= k txt fg bg p d b t='~'",
    "  for k in user host cwd git; do",
    "    case $k in",
    "      user) if [ -n \"$ZSH_VERSION\" ]; then txt=$USERNAME; else txt='\\u'; txt=${txt@P}; "
    "fi; fg='78;201;176'; bg='31;61;58';;",
    "      host) txt=${HOSTNAME:-$HOST}; txt=${txt%%.*}; fg='86;156;214'; bg='27;47;69';;",
    "      cwd) p=$PWD; [ -n \"$HOME\" ] && case $PWD/ in \"$HOME\"/*) p=$t${PWD#\"$HOME\"};; "
    "esac; "
    "fg='220;220;170'; bg='59;59;38'",
    "          txt=$p;;",
    "      git) txt=$(__fk_br); fg='197;134;192'; bg='58;42;58';;",
    "      time) txt=$(date +%H:%M); fg='156;220;254'; bg='31;51;64';;",
    "      exit) if [ \"$rc\" -ne 0 ]; then txt=$rc; else txt=; fi; fg='244;71;71'; "
    "bg='74;31;31';;",
    "    esac",
    "    [ -n \"$txt\" ] || continue",
    "    if [ -n \"$prev\" ]; then out=\"$out$(__fk_esc \"48;2;$bg;38;2;$prev\")\xEE\x82\xB0\"; fi",
    "    out=\"$out$(__fk_esc \"1;48;2;$bg;38;2;$fg\") $txt \"",
    "    prev=$bg",
    "  done",
    "  [ -n \"$prev\" ] && out=\"$out$(__fk_esc \"0;38;2;$prev\")\xEE\x82\xB0$(__fk_esc 0)\"",
    "  printf '%s' \"$out\"",
    "}",
    "__fk_tail() {",
    "  local lit='@@SYM@@ ' sym='$' out=",
    "  local before=${lit%%@@SYM@@*} after=${lit#*@@SYM@@}",
    "  if [ \"$before\" = \"$lit\" ]; then out=$(__fk_pct \"$lit\"); else",
    "    out=\"$(__fk_pct \"$before\")$(__fk_esc \"1;38;2;206;145;120\")$(__fk_pct \"$sym\")$(__fk_"
    "esc 0)$(__fk_pct \"$after\")\"",
    "  fi",
    "  printf '%s' \"$out\"",
    "}",
    "__fk_pct() { if [ -n \"$ZSH_VERSION\" ]; then printf '%s' \"${1//\\%/%%}\"; else printf '%s' "
    "\"$1\"; fi; }",
    "__fk_pc() {",
    "  local rc=$? line nl=$'\\n'",
    "  line=\"$(__fk_build \"$rc\")${nl}$(__fk_tail)\"",
    "  if [ -n \"$ZSH_VERSION\" ]; then PROMPT=$line; else PS1=$line; fi",
    "}",
    "if [ -n \"$ZSH_VERSION\" ]; then",
    "  [ -n \"$__FK_REG\" ] || { eval 'precmd_functions+=(__fk_pc)'; __FK_REG=1; }",
    "elif [ -n \"$BASH_VERSION\" ]; then",
    "  case \";$PROMPT_COMMAND;\" in *\";__fk_pc;\"*) ;; *) "
    "PROMPT_COMMAND=\"__fk_pc${PROMPT_COMMAND:+;$PROMPT_COMMAND}\" ;; esac",
    "fi",
};

}  // namespace

TEST_F(PowerlinePromptTest, DefaultFunctionsLineByLine) {
  const std::vector<std::string> lines = function_lines();
  ASSERT_EQ(lines.size(), 41u);
  for (size_t i = 0; i < 41; ++i)
    EXPECT_EQ(lines[i], kDefaultLines[i]) << "line " << i + 1;
}

TEST_F(PowerlinePromptTest, TemplateSplitsIntoBlocksAndTail) {
  struct Case {
    const char* layout;
    const char* tokens_line;
    const char* tail_line;
    bool new_line;
  };
  const Case cases[] = {
      {"{user} {cwd} {sym}> ", "  for k in user cwd; do",
       "  local lit='@@SYM@@> ' sym='$' out=", false},
      {"{user}{nl}{host}{nl}{cwd} {sym}{git}x", "  for k in user host; do",
       "  local lit=' @@SYM@@x' sym='$' out=", true},
      {"[{sym}] only", "  for k in ; do", "  local lit='@@SYM@@' sym='$' out=", false},
      {"{time}{exit}{sym}{sym}!{date}", "  for k in time exit; do",
       "  local lit='@@SYM@@@@SYM@@!' sym='$' out=", false},
      {"{user}{user}{nl}", "  for k in user user; do", "  local lit='' sym='$' out=", true},
      {"{{nl}x{nl", "  for k in ; do", "  local lit='x{nl' sym='$' out=", true},
  };
  for (const Case& c : cases) {
    set_value("template", c.layout);
    const std::vector<std::string> lines = function_lines();
    ASSERT_EQ(lines.size(), 41u) << c.layout;
    EXPECT_EQ(lines[4], c.tokens_line) << c.layout;
    EXPECT_EQ(lines[23], c.tail_line) << c.layout;
    EXPECT_EQ(lines[33], c.new_line ? "  line=\"$(__fk_build \"$rc\")${nl}$(__fk_tail)\""
                                    : "  line=\"$(__fk_build \"$rc\")$(__fk_tail)\"")
        << c.layout;
  }
}

// The tail and the symbol keep the short __fk_pct unless they hold a byte that a prompt option
// could expand.
TEST_F(PowerlinePromptTest, PercentFunctionEscapesOnlyWhereNeeded) {
  const struct {
    const char* layout;
    const char* symbol;
    bool escapes;
  } cases[] = {
      {"{user}{nl}{sym} ", "$", false},   {"{user}{nl}100% {sym} ", "%#", false},
      {"{user}{nl}$ {sym}$", "$", false}, {"{user}{nl}$${sym} ", "$", true},
      {"{user}{nl}{sym} ", "$$", true},   {"{user}{nl}{sym}${sym}", "$", true},
      {"{user}{nl}a`b{sym}", "$", true},  {"{user}{nl}{sym}", "\\", true},
      {"{user}{nl}{sym} !", ">", true},   {"{user}$(x){nl}{sym}", "$", false},
  };
  for (const auto& c : cases) {
    set_value("template", c.layout);
    set_value("symbol", c.symbol);
    EXPECT_EQ(function_lines()[30] == kEscapingPercentFunction, c.escapes) << c.layout;
  }
}

TEST_F(PowerlinePromptTest, SeparatorBoldColoursAndQuotes) {
  const std::pair<const char*, const char*> glyphs[] = {{"arrow", "\xEE\x82\xB0"},
                                                        {"rounded", "\xEE\x82\xB4"},
                                                        {"slant", "\xEE\x82\xBC"},
                                                        {"flame", "\xEE\x83\x80"},
                                                        {"ascii", ">"}};
  for (const auto& [separator, glyph] : glyphs) {
    set_value("separator", separator);
    EXPECT_EQ(separator_glyph(), glyph);
    EXPECT_EQ(function_lines()[19],
              std::string("  [ -n \"$prev\" ] && out=\"$out$(__fk_esc \"0;38;2;$prev\")") + glyph +
                  "$(__fk_esc 0)\"");
  }

  set_value("bold", "false");
  set_value("color_user", "");
  set_value("bg_exit", "");
  set_value("color_sym", "");
  set_value("symbol", "it's");
  set_value("template", "{user}{nl}'{sym}'");
  const std::vector<std::string> lines = function_lines();
  EXPECT_EQ(lines[6],
            "      user) if [ -n \"$ZSH_VERSION\" ]; then txt=$USERNAME; else txt='\\u'; "
            "txt=${txt@P}; fi; fg='255;255;255'; bg='31;61;58';;");
  EXPECT_EQ(lines[12].substr(lines[12].size() - 31), "fg='244;71;71'; bg='40;40;40';;");
  EXPECT_EQ(lines[16], "    out=\"$out$(__fk_esc \"48;2;$bg;38;2;$fg\") $txt \"");
  EXPECT_EQ(lines[23], "  local lit=''\\''@@SYM@@'\\''' sym='it'\\''s' out=");
  EXPECT_NE(lines[26].find("$(__fk_esc \"38;2;255;255;255\")"), std::string::npos);
  const std::string without_bold = powerline_functions();
  EXPECT_EQ(without_bold.find("\"1;"), std::string::npos);
}

TEST_F(PowerlinePromptTest, FolderStyles) {
  set_value("cwd_style", "base");
  EXPECT_EQ(function_lines()[9], "          txt=${p##*/}; [ -n \"$txt\" ] || txt=/;;");
  set_value("cwd_style", "short");
  EXPECT_EQ(function_lines()[9],
            "          b=${p##*/}; d=${p%/*}; d=${d##*/}; if [ -z \"$d\" ] || [ \"$d\" = \"$p\" ] "
            "|| [ \"$d\" = \"$b\" ]; then txt=$p; else txt=\"$d/$b\"; fi;;");
  EXPECT_TRUE(is_block_token("exit"));
  EXPECT_FALSE(is_block_token("sym"));
  EXPECT_FALSE(is_block_token("User"));
}
