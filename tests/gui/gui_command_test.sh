#!/bin/bash
# The window as a person starts and closes it: `fennick gui` (and `fennick` alone when a display
# is named) opens the "Fennick" window on a private X server; closing it the way a window manager
# does ends the program by itself with status 0, and a change made just before closing is saved.
set -u
here=$(cd "$(dirname "$0")" && pwd)
# shellcheck source=../shell_helpers.sh
. "$here/../shell_helpers.sh"
# shellcheck source=xvfb_helpers.sh
. "$here/xvfb_helpers.sh"
close_window=$(dirname "$FENNICK_BIN")/tests/gui/close_window
if [ ! -x "$close_window" ]; then
  echo "the close_window helper is missing: $close_window (build the tests first)"
  exit 1
fi
work=$(mktemp -d "${TMPDIR:-/tmp}/fennick-gui.XXXXXX") || exit 1
app=
trap '[ -n "$app" ] && kill "$app" 2>/dev/null; stop_xvfb; rm -rf "$work"' EXIT
trap 'exit 1' HUP INT TERM PIPE
private_session "$work"
start_xvfb "$work" || exit 1

# Starts fennick with the arguments in the background (sets app) and waits for its window.
start_window() { # args...
  "$FENNICK_BIN" "$@" >"$work/out" 2>"$work/err" </dev/null &
  app=$!
  window=$(wait_for_fennick_window)
  if [ -z "$window" ]; then
    fail "fennick $*: no window appeared; standard error: $(cat "$work/err")"
    kill "$app" 2>/dev/null
    wait "$app" 2>/dev/null
    app=
    return 1
  fi
}

# Closes the window and checks that the program ends with status 0 (within a minute).
close_and_expect_end() { # what
  local status
  "$close_window" "$window" || fail "$1: close_window failed"
  wait_for_exit "$app" 60
  status=$?
  [ "$status" = 124 ] && kill "$app" 2>/dev/null
  app=
  check_eq "$1: exit status after the close" 0 "$status"
  check_eq "$1: standard output" "" "$(cat "$work/out")"
  check_eq "$1: no window left" "" "$(xdotool search --onlyvisible --name '^Fennick$' 2>/dev/null)"
}

if start_window gui; then
  check_eq 'gui: the window is the program named fennick' "$window" \
    "$(xdotool search --onlyvisible --classname '^fennick$' | head -n 1)"
  check_eq 'gui: window size' "820x780" \
    "$(xdotool getwindowgeometry "$window" | sed -n 's/^ *Geometry: //p')"
  check_eq 'gui: nothing written at start' "" "$(ls -A "$FENNICK_DIR" 2>/dev/null)"
  # Tab moves from the tabs to the first control of the Path bar page, "Customise the path bar";
  # the space bar ticks it. The window is closed at once, well within the save delay.
  xdotool windowfocus --sync "$window"
  xdotool key --clearmodifiers Tab space
  close_and_expect_end 'gui'
  check_contains 'gui: the change made before the close is saved' $'[pathbar]\nenabled=true\n' \
    "$(cat "$FENNICK_DIR/fennick.ini" 2>/dev/null)"
  check_eq 'gui: stylesheet written too' 'yes' "$([ -s "$FENNICK_DIR/fennick.css" ] && echo yes)"
fi

# Without a command word the window opens when a display is named.
rm -rf "$FENNICK_DIR"
if start_window; then
  close_and_expect_end 'no command word'
  check_eq 'no command word: nothing changed, nothing written' "" "$(ls -A "$FENNICK_DIR" 2>/dev/null)"
fi

finish
