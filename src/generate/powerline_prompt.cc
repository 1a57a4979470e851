#include "generate/powerline_prompt.h"

#include "generate/prompt_layout.h"
#include "generate/prompt_pieces.h"
#include "settings/value_access.h"

namespace {

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

std::string text_channels(const char* key) {
  return rgb_triplet_or(get_value("terminal", key), "255;255;255");
}

std::string block_channels(const char* key) {
  return rgb_triplet_or(get_value("terminal", key), "40;40;40");
}

std::string colours_of(const char* block) {
  const std::string name = block;
  return "fg='" + text_channels(token_colour_key(name).c_str()) + "'; bg='" +
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
// front ("!" in POSIX mode). The options are read when the prompt is built, so a change of them
// later in the shell's life is followed. These two lines work on the variable txt.
std::string shown_literally(const std::string& indent) {
  return indent +
         R"ESC(if [ -n "$ZSH_VERSION" ]; then txt=${txt//\%/%%}; if [[ -o promptsubst ]]; then txt=${txt//\\/"\\\\"}; txt=${txt//\$/"\\\$"}; txt=${txt//\`/"\\\`"}; fi; if [[ -o promptbang ]]; then txt=${txt//!/'!!'}; fi
)ESC" + indent +
         R"ESC(elif shopt -q promptvars || shopt -qo posix; then txt=${txt//\\/"\\\\\\\\"}; txt=${txt//\$/"\\\\\$"}; txt=${txt//\`/"\\\\\`"}; if shopt -qo posix; then txt=${txt//!/'!!'}; fi; else txt=${txt//\\/"\\\\"}; fi
)ESC";
}

// The tail and the symbol reach the prompt through __fk_pct, which doubles "%" for zsh. That is
// all they need unless they hold a byte that a prompt option expands: "`", "\", "!", or a "$"
// that the next byte could turn into an expansion (one at the end of a piece is followed by a
// colour sequence or the end of the prompt, one before a blank stays a "$" in every shell).
bool has_expandable_byte(std::string_view text) {
  for (size_t i = 0; i < text.size(); ++i) {
    const char c = text[i];
    if (c == '`' || c == '\\' || c == '!') return true;
    if (c == '$' && i + 1 < text.size() && text[i + 1] != ' ') return true;
  }
  return false;
}

bool tail_needs_escaping(const std::string& tail, const std::string& symbol) {
  const PowerlineTail pieces = split_tail(tail);
  return has_expandable_byte(pieces.before) || has_expandable_byte(pieces.after) ||
         has_expandable_byte(symbol);
}

std::string percent_function(bool escape_everything) {
  if (!escape_everything) {
    return "__fk_pct() { if [ -n \"$ZSH_VERSION\" ]; then printf '%s' \"${1//\\%/%%}\"; else "
           "printf '%s' \"$1\"; fi; }\n";
  }
  return "__fk_pct() {\n  local txt=$1\n" + shown_literally("  ") + "  printf '%s' \"$txt\"\n}\n";
}

std::string joined(const std::vector<std::string>& names) {
  std::string out;
  for (const std::string& name : names) {
    if (!out.empty()) out += ' ';
    out += name;
  }
  return out;
}

}  // namespace

std::string separator_glyph() {
  const std::string separator = get_value("terminal", "separator");
  for (const SeparatorGlyph& entry : kSeparators) {
    if (separator == entry.separator) return entry.glyph;
  }
  return kArrowGlyph;
}

std::string powerline_functions() {
  const PowerlineLayout layout = powerline_layout(get_value("terminal", "template"));
  const std::string symbol = get_value("terminal", "symbol");
  const std::string bold = get_bool("terminal", "bold") ? "1;" : "";
  const std::string sep = separator_glyph();
  std::string s;
  s += "__fk_esc() { if [ -n \"$ZSH_VERSION\" ]; then printf '%%{\\033[%sm%%}' \"$1\"; else "
       "printf '\\001\\033[%sm\\002' \"$1\"; fi; }\n";
  s += "__fk_br() { git symbolic-ref --short -q HEAD 2>/dev/null || git rev-parse --short HEAD "
       "2>/dev/null; }\n";
  s += "__fk_build() {\n";
  s += "  local rc=$1 out= prev= k txt fg bg p d b t='~'\n";
  s += "  for k in " + joined(layout.blocks) + "; do\n";
  s += "    case $k in\n";
  // The account the shell runs as, the name that \u and %n show in the plain prompt; USER is
  // only what the login left behind, stale after su.
  s += "      user) if [ -n \"$ZSH_VERSION\" ]; then txt=$USERNAME; else txt='\\u'; "
       "txt=${txt@P}; fi; " +
       colours_of("user") + ";;\n";
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
  s += shown_literally("    ");
  s += "    out=\"$out$(__fk_esc \"" + bold + "48;2;$bg;38;2;$fg\") $txt \"\n";
  s += "    prev=$bg\n";
  s += "  done\n";
  s += "  [ -n \"$prev\" ] && out=\"$out$(__fk_esc \"0;38;2;$prev\")" + sep + "$(__fk_esc 0)\"\n";
  s += "  printf '%s' \"$out\"\n";
  s += "}\n";
  s += "__fk_tail() {\n";
  s += "  local lit=" + shell_single_quote(layout.tail) + " sym=" + shell_single_quote(symbol) +
       " out=\n";
  s += "  local before=${lit%%@@SYM@@*} after=${lit#*@@SYM@@}\n";
  s += "  if [ \"$before\" = \"$lit\" ]; then out=$(__fk_pct \"$lit\"); else\n";
  s += "    out=\"$(__fk_pct \"$before\")$(__fk_esc \"" + bold + "38;2;" +
       text_channels(token_colour_key("sym").c_str()) +
       "\")$(__fk_pct \"$sym\")$(__fk_esc 0)$(__fk_pct \"$after\")\"\n";
  s += "  fi\n";
  s += "  printf '%s' \"$out\"\n";
  s += "}\n";
  s += percent_function(tail_needs_escaping(layout.tail, symbol));
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
