#!/bin/sh
# Saves a picture of each tab of the settings window as a person sees it, to look at by eye:
#   screenshots.sh OUTDIR [FENNICK]
# FENNICK is the program to run (default: $FENNICK_BIN, else build/fennick of the source tree).
# It runs under a private X server in a private home with the default settings; OUTDIR receives
# 1-path-bar.png, 2-terminal.png, 3-panes.png, 4-sidebar.png and 5-backup.png.
set -eu
if [ $# -lt 1 ] || [ $# -gt 2 ]; then
  echo "usage: $0 OUTDIR [FENNICK]" >&2
  exit 2
fi
here=$(cd "$(dirname "$0")" && pwd)
# shellcheck source=xvfb_helpers.sh
. "$here/xvfb_helpers.sh"
out=$1
fennick=${2:-${FENNICK_BIN:-$here/../../build/fennick}}
for tool in Xvfb xdotool import; do
  if ! command -v "$tool" >/dev/null 2>&1; then
    echo "$0: $tool is needed (Debian: xvfb, xdotool, imagemagick)" >&2
    exit 1
  fi
done
mkdir -p "$out"
out=$(cd "$out" && pwd)
close_window=$(dirname "$fennick")/tests/gui/close_window

work=$(mktemp -d "${TMPDIR:-/tmp}/fennick-screenshots.XXXXXX")
app=
cleanup() {
  if [ -n "$app" ]; then
    kill "$app" 2>/dev/null || true
    wait "$app" 2>/dev/null || true
  fi
  stop_xvfb
  rm -rf "$work"
}
trap cleanup EXIT
trap 'exit 1' HUP INT TERM
private_session "$work"
start_xvfb "$work"

"$fennick" gui >"$work/out" 2>"$work/err" </dev/null &
app=$!
window=$(wait_for_fennick_window) || true
if [ -z "$window" ]; then
  echo "$0: the window did not appear:" >&2
  cat "$work/err" >&2
  exit 1
fi
# Takes the picture until it shows something new (the first: anything at all) and has stopped
# changing, for at most a minute: the window draws in its own time. Sets signature.
shoot() { # file previous-signature
  tries=0
  last=
  while :; do
    import -window "$window" "$1"
    signature=$(identify -format '%k %#' "$1")
    if [ "${signature%% *}" -gt 8 ] && [ "${signature#* }" != "$2" ] && [ "$signature" = "$last" ]; then
      return 0
    fi
    last=$signature
    tries=$((tries + 1))
    if [ "$tries" -ge 600 ]; then
      echo "$0: $1 does not settle" >&2
      return 1
    fi
    sleep 0.1
  done
}

# The tabs take the keyboard: Ctrl+Page Down moves to the next one. The window fills a page when
# its tab is first selected, if idle time has not filled it already, and before drawing it; shoot
# waits for a new picture that has stopped changing, so each picture is of the filled page.
xdotool windowfocus --sync "$window"
number=0
signature=none
for tab in path-bar terminal panes sidebar backup; do
  number=$((number + 1))
  [ "$number" -gt 1 ] && xdotool key --clearmodifiers ctrl+Next
  shoot "$out/$number-$tab.png" "${signature#* }"
  echo "$out/$number-$tab.png"
done

if [ -x "$close_window" ]; then
  "$close_window" "$window"
else
  kill "$app"
fi
wait "$app" || true
app=
