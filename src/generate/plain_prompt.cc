#include "generate/plain_prompt.h"

#include <string_view>

#include "generate/prompt_layout.h"
#include "settings/value_access.h"

namespace {

struct PlainToken {
  const char* name;
  const char* bash_piece;
  const char* zsh_piece;
};

// {cwd}, {sym} and {nl} depend on other settings and are handled apart.
const PlainToken kPlainTokens[] = {
    {"user", "\\u", "%n"},
    {"host", "\\h", "%m"},
    {"time", "\\t", "%*"},
    {"git", "\\$(__fk_git)", "\\$(__fk_git)"},
    {"exit", "\\$(__fk_exit)", "\\$(__fk_exit)"},
};

std::string cwd_piece(ShellDialect dialect) {
  const std::string style = get_value("terminal", "cwd_style");
  if (dialect == ShellDialect::Bash) return style == "base" ? "\\W" : "\\w";
  if (style == "base") return "%1~";
  return style == "short" ? "%2~" : "%~";
}

// The prompt string as it is written between the double quotes of its assignment in prompt.sh.
// The shell expands the assigned value once more at every prompt, and literal text (the template's
// and the symbol) must show exactly as written whatever that expansion does:
// - bash decodes its backslash escapes, then with promptvars (always in POSIX mode) expands "$",
//   "`" and "\" once more; in POSIX mode "!" is the history number. Each of these four bytes is
//   written as the strftime escape \D{...} holding it: bash quotes what that escape gives for the
//   expansion that follows, so the byte shows as written in every mode, for root too (bash's own
//   \$ would show "#" there).
// - zsh (the script turns prompt_subst on) expands "$", "`" and "\", shows "%" sequences and,
//   with prompt_bang, "!" as the history number: the first three get a backslash, "%" is
//   doubled and "!" becomes %D{!}, a strftime sequence that prompt_bang leaves alone.
// A "$" that nothing after it can turn into an expansion (at the end, before a blank, a line
// break or a colour sequence) is written plainly, as ordinary prompts always had it.
struct PromptText {
  ShellDialect dialect;
  std::string out;
  bool dollar_pending = false;

  void literal(std::string_view text) {
    size_t run = 0;  // start of the bytes that need no more than escape_prompt_text
    for (size_t i = 0; i < text.size(); ++i) {
      const char c = text[i];
      if (c != '$' && c != '`' && c != '\\' && c != '!') continue;
      plain_run(text.substr(run, i - run));
      run = i + 1;
      if (c == '$') {
        end_dollar(false);
        dollar_pending = true;
      } else {
        expandable(c);
      }
    }
    plain_run(text.substr(run));
  }

  // Shell escapes, colour sequences and command substitutions of the tokens.
  void piece(const std::string& text) {
    if (text.empty()) return;
    end_dollar(dialect == ShellDialect::Bash ? text.compare(0, 2, "\\[") == 0 : text[0] == '%');
    out += text;
  }

  void line_break(const std::string& text) {
    end_dollar(true);
    out += text;
  }

  std::string finish() {
    end_dollar(true);
    return std::move(out);
  }

 private:
  void plain_run(std::string_view run) {
    if (run.empty()) return;
    end_dollar(run[0] == ' ');
    out += escape_prompt_text(dialect, std::string(run));
  }

  void end_dollar(bool safe) {
    if (!dollar_pending) return;
    dollar_pending = false;
    if (safe) {
      out += "\\$";
    } else {
      expandable('$');
    }
  }

  void expandable(char c) {
    end_dollar(false);
    const bool bash = dialect == ShellDialect::Bash;
    switch (c) {
      case '$':
        out += bash ? "\\D{\\$}" : "\\\\\\$";
        break;
      case '`':
        out += bash ? "\\D{\\`}" : "\\\\\\`";
        break;
      case '\\':
        out += bash ? "\\D{\\\\}" : "\\\\\\\\";
        break;
      default:  // '!'
        out += bash ? "\\D{!}" : "%D{!}";
    }
  }
};

void append_token(PromptText& text, const std::string& name, const std::string& new_line) {
  const ShellDialect dialect = text.dialect;
  if (name == "nl") {
    text.line_break(new_line);
  } else if (name == "cwd") {
    text.piece(colour_wrap(dialect, token_colour_key("cwd"), cwd_piece(dialect)));
  } else if (name == "sym") {
    const ColourSequences sequences = colour_sequences(dialect, token_colour_key("sym"));
    text.piece(sequences.opening);
    text.literal(get_value("terminal", "symbol"));
    text.piece(sequences.closing);
  } else {
    for (const PlainToken& token : kPlainTokens) {
      if (name == token.name) {
        text.piece(colour_wrap(dialect, token_colour_key(token.name),
                               dialect == ShellDialect::Bash ? token.bash_piece : token.zsh_piece));
      }
    }
  }
}

}  // namespace

std::string plain_prompt_body(ShellDialect dialect, const std::string& new_line) {
  PromptText text{dialect, {}};
  for (const LayoutPart& part : plain_layout_parts(get_value("terminal", "template"))) {
    if (part.is_token) {
      append_token(text, part.text, new_line);
    } else {
      text.literal(part.text);
    }
  }
  return text.finish();
}
