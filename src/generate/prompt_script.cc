#include "generate/prompt_script.h"

#include "generate/plain_prompt.h"
#include "generate/powerline_prompt.h"
#include "generate/prompt_pieces.h"
#include "settings/value_access.h"

namespace {

const char kHeader[] =
    "# fennick: generated from fennick.ini \xE2\x80\x94 edit the settings, not this file\n";

const char kNemoOnlyGuard[] =
    "[ \"${FENNICK_FORCE:-0}\" = 1 ] || [ \"$(ps -o comm= -p \"$PPID\" 2>/dev/null)\" = nemo ] || "
    "return 0 2>/dev/null || exit 0\n";

// The plain prompt runs these through command substitutions, each of which sets the status that
// the next one sees: both end with the status they were given, so {exit} shows the last
// command's status wherever it stands. zsh shows "%" sequences (and "!" under prompt_bang) in
// what a substitution prints, so the branch name is escaped for it; bash shows that output as it
// is.
const char kHelperFunctions[] =
    "__fk_git() { local c=$? b; b=$(git symbolic-ref --short -q HEAD 2>/dev/null || git rev-parse "
    "--short HEAD 2>/dev/null) || return \"$c\"; if [ -n \"$ZSH_VERSION\" ]; then b=${b//\\%/%%}; "
    "[[ -o promptbang ]] && b=${b//!/'!!'}; fi; printf ' (%s)' \"$b\"; return \"$c\"; }\n"
    "__fk_exit() { local c=$?; [ \"$c\" -ne 0 ] && printf ' [%s]' \"$c\"; return \"$c\"; }\n";

// In zsh a new-line token closes the double-quoted prompt, adds a line feed in the shell's own
// quoting and reopens it.
const char kZshNewLine[] = "\"$'\\n'\"";

std::string powerline_lines(const std::string& raw_bash, const std::string& raw_zsh) {
  std::string s = powerline_functions();
  if (!raw_bash.empty()) {
    s += "if [ -n \"$BASH_VERSION\" ]; then PROMPT_COMMAND=; PS1=" + shell_single_quote(raw_bash) +
         "; fi\n";
  }
  if (!raw_zsh.empty()) {
    s += "if [ -n \"$ZSH_VERSION\" ]; then precmd_functions=(); PROMPT=" +
         shell_single_quote(raw_zsh) + "; fi\n";
  }
  return s;
}

std::string plain_lines(const std::string& raw_bash, const std::string& raw_zsh) {
  std::string s;
  if (get_value("terminal", "cwd_style") == "short") s += "PROMPT_DIRTRIM=2\n";
  s += "if [ -n \"$ZSH_VERSION\" ]; then\n";
  s += "  setopt prompt_subst\n";
  if (!raw_zsh.empty()) {
    s += "  PROMPT=" + shell_single_quote(raw_zsh) + "\n";
  } else {
    s += "  PROMPT=\"" + plain_prompt_body(ShellDialect::Zsh, kZshNewLine) + "\"\n";
  }
  s += "elif [ -n \"$BASH_VERSION\" ]; then\n";
  if (!raw_bash.empty()) {
    s += "  PS1=" + shell_single_quote(raw_bash) + "\n";
  } else {
    s += "  PS1=\"" + plain_prompt_body(ShellDialect::Bash) + "\"\n";
  }
  s += "fi\n";
  return s;
}

}  // namespace

std::string prompt_script() {
  std::string s = kHeader;
  if (!get_bool("terminal", "prompt_enabled")) return s + "# prompt customisation is off\n";
  if (get_value("terminal", "scope") == "nemo") s += kNemoOnlyGuard;
  s += kHelperFunctions;
  const std::string raw_bash = get_value("terminal", "raw_bash");
  const std::string raw_zsh = get_value("terminal", "raw_zsh");
  if (get_value("terminal", "style") == "powerline") return s + powerline_lines(raw_bash, raw_zsh);
  return s + plain_lines(raw_bash, raw_zsh);
}
