#!/bin/bash
# Cost of one preview refresh of the settings window: the stylesheet text (generate_stylesheet)
# and the prompt markup (prompt_preview_markup), built from the settings store without GTK
# (bench/preview_refresh.cc, Google Benchmark), for the defaults, the powerline style and a
# 267-character template; goal: under 50 microseconds per refresh. Then the GTK side apart
# (bench/preview_refresh_gtk.cc): refresh_previews in the real window under a private Xvfb, its
# two GTK calls alone, and the CPU time of the frame that follows a change. Prints its figures;
# not part of CI.
#
# Environment: REPETITIONS (5; the text benchmarks are repeated and their medians shown), GTK (1;
# 0 skips the GTK side), BUILD_DIR (a build directory configured by this script, default
# build-gbench/ in the work tree). HOME, the settings folder and every XDG folder are temporary.
# Debian's libbenchmark says it "was built as DEBUG": that is the library's own build, it does
# not change the code measured.
set -euo pipefail

root=$(cd "$(dirname "$0")/.." && pwd)
REPETITIONS=${REPETITIONS:-5} GTK=${GTK:-1}
build=${BUILD_DIR:-$root/build-gbench}

"$root/scripts/need-packages.sh" g++ gcc cmake ninja-build pkg-config libbenchmark-dev \
  libgtk-3-dev libx11-dev libxdamage-dev
[ "$GTK" = 0 ] || "$root/scripts/need-packages.sh" xvfb fontconfig
cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DFENNICK_TESTS=OFF \
  -DFENNICK_BENCH=ON >/dev/null
ninja -C "$build" preview_refresh preview_refresh_gtk >/dev/null

# shellcheck source=../tests/gui/xvfb_helpers.sh
. "$root/tests/gui/xvfb_helpers.sh"
work=$(mktemp -d)
trap 'stop_xvfb; rm -rf "$work"' EXIT
private_session "$work"
cd "$work"

echo "== One preview refresh without GTK (stylesheet text + prompt markup), medians of" \
  "$REPETITIONS repetitions; $(nproc) cores, load average $(cut -d ' ' -f 1-3 /proc/loadavg)"
"$build/bench/preview_refresh" --benchmark_repetitions="$REPETITIONS" \
  --benchmark_report_aggregates_only=true --benchmark_out="$work/text.csv" \
  --benchmark_out_format=csv >/dev/null 2>"$work/text.err" || { cat "$work/text.err" >&2; exit 1; }
# CSV: name,iterations,real_time,cpu_time,time_unit,... with the name in double quotes.
awk -F, '
  $1 !~ /^".*_median"$/ { next }
  {
    name = $1; gsub(/"/, "", name); sub(/_median$/, "", name)
    unit = $5; scale = unit == "ns" ? 1e-3 : unit == "us" ? 1 : unit == "ms" ? 1e3 : 1e6
    us = $3 * scale
    line = sprintf("%-42s %10.2f us", name, us)
    if (name ~ /^Refresh\//) {
      line = line (us < 50 ? "   goal < 50 us: met" : "   goal < 50 us: MISSED")
      if (us > worst) worst = us
    }
    print line
  }
  END { printf "slowest refresh: %.2f us (goal: under 50 us per refresh)\n", worst }
' "$work/text.csv"

[ "$GTK" != 0 ] || exit 0
start_xvfb "$work"

echo
echo "== The GTK side, in fennick's real window (Xvfb $DISPLAY): wall time of the calls; for the" \
  "Frame rows the CPU time of the process for the change and the frame after it"
"$build/bench/preview_refresh_gtk" --benchmark_out="$work/gtk.csv" --benchmark_out_format=csv \
  >/dev/null 2>"$work/gtk.err" || { cat "$work/gtk.err" >&2; exit 1; }
awk -F, '
  $1 !~ /^"/ { next }
  {
    name = $1; gsub(/"/, "", name); sub(/\/iterations:[0-9]+\/process_time$/, "", name)
    unit = $5; scale = unit == "ns" ? 1e-3 : unit == "us" ? 1 : unit == "ms" ? 1e3 : 1e6
    t = (name ~ /^Frame\// ? $4 : $3) * scale
    if (t >= 1000) printf "%-52s %10.2f ms\n", name, t / 1000
    else printf "%-52s %10.1f us\n", name, t
    time[name] = t
  }
  END {
    floor = time["Frame/nothing/page:1"]
    printf "\none change of a terminal setting in the window: refresh_previews %.0f us, then %.1f ms of" \
      " CPU for the frame after it, against %.1f ms for a frame after setting the same markup" \
      " alone and %.1f ms for a frame with nothing before it\n", time["RefreshPreviews/terminal_change"],
      time["Frame/terminal_change/page:1"] / 1000, time["Frame/markup_set_same_text/page:1"] / 1000,
      floor / 1000
    printf "one change of a path-bar setting: refresh_previews %.0f us, then %.1f ms for the frame;" \
      " the same stylesheet in a provider on the preview'"'"'s widgets only: %.1f ms\n",
      time["RefreshPreviews/path_bar_change"], time["Frame/path_bar_change/page:0"] / 1000,
      time["Frame/preview_only_provider_path_bar_change/page:0"] / 1000
  }
' "$work/gtk.csv"
echo "(Frame rows: a frame with nothing before it is the floor; the frame clock runs at 60 Hz, so" \
  "whatever costs more than about 16 ms of CPU delays the next frame)"
