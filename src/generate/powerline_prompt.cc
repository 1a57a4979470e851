#include "generate/powerline_prompt.h"

#include "generate/prompt_pieces.h"
#include "generate/template_token.h"
#include "settings/value_access.h"

namespace {

const char kSymbolMarker[] = "@@SYM@@";

struct SeparatorGlyph {
  const char* separator;
  const char* glyph;
};

const SeparatorGlyph kSeparators[] = {
    {"rounded", "\xEE\x82\xB4"},  // U+E0B4
    {"slant", "\xEE\x82\xBC"},    // U+E0BC
    {"flame", "\xEE\x83\x80"},    // U+E0C0
    {"ascii", ">"},
};
const char kArrowGlyph[] = "\xEE\x82\xB0";  // U+E0B0, also for any unknown separator

// What the layout template gives the powerline style.
struct PowerlineLayout {
  std::string tokens;  // block names of the first line, joined by blanks
  std::string tail;    // text after the blocks, kSymbolMarker where {sym} stands
  bool has_new_line;
};

PowerlineLayout split_layout(const std::string& layout) {
  std::string name;
  size_t close;
  // The end of the last new-line token: blocks come before it, the tail after it.
  size_t new_line_end = std::string::npos;
  for (size_t pos = 0; pos < layout.size(); ++pos) {
    if (token_at(layout, pos, name, close) && name == "nl") new_line_end = close;
  }
  PowerlineLayout result{"", "", new_line_end != std::string::npos};
  bool seen_block = false;
  bool seen_symbol = false;
  size_t pos = 0;
  while (pos < layout.size()) {
    if (token_at(layout, pos, name, close)) {
      if (!result.has_new_line || pos < new_line_end) {
        if (is_block_token(name)) {
          if (!result.tokens.empty()) result.tokens += ' ';
          result.tokens += name;
          seen_block = true;
        }
        if (!result.has_new_line && name == "sym") {
          result.tail += kSymbolMarker;
          seen_symbol = true;
        }
      } else if (name == "sym") {
        result.tail += kSymbolMarker;
      }
      pos = close + 1;
      continue;
    }
    if (result.has_new_line ? pos > new_line_end : seen_block && seen_symbol) {
      result.tail += layout[pos];
    }
    ++pos;
  }
  return result;
}

std::string text_channels(const char* key) {
  return rgb_triplet_or(get_value("terminal", key), "255;255;255");
}

std::string block_channels(const char* key) {
  return rgb_triplet_or(get_value("terminal", key), "40;40;40");
}

std::string colours_of(const char* block) {
  const std::string name = block;
  return "fg='" + text_channels(("color_" + name).c_str()) + "'; bg='" +
         block_channels(("bg_" + name).c_str()) + "'";
}

std::string folder_line() {
  const std::string style = get_value("terminal", "cwd_style");
  if (style == "base") return "          txt=${p##*/}; [ -n \"$txt\" ] || txt=/;;\n";
  if (style == "short") {
    return "          b=${p##*/}; d=${p%/*}; d=${d##*/}; if [ -z \"$d\" ] || [ \"$d\" = \"$p\" ] "
           "|| "
           "[ \"$d\" = \"$b\" ]; then txt=$p; else txt=\"$d/$b\"; fi;;\n";
  }
  return "          txt=$p;;\n";
}

// Block texts come from outside (user, host, folder and branch names) and the shell expands the
// prompt once more when it shows it, so each is escaped to show literally: in zsh "%" always, and
// "\", "$" and "`" under prompt_subst ("!" under prompt_bang); in bash "\" for the prompt decoding,
// and under promptvars (always in POSIX mode) "$" and "`" too, with the decoding's own backslash in
// front ("!" in POSIX mode).
const char kBlockTextEscape[] =
    R"ESC(    if [ -n "$ZSH_VERSION" ]; then txt=${txt//\%/%%}; if [[ -o promptsubst ]]; then txt=${txt//\\/"\\\\"}; txt=${txt//\$/"\\\$"}; txt=${txt//\`/"\\\`"}; fi; if [[ -o promptbang ]]; then txt=${txt//!/'!!'}; fi
    elif shopt -q promptvars || shopt -qo posix; then txt=${txt//\\/"\\\\\\\\"}; txt=${txt//\$/"\\\\\$"}; txt=${txt//\`/"\\\\\`"}; if shopt -qo posix; then txt=${txt//!/'!!'}; fi; else txt=${txt//\\/"\\\\"}; fi
)ESC";

}  // namespace

bool is_block_token(const std::string& name) {
  return name == "user" || name == "host" || name == "cwd" || name == "git" || name == "time" ||
         name == "exit";
}

std::string separator_glyph() {
  const std::string separator = get_value("terminal", "separator");
  for (const SeparatorGlyph& entry : kSeparators) {
    if (separator == entry.separator) return entry.glyph;
  }
  return kArrowGlyph;
}

std::string powerline_functions() {
  const PowerlineLayout layout = split_layout(get_value("terminal", "template"));
  const std::string bold = get_bool("terminal", "bold") ? "1;" : "";
  const std::string sep = separator_glyph();
  std::string s;
  s += "__fk_esc() { if [ -n \"$ZSH_VERSION\" ]; then printf '%%{\\033[%sm%%}' \"$1\"; else "
       "printf '\\001\\033[%sm\\002' \"$1\"; fi; }\n";
  s += "__fk_br() { git symbolic-ref --short -q HEAD 2>/dev/null || git rev-parse --short HEAD "
       "2>/dev/null; }\n";
  s += "__fk_build() {\n";
  s += "  local rc=$1 out= prev= k txt fg bg p d b t='~'\n";
  s += "  for k in " + layout.tokens + "; do\n";
  s += "    case $k in\n";
  s += "      user) txt=$USER; " + colours_of("user") + ";;\n";
  s += "      host) txt=${HOSTNAME:-$HOST}; txt=${txt%%.*}; " + colours_of("host") + ";;\n";
  // The home folder becomes "~" only as a whole folder name: /home/al is not the start of
  // /home/alice.
  s += "      cwd) p=$PWD; [ -n \"$HOME\" ] && case $PWD/ in \"$HOME\"/*) p=$t${PWD#\"$HOME\"};; "
       "esac; " +
       colours_of("cwd") + "\n";
  s += folder_line();
  s += "      git) txt=$(__fk_br); " + colours_of("git") + ";;\n";
  s += "      time) txt=$(date +%H:%M); " + colours_of("time") + ";;\n";
  s += "      exit) if [ \"$rc\" -ne 0 ]; then txt=$rc; else txt=; fi; " + colours_of("exit") +
       ";;\n";
  s += "    esac\n";
  s += "    [ -n \"$txt\" ] || continue\n";
  s += "    if [ -n \"$prev\" ]; then out=\"$out$(__fk_esc \"48;2;$bg;38;2;$prev\")" + sep +
       "\"; fi\n";
  s += kBlockTextEscape;
  s += "    out=\"$out$(__fk_esc \"" + bold + "48;2;$bg;38;2;$fg\") $txt \"\n";
  s += "    prev=$bg\n";
  s += "  done\n";
  s += "  [ -n \"$prev\" ] && out=\"$out$(__fk_esc \"0;38;2;$prev\")" + sep + "$(__fk_esc 0)\"\n";
  s += "  printf '%s' \"$out\"\n";
  s += "}\n";
  s += "__fk_tail() {\n";
  s += "  local lit=" + shell_single_quote(layout.tail) +
       " sym=" + shell_single_quote(get_value("terminal", "symbol")) + " out=\n";
  s += "  local before=${lit%%@@SYM@@*} after=${lit#*@@SYM@@}\n";
  s += "  if [ \"$before\" = \"$lit\" ]; then out=$(__fk_pct \"$lit\"); else\n";
  s += "    out=\"$(__fk_pct \"$before\")$(__fk_esc \"" + bold + "38;2;" +
       text_channels("color_sym") +
       "\")$(__fk_pct \"$sym\")$(__fk_esc 0)$(__fk_pct \"$after\")\"\n";
  s += "  fi\n";
  s += "  printf '%s' \"$out\"\n";
  s += "}\n";
  s += "__fk_pct() { if [ -n \"$ZSH_VERSION\" ]; then printf '%s' \"${1//\\%/%%}\"; else printf "
       "'%s' \"$1\"; fi; }\n";
  s += "__fk_pc() {\n";
  s += "  local rc=$? line nl=$'\\n'\n";
  s += std::string("  line=\"$(__fk_build \"$rc\")") + (layout.has_new_line ? "${nl}" : "") +
       "$(__fk_tail)\"\n";
  s += "  if [ -n \"$ZSH_VERSION\" ]; then PROMPT=$line; else PS1=$line; fi\n";
  s += "}\n";
  s += "if [ -n \"$ZSH_VERSION\" ]; then\n";
  s += "  [ -n \"$__FK_REG\" ] || { eval 'precmd_functions+=(__fk_pc)'; __FK_REG=1; }\n";
  s += "elif [ -n \"$BASH_VERSION\" ]; then\n";
  s += "  case \";$PROMPT_COMMAND;\" in *\";__fk_pc;\"*) ;; *) "
       "PROMPT_COMMAND=\"__fk_pc${PROMPT_COMMAND:+;$PROMPT_COMMAND}\" ;; esac\n";
  s += "fi\n";
  return s;
}
