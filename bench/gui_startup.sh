#!/bin/bash
# Start-up of the settings window: time from exec to the mapped window of `fennick gui`, beside
# a minimal GTK 3 program with the same notebook (5 pages, the same controls as the catalogue,
# linked against GTK as usual, built eagerly) and a bare GTK window, all under a private Xvfb.
# Prints its figures; not part of CI. fennick fills only its first page before the window maps
# and the others after the first draw, so it should beat the eager floor. Goal: fennick's median
# map at most 0.6x the minimal notebook program's.
#
# Timing (bench/map_timer.c): the clock is read, the program forked and executed, and the root
# window's MapNotify of the top-level with the program's title gives the "map" time; the first
# damage on that window after it the "paint" time. The window is then closed (WM_DELETE_WINDOW)
# and the program waited for; its CPU time over the whole run comes from wait4. The programs take
# turns, one run of each per round, so that a change of machine load hits them all alike.
#
# The font detection child (fc-list) is weighed three ways: `fc-list :charset=e0b0 family` timed
# alone, fennick as it is, and fennick with a stand-in fc-list first on PATH that ends at once
# (same result as on a machine without a powerline font: nothing found). fennick runs it when it
# fills the Terminal page, after the first draw, so the two should map alike.
#
# Then, as a diagnostic, the phases of one start-up (bench/gui_phases.cc: fennick's own window code
# cut into steps; the minimal programs note theirs too): milliseconds since exec, medians.
#
# Environment: RUNS (30), WARMUP (3), PHASE_RUNS (10; 0 skips the phases), BUILD_DIR (a build
# directory configured by this script, default build-gbench/ in the work tree).
# HOME, the settings folder and every XDG folder are temporary; no session bus, no accessibility
# bridge (NO_AT_BRIDGE=1), the same for every program.
set -euo pipefail

root=$(cd "$(dirname "$0")/.." && pwd)
RUNS=${RUNS:-30} WARMUP=${WARMUP:-3} PHASE_RUNS=${PHASE_RUNS:-10}
build=${BUILD_DIR:-$root/build-gbench}

"$root/scripts/need-packages.sh" g++ gcc cmake ninja-build pkg-config xvfb fontconfig \
  libgtk-3-dev libx11-dev libxdamage-dev libbenchmark-dev
cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DFENNICK_TESTS=OFF \
  -DFENNICK_BENCH=ON >/dev/null
ninja -C "$build" fennick gui_floor gui_phases map_timer exit_at_once catalogue_layout >/dev/null
fennick=$build/fennick bench=$build/bench

# shellcheck source=../tests/gui/xvfb_helpers.sh
. "$root/tests/gui/xvfb_helpers.sh"
work=$(mktemp -d)
trap 'stop_xvfb; rm -rf "$work"' EXIT
private_session "$work"
mkdir -p "$work/stand-in"
cd "$work"

start_xvfb "$work"

ln -s "$bench/exit_at_once" "$work/stand-in/fc-list"
real_fc_list=$(command -v fc-list)
fonts=$("$real_fc_list" :charset=e0b0 family | head -n 3 | paste -sd ',' -)

echo "== Settings window start-up (Xvfb $DISPLAY, $RUNS runs each after $WARMUP warm-up rounds," \
  "taking turns; $(nproc) cores, load average $(cut -d ' ' -f 1-3 /proc/loadavg))"
echo "minimal notebook program: $("$bench/catalogue_layout" --counts)," \
  "an empty Backup tab and a status line (none of the widgets fennick adds by hand)"
echo "powerline fonts installed (fc-list :charset=e0b0 family): ${fonts:-none}"
echo
MAP_TIMER_RAW=$work/raw "$bench/map_timer" "$RUNS" "$WARMUP" \
  "fennick gui" Fennick "$fennick" gui :: \
  "fennick gui, fc-list stand-in" Fennick "PATH=$work/stand-in:$PATH" "$fennick" gui :: \
  "minimal notebook program" "Floor notebook" "$bench/gui_floor" notebook :: \
  "bare GTK window" "Bare window" "$bench/gui_floor" bare :: \
  "fc-list :charset=e0b0 family" - "$real_fc_list" :charset=e0b0 family \
  >"$work/times"

# Columns of map_timer: label (words joined by blanks here, so read from the right).
awk '
  {
    lost = $NF; cpu = $(NF-1); p90p = $(NF-2); minp = $(NF-3); medp = $(NF-4)
    p90m = $(NF-5); minm = $(NF-6); medm = $(NF-7)
    label = $1; for (i = 2; i <= NF - 8; ++i) label = label " " $i
    row[NR] = label; med[label] = medm; paint[label] = medp
    printf "%-31s %8s %8s %8s %10s %8s %8s %8s", label, medm, minm, p90m, medp, minp, p90p, cpu
    if (lost > 0) printf "  (%d runs without a paint)", lost
    printf "\n"
  }
  BEGIN {
    printf "%-31s %8s %8s %8s %10s %8s %8s %8s\n", "ms from exec", "map med", "min", "p90",
      "paint med", "min", "p90", "cpu med"
  }
  END {
    f = "fennick gui"; s = "fennick gui, fc-list stand-in"; n = "minimal notebook program"
    b = "bare GTK window"; c = "fc-list :charset=e0b0 family"
    printf "\nratio fennick / minimal notebook (median map): %.2f   (paint: %.2f)   goal: <= 0.60 -> %s\n",
      med[f] / med[n], paint[f] / paint[n], med[f] / med[n] <= 0.6 ? "met" : "MISSED"
    printf "ratio fennick with the fc-list stand-in / minimal notebook (map): %.2f   (paint: %.2f)\n",
      med[s] / med[n], paint[s] / paint[n]
    printf "font detection: fc-list alone %.1f ms; fennick with it minus without it %.1f ms (map)," \
      " %.0f%% of fennick'"'"'s start-up\n", med[c], med[f] - med[s], 100 * (med[f] - med[s]) / med[f]
    printf "the notebook itself: minimal notebook minus bare window %.1f ms (map)\n", med[n] - med[b]
  }' "$work/times"

# The same comparisons round by round (the runs of one round are seconds apart, so a slow spell
# of the machine hits both sides of a pair): median and quartiles of the per-round figures.
# Programs in map_timer order: 0 fennick, 1 fennick with the stand-in, 2 minimal notebook.
awk '
  function quartiles(list, n,    i, j, t) {
    for (i = 1; i <= n; ++i) for (j = i + 1; j <= n; ++j)
      if (list[j] < list[i]) { t = list[i]; list[i] = list[j]; list[j] = t }
    q1 = list[int((n + 3) / 4)]; q3 = list[int((3 * n + 1) / 4)]
    return n % 2 ? list[(n + 1) / 2] : (list[n / 2] + list[n / 2 + 1]) / 2
  }
  { map[$1, $2] = $3; if ($1 + 1 > rounds) rounds = $1 + 1 }
  END {
    for (r = 0; r < rounds; ++r) {
      ratio[r + 1] = map[r, 0] / map[r, 2]; standin[r + 1] = map[r, 1] / map[r, 2]
      cost[r + 1] = map[r, 0] - map[r, 1]
    }
    m = quartiles(ratio, rounds)
    printf "per round, fennick / minimal notebook (map): median %.2f, quartiles %.2f to %.2f   goal: <= 0.60 -> %s\n", m, q1, q3, m <= 0.6 ? "met" : "MISSED"
    m = quartiles(standin, rounds)
    printf "per round, fennick with the stand-in / minimal notebook (map): median %.2f, quartiles %.2f to %.2f\n", m, q1, q3
    m = quartiles(cost, rounds)
    printf "per round, fennick minus fennick with the stand-in (map): median %.1f ms, quartiles %.1f to %.1f\n", m, q1, q3
  }' "$work/raw"

[ "$PHASE_RUNS" -gt 0 ] || exit 0
echo
echo "== Phases of one start-up, ms since exec (medians of $PHASE_RUNS runs)"
phases=$work/phases
"$bench/map_timer" "$PHASE_RUNS" 2 \
  fennick "Fennick phases" "BENCH_PHASES_FILE=$phases" "$bench/gui_phases" :: \
  floor "Floor notebook" "BENCH_PHASES_FILE=$phases" "$bench/gui_floor" notebook :: \
  floor-icon-css "Floor notebook" "BENCH_PHASES_FILE=$phases.extras" FLOOR_ICON=preferences-system \
  "FLOOR_CSS=/* empty */" "$bench/gui_floor" notebook :: \
  bare "Bare window" "BENCH_PHASES_FILE=$phases" "$bench/gui_floor" bare >"$work/phase-times"
sed 's/^floor /floor+icon+css /' "$phases.extras" >>"$phases"
# The two warm-up rounds wrote lines too: keep the last PHASE_RUNS of each program.
awk -v keep="$PHASE_RUNS" '
  {
    n = ++count[$1]; lines[$1, n] = $0
    if (!($1 in order)) { order[$1] = ++programs; name[programs] = $1 }
  }
  END {
    for (p = 1; p <= programs; ++p) {
      program = name[p]; total = count[program]; phase_count = 0
      for (i = total - keep + 1; i <= total; ++i) {
        split(lines[program, i], fields, " ")
        for (f = 2; f in fields; ++f) {
          split(fields[f], pair, "=")
          if (i == total - keep + 1) phase_name[++phase_count] = pair[1]
          values[pair[1], i - (total - keep)] = pair[2]
        }
      }
      printf "%-15s", program
      previous = 0
      for (k = 1; k <= phase_count; ++k) {
        m = 0
        for (i = 1; i <= keep; ++i) list[i] = values[phase_name[k], i] + 0
        for (i = 1; i <= keep; ++i) for (j = i + 1; j <= keep; ++j)
          if (list[j] < list[i]) { t = list[i]; list[i] = list[j]; list[j] = t }
        m = keep % 2 ? list[(keep + 1) / 2] : (list[keep / 2] + list[keep / 2 + 1]) / 2
        printf " %s=%.1f(+%.1f)", phase_name[k], m, m - previous
        if (program == "fennick" && phase_name[k] == "drawn") fennick_drawn = m
        if (program == "fennick" && phase_name[k] == "pages") fennick_pages = m
        previous = m
      }
      printf "\n"
    }
    printf "fennick fills its other pages in idle time: %.1f ms from the first draw to the last" \
      " page filled\n", fennick_pages - fennick_drawn
  }' "$phases"
echo "(each phase: median time at its end, and in brackets the difference of the medians with the" \
  "phase before)"
