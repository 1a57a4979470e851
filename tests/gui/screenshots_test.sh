#!/bin/bash
# screenshots.sh takes five different pictures of the running window, one per tab, each of the
# window's size and not blank.
set -u
here=$(cd "$(dirname "$0")" && pwd)
# shellcheck source=../shell_helpers.sh
. "$here/../shell_helpers.sh"
work=$(mktemp -d "${TMPDIR:-/tmp}/fennick-screenshots-test.XXXXXX") || exit 1
trap 'rm -rf "$work"' EXIT

if ! "$here/screenshots.sh" "$work/shots" "$FENNICK_BIN" >"$work/list" 2>"$work/err"; then
  echo "screenshots.sh failed:"
  cat "$work/err"
  exit 1
fi
expected=
for name in 1-path-bar 2-terminal 3-panes 4-sidebar 5-backup; do
  expected+="$work/shots/$name.png"$'\n'
done
check_eq 'the pictures it names' "${expected%$'\n'}" "$(cat "$work/list")"
check_eq 'the pictures in the folder' '1-path-bar.png 2-terminal.png 3-panes.png 4-sidebar.png 5-backup.png' \
  "$(cd "$work/shots" && echo *)"

signatures=
for picture in "$work/shots"/*.png; do
  name=${picture##*/}
  # Width, height, number of colours and a digest of the pixels (not of the file).
  read -r width height colours signature < <(identify -format '%w %h %k %#\n' "$picture" 2>&1)
  check_eq "$name: size" '820x780' "${width}x${height}"
  [ "${colours:-0}" -gt 8 ] 2>/dev/null || fail "$name: looks blank ($colours colours)"
  checks=$((checks + 1))
  signatures+="$signature"$'\n'
done
check_eq 'five different pictures' 5 "$(printf '%s' "$signatures" | sort -u | grep -c .)"
finish
