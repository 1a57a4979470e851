#!/bin/bash
# The files that enable writes, checked by desktop-file-validate: the user desktop entry made
# from the real system entry (also for prefixes that need quoting in Exec), and the action file
# as far as the desktop entry rules apply to it.
set -u
here=$(cd "$(dirname "$0")" && pwd)
# shellcheck source=../shell_helpers.sh
. "$here/../shell_helpers.sh"
: "${NEMO_STAND_IN:?NEMO_STAND_IN must name the Nemo stand-in}"
setup_home

system_entry=/usr/share/applications/nemo.desktop
if [ ! -s "$system_entry" ]; then
  printf '%s is missing: install the nemo package\n' "$system_entry"
  exit 1
fi

entry=$HOME/.local/share/applications/nemo.desktop
action=$XDG_DATA_HOME/nemo/actions/fennick.nemo_action

# Enables the tuned Nemo under PREFIX (the stand-in in its place) and validates the user entry.
validate_entry_for() { # what prefix
  local out
  export FENNICK_PREFIX=$2
  mkdir -p "$FENNICK_PREFIX/bin"
  cp "$NEMO_STAND_IN" "$FENNICK_PREFIX/bin/nemo"
  out=$("$FENNICK_BIN" enable 2>&1)
  check_contains "$1: enable" "enabled: the tuned Nemo ($FENNICK_PREFIX/bin/nemo) now opens folders." "$out"
  out=$(desktop-file-validate "$entry" 2>&1)
  check_eq "$1: desktop-file-validate on the user entry (status $?)" '' "$out"
  check_eq "$1: Exec lines" "$(grep -c '^Exec=' "$system_entry")" "$(grep -c '^Exec=' "$entry")"
  check_eq "$1: last line" 'X-Fennick=true' "$(tail -n 1 "$entry")"
}

validate_entry_for 'plain prefix' "$work/opt/fennick"
validate_entry_for 'prefix with blanks' "$work/my programs/fennick"
validate_entry_for 'prefix with quotes' "$work/it's \"quoted\"/fennick"
validate_entry_for 'prefix with shell characters' "$work/\$HOME \`id\` ~ * ? ; & | < > ( ) #/fennick"
validate_entry_for 'prefix with a backslash' "$work/back\\slash/fennick"
validate_entry_for 'prefix with a percent sign' "$work/100% %U/fennick"
validate_entry_for 'prefix with UTF-8' "$work/f$(printf '\303\251')nnick"

# The action file is no desktop entry: its group is [Nemo Action]. A copy named .desktop draws
# exactly the complaints about that group and nothing about its keys or values.
cp "$action" "$work/action-copy.desktop"
out=$(desktop-file-validate "$work/action-copy.desktop" 2>&1)
check_eq 'desktop-file-validate on a copy of the action file' \
  "$work/action-copy.desktop: error: first group is not \"Desktop Entry\"
$work/action-copy.desktop: error: file contains group \"Nemo Action\", but groups extending the format should start with \"X-\"" \
  "$out"
# The same keys under a [Desktop Entry] group (with the Type that group needs) draw nothing but
# notes on the three keys that only actions have: Name, Comment and Exec are valid as they are.
{
  printf '[Desktop Entry]\nType=Application\n'
  tail -n +2 "$action"
} >"$work/action-as-entry.desktop"
out=$(desktop-file-validate "$work/action-as-entry.desktop" 2>&1)
check_eq 'desktop-file-validate on the action keys as a desktop entry' \
  "$work/action-as-entry.desktop: error: file contains key \"Icon-Name\" in group \"Desktop Entry\", but keys extending the format should start with \"X-\"
$work/action-as-entry.desktop: error: file contains key \"Selection\" in group \"Desktop Entry\", but keys extending the format should start with \"X-\"
$work/action-as-entry.desktop: warning: key \"Extensions\" in group \"Desktop Entry\" is deprecated" \
  "$out"

finish
