#!/bin/bash
# The window as assistive technologies see it: `fennick gui` on a private X server with a private
# session bus and accessibility bus, read over AT-SPI by accessibility_tree.py (every control
# named by its caption and described by its hint, the reset buttons named by their settings).
set -u
here=$(cd "$(dirname "$0")" && pwd)
# shellcheck source=../shell_helpers.sh
. "$here/../shell_helpers.sh"
# shellcheck source=xvfb_helpers.sh
. "$here/xvfb_helpers.sh"
bus_launcher=/usr/libexec/at-spi-bus-launcher
for tool in Xvfb dbus-daemon "$bus_launcher" /usr/bin/python3; do
  if ! command -v "$tool" >/dev/null 2>&1; then
    echo "$tool is needed (Debian: xvfb, dbus-daemon, at-spi2-core, python3-pyatspi)"
    exit 1
  fi
done
work=$(mktemp -d "${TMPDIR:-/tmp}/fennick-a11y.XXXXXX") || exit 1
app= launcher= bus=
trap 'for pid in $app $launcher $bus; do kill "$pid" 2>/dev/null; done; stop_xvfb; rm -rf "$work"' EXIT
trap 'exit 1' HUP INT TERM PIPE
private_session "$work"
start_xvfb "$work" || exit 1

# A session bus of our own; the accessibility bus is found through it.
dbus-daemon --session --fork --nopidfile --address="unix:path=$work/session-bus" \
  --print-pid=3 3>"$work/bus-pid" >/dev/null || exit 1
bus=$(cat "$work/bus-pid")
export DBUS_SESSION_BUS_ADDRESS="unix:path=$work/session-bus"
unset NO_AT_BRIDGE GTK_A11Y GTK_MODULES
"$bus_launcher" --launch-immediately >"$work/launcher.log" 2>&1 &
launcher=$!

"$FENNICK_BIN" gui >"$work/out" 2>"$work/err" </dev/null &
app=$!
if [ -z "$(wait_for_fennick_window)" ]; then
  fail "no window appeared; standard error: $(cat "$work/err")"
  finish
fi
if ! timeout 300 /usr/bin/python3 "$here/accessibility_tree.py" "$FENNICK_SRC/src/settings/catalogue.cc" \
  >"$work/report" 2>&1; then
  fail "the accessibility tree: $(cat "$work/report") (fennick's standard error: $(cat "$work/err"))"
else
  checks=$((checks + 1))
  tail -n 1 "$work/report"
fi
check_eq 'fennick still runs' yes "$(kill -0 "$app" 2>/dev/null && echo yes)"
finish
