#!/bin/bash
# The manual page as man and groff read it: it renders without a warning (in the C locale too),
# is ASCII with no trailing blanks, comes out byte for byte the same whatever folders the
# environment names, and its rendered text names every command word, every setting and every
# variable the program reads.
set -u
here=$(cd "$(dirname "$0")" && pwd)
# shellcheck source=../shell_helpers.sh
. "$here/../shell_helpers.sh"
: "${FENNICK_SRC:?FENNICK_SRC must name the source folder}"
setup_home

page=$work/fennick.1
"$FENNICK_BIN" man >"$page" 2>"$work/man.err"
check_eq "fennick man exit status" 0 "$?"
check_eq "fennick man stderr" "" "$(cat "$work/man.err")"

check_eq "bytes outside printable ASCII" "" "$(LC_ALL=C grep -n '[^ -~]' "$page")"
check_eq "lines with trailing blanks" "" "$(grep -n ' $' "$page")"

# Other folders for everything the environment can move: the page describes the defaults.
elsewhere=$(FENNICK_DIR=/elsewhere/config XDG_CONFIG_HOME=/elsewhere/xdg-config \
  XDG_DATA_HOME=/elsewhere/data FENNICK_PREFIX=/elsewhere/prefix \
  FENNICK_SHARE=/elsewhere/share "$FENNICK_BIN" man | cksum)
check_eq "page under other folders" "$(cksum <"$page")" "$elsewhere"

check_eq "groff -ww -z -man output" "" "$(groff -ww -z -man "$page" 2>&1)"

rendered=$(MANPAGER=cat MANWIDTH=80 man -l "$page" 2>"$work/render.err")
check_eq "man -l exit status" 0 "$?"
check_eq "man -l stderr" "" "$(cat "$work/render.err")"
check_contains "rendered header" "FENNICK(1)" "$rendered"
# A plain-text terminal has no glyph for some characters, and a narrow one breaks long paths.
LC_ALL=C MANPAGER=cat MANWIDTH=60 man -l "$page" >/dev/null 2>"$work/render.err"
check_eq "man -l stderr in the C locale, 60 columns" "" "$(cat "$work/render.err")"
for section in NAME SYNOPSIS DESCRIPTION COMMANDS SETTINGS FILES ENVIRONMENT "EXIT STATUS" \
  "SEE ALSO"; do
  check_contains "section heading" $'\n'"$section"$'\n' "$rendered"
done

# The words of the rendered text: runs of name characters, a full stop at the end dropped.
words=$(tr -c 'A-Za-z0-9_.\n-' '\n' <<<"$rendered" | sed 's/\.*$//' | sort -u)
has_word() { # what word
  checks=$((checks + 1))
  grep -qxF -- "$2" <<<"$words" || fail "$1: no word $(show "$2") in the rendered page"
}

# Every word that names a command, from the command table.
commands=$(grep -oE '(\{\{|\.words = \{)"[^}]*\}' "$FENNICK_SRC/src/cli/command_table.cc" |
  grep -oE '"[^"]+"' | tr -d '"' | sort -u)
check_contains "command words found in the table" "pathbar-install" "$commands"
for word in $commands; do has_word "command" "$word"; done

settings=$("$FENNICK_BIN" list | sed -n 's/^  \([a-z_]*\.[a-z_]*\) .*/\1/p')
check_contains "settings listed" "sidebar.readonly_marker" "$settings"
for name in $settings; do has_word "setting" "$name"; done

# Every variable the program reads, found where it reads them.
variables=$(grep -rhoE '(env_text|getenv|xdg_dir)\("[A-Za-z_]+"' "$FENNICK_SRC/src" |
  grep -oE '"[^"]+"' | tr -d '"' | sort -u)
check_contains "variables found in the sources" "FENNICK_DIR" "$variables"
for name in $variables; do has_word "variable" "$name"; done

finish
