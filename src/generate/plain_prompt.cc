#include "generate/plain_prompt.h"

#include "generate/template_token.h"
#include "settings/value_access.h"

namespace {

struct PlainToken {
  const char* name;
  const char* colour_key;
  const char* bash_piece;
  const char* zsh_piece;
};

// {cwd}, {sym} and {nl} depend on other settings and are handled apart.
const PlainToken kPlainTokens[] = {
    {"user", "color_user", "\\u", "%n"},
    {"host", "color_host", "\\h", "%m"},
    {"time", "color_time", "\\t", "%*"},
    {"git", "color_git", "\\$(__fk_git)", "\\$(__fk_git)"},
    {"exit", "color_exit", "\\$(__fk_exit)", "\\$(__fk_exit)"},
};

std::string cwd_piece(ShellDialect dialect) {
  const std::string style = get_value("terminal", "cwd_style");
  if (dialect == ShellDialect::Bash) return style == "base" ? "\\W" : "\\w";
  if (style == "base") return "%1~";
  return style == "short" ? "%2~" : "%~";
}

// The piece for a known token name; false for any other name.
bool token_piece(ShellDialect dialect, const std::string& name, const std::string& new_line,
                 std::string& piece) {
  if (name == "nl") {
    piece = new_line;
    return true;
  }
  if (name == "cwd") {
    piece = colour_wrap(dialect, "color_cwd", cwd_piece(dialect));
    return true;
  }
  if (name == "sym") {
    piece = colour_wrap(dialect, "color_sym",
                        escape_prompt_text(dialect, get_value("terminal", "symbol")));
    return true;
  }
  for (const PlainToken& token : kPlainTokens) {
    if (name == token.name) {
      piece = colour_wrap(dialect, token.colour_key,
                          dialect == ShellDialect::Bash ? token.bash_piece : token.zsh_piece);
      return true;
    }
  }
  return false;
}

}  // namespace

std::string plain_prompt_body(ShellDialect dialect, const std::string& new_line) {
  const std::string layout = get_value("terminal", "template");
  std::string body;
  std::string name;
  std::string piece;
  size_t pos = 0;
  while (pos < layout.size()) {
    size_t close;
    if (token_at(layout, pos, name, close) && token_piece(dialect, name, new_line, piece)) {
      body += piece;
      pos = close + 1;
    } else {
      body += escape_prompt_text(dialect, std::string(1, layout[pos]));
      ++pos;
    }
  }
  return body;
}
