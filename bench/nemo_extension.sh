#!/bin/bash
# fennick's extension in the stock Nemo (Debian's nemo and nemo-python), under a private Xvfb,
# session bus and accessibility bus. Prints its figures; not part of CI.
#
# Start-up: time from exec to the mapped window of `nemo --no-desktop FOLDER` without any
# extension, with an empty Python extension (what nemo-python itself costs: it starts a Python
# interpreter for any extension) and with fennick's (bench/map_timer.c; the runs take turns).
# Goal: under 50 ms more with it.
# Stalls: for the 20 s after a Nemo with the extension starts on a tree of 200,000 entries (200
# folders of 1,000 files), which it counts meanwhile, how long Nemo's main loop keeps a D-Bus
# call waiting (bench/nemo_stalls.py), and the same without an extension and with the empty one
# (Nemo's own start-up and nemo-python's first call show in the first tenth of a second); then the
# bar's text, to see that the count ended. Goal: no answer over 50 ms while the tree is counted.
#
# Environment: RUNS (20), WARMUP (3), BUILD_DIR (a build directory configured by this script,
# default build-gbench/ in the work tree).
set -euo pipefail

root=$(cd "$(dirname "$0")/.." && pwd)
RUNS=${RUNS:-20} WARMUP=${WARMUP:-3}
build=${BUILD_DIR:-$root/build-gbench}
cmake -S "$root" -B "$build" -G Ninja -DFENNICK_TESTS=OFF -DFENNICK_BENCH=ON >/dev/null
ninja -C "$build" fennick map_timer >/dev/null
bench=$build/bench

# shellcheck source=../tests/gui/xvfb_helpers.sh
. "$root/tests/gui/xvfb_helpers.sh"
# shellcheck source=../tests/gui/nemo_helpers.sh
. "$root/tests/gui/nemo_helpers.sh"
work=$(mktemp -d "${TMPDIR:-/tmp}/fennick-nemo-bench.XXXXXX")
a11y=''
trap 'timeout 20 nemo -q >/dev/null 2>&1; kill $a11y ${bus_pid:-} 2>/dev/null; stop_xvfb; rm -rf "$work"' EXIT
private_session "$work"
start_xvfb "$work"
start_private_bus "$work"
unset NO_AT_BRIDGE GTK_A11Y GTK_MODULES
/usr/libexec/at-spi-bus-launcher --launch-immediately >"$work/launcher.log" 2>&1 &
a11y=$!
export GSETTINGS_BACKEND=keyfile
plain=$work/plain-data
mkdir -p "$plain" "$HOME/small"
"$build/fennick" set pathbar.enabled true >/dev/null
XDG_DATA_HOME=$work/extension-data "$build/fennick" extension-install >/dev/null
mkdir -p "$work/empty-data/nemo-python/extensions"
printf '%s\n' 'from gi.repository import GObject, Nemo' '' '' \
  'class Empty(GObject.GObject, Nemo.LocationWidgetProvider):' \
  '    def get_widget(self, uri, window):' '        return None' \
  >"$work/empty-data/nemo-python/extensions/empty.py"

echo "start-up of nemo --no-desktop on a small folder, $RUNS runs each, in milliseconds:"
echo "program            map: median min p90   paint: median min p90   cpu   no paint"
"$bench/map_timer" "$RUNS" "$WARMUP" \
  without small "XDG_DATA_HOME=$plain" nemo --no-desktop "$HOME/small" :: \
  empty-python small "XDG_DATA_HOME=$work/empty-data" nemo --no-desktop "$HOME/small" :: \
  fennick small "XDG_DATA_HOME=$work/extension-data" nemo --no-desktop "$HOME/small" 2>/dev/null

echo "a tree of 200,000 entries:"
tree=$HOME/tree
for folder in $(seq 200); do
  mkdir -p "$tree/$folder" && (cd "$tree/$folder" && seq 1000 | xargs touch)
done
for program in without empty-python fennick; do
  data=$plain
  [ "$program" = empty-python ] && data=$work/empty-data
  [ "$program" = fennick ] && data=$work/extension-data
  XDG_DATA_HOME=$data nemo --no-desktop "$tree" >/dev/null 2>&1 &
  nemo_pid=$!
  printf '%s: ' "$program"
  /usr/bin/python3 "$root/bench/nemo_stalls.py" 20
  [ "$program" != fennick ] ||
    echo "the bar then: $(/usr/bin/python3 "$root/tests/integrate/nemo_labels.py" 60 ' folders' | cut -f1)"
  timeout 20 nemo -q >/dev/null 2>&1 || kill "$nemo_pid"
  wait "$nemo_pid" 2>/dev/null || true
done
