#!/bin/bash
# The settings lock against a real holder (flock(1) on the settings folder, as a stopped fennick
# would hold it): each command that changes settings says once that it waits and goes on when
# the holder ends, or gives up after 30 seconds with exit 1 and nothing changed; commands that
# only read never wait, not even to rewrite old pane keys, which they do once the lock is free.
set -u
here=$(cd "$(dirname "$0")" && pwd)
# shellcheck source=../shell_helpers.sh
. "$here/../shell_helpers.sh"
setup_home
command -v flock >/dev/null || { echo "flock is needed (Debian: util-linux)"; exit 1; }

holder=
# Holds the lock for SECONDS in the background; returns once it is held. Sets holder.
hold() { # seconds
  flock -o "$FENNICK_DIR" sleep "$1" &
  holder=$!
  while flock -n "$FENNICK_DIR" true; do sleep 0.01; done
}
waiting() { printf 'fennick: waiting for another fennick (process %s) to finish changing the settings' "$1"; }

"$FENNICK_BIN" set terminal.symbol '>' >/dev/null
touch "$HOME/.bashrc"
for command in "set terminal.symbol %" "reset terminal.symbol" apply prompt-install pathbar-install; do
  hold 2
  # shellcheck disable=SC2086  # the words of the command
  err=$("$FENNICK_BIN" $command 2>&1 >/dev/null)
  check_eq "$command: exit status after the wait" 0 "$?"
  check_eq "$command: what it says while it waits" "$(waiting "$holder")" "$err"
  wait "$holder"
done
check_eq 'the changes made after waiting' '$' "$("$FENNICK_BIN" get terminal.symbol)"

# A holder that does not end: the writer gives up; the readers meanwhile answer at once, with old
# pane keys converted in memory and the file left as it is.
old_keys=$'[panes]\nkey_add=<Primary><Shift>F3\n'
printf '%s' "$old_keys" >"$FENNICK_DIR/fennick.ini"
hold 60
"$FENNICK_BIN" set terminal.symbol '#' >"$work/out" 2>"$work/err" &
writer=$!
check_eq 'a reader during the wait: get' F3 "$(timeout 5 "$FENNICK_BIN" get panes.key_add)"
timeout 5 "$FENNICK_BIN" list >/dev/null
check_eq 'a reader during the wait: list' 0 "$?"
timeout 5 "$FENNICK_BIN" css >/dev/null
check_eq 'a reader during the wait: css' 0 "$?"
check_eq 'the file while the lock is held' "${old_keys}x" "$(cat "$FENNICK_DIR/fennick.ini"; printf x)"
wait "$writer"
check_eq 'exit status after giving up' 1 "$?"
check_eq 'what the writer said' "$(waiting "$holder")
fennick: gave up waiting for another fennick (process $holder) after 30 seconds; nothing was changed" \
  "$(cat "$work/err")"
check_eq 'the file after giving up' "${old_keys}x" "$(cat "$FENNICK_DIR/fennick.ini"; printf x)"
kill "$holder"
wait "$holder" 2>/dev/null
"$FENNICK_BIN" get panes.key_add >/dev/null
check_contains 'old keys rewritten once the lock is free' $'\nkey_add=F3\n' "$(cat "$FENNICK_DIR/fennick.ini")"
finish
