#!/bin/bash
# Command-line cost: whole-process wall time of fennick's quick commands against two yardsticks,
# `git config -f FILE --get` and a minimal C program that reads the settings file and prints one
# value (linked statically: the floor of a process that reads a file; and dynamically, for
# information). Then the anatomy of fennick's start-up: dynamic loader, page faults, system calls.
# Prints its figures; not part of CI.
#
# Timing: a small C loop starts every command with posix_spawn (stdin and stdout on /dev/null),
# waits for it and reads the clock; the commands take turns, one run each per round, so a change
# of machine load hits them all alike. Medians are compared.
#
# Environment: FENNICK_BIN (a built program; otherwise it is built in build-bench/), RUNS (1000),
# WARMUP (20); EXTRA, other fennick programs to time beside it (`get` only), as blank-separated
# NAME=PATH pairs. EXPERIMENTS=1 also builds fennick with other compiler and linker options, in
# build-bench/exp-*, and times those builds side by side (a few minutes).
# HOME and the settings folder are temporary.
set -euo pipefail

root=$(cd "$(dirname "$0")/.." && pwd)
RUNS=${RUNS:-1000} WARMUP=${WARMUP:-20}

"$root/scripts/need-packages.sh" gcc libc6-dev git strace linux-perf
built_here=
if [ -z "${FENNICK_BIN:-}" ]; then
  "$root/scripts/need-packages.sh" g++ cmake ninja-build
  cmake -S "$root" -B "$root/build-bench" -G Ninja -DCMAKE_BUILD_TYPE=Release \
    -DFENNICK_TESTS=OFF >/dev/null
  ninja -C "$root/build-bench" fennick >/dev/null
  FENNICK_BIN=$root/build-bench/fennick
  built_here=1
fi

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
export HOME=$work/home FENNICK_DIR=$work/cfg XDG_CONFIG_HOME=$work/home/.config
export GIT_CONFIG_NOSYSTEM=1 LC_ALL=C
unset FENNICK_PREFIX
mkdir -p "$HOME"
cd "$work"

"$FENNICK_BIN" reset >/dev/null
ini=$FENNICK_DIR/fennick.ini
# git's reading of the same file: git takes neither "_" in a key nor the "\s" escape.
sed -e 's/\\s$//' -e '/^[a-z_]*=/{h;s/=.*//;y/_/-/;G;s/\n[^=]*//}' "$ini" >"$work/git.ini"
want=$("$FENNICK_BIN" get terminal.style)
[ "$(git config -f "$work/git.ini" --get terminal.style)" = "$want" ]
[ "$(git config -f "$work/git.ini" --list | wc -l)" = "$(grep -c '^[a-z_]*=' "$ini")" ]

# The floor: read the settings file, print the value of style= in [terminal].
cat >"$work/reader.c" <<'EOF'
#include <stdio.h>
#include <string.h>

int main(int argc, char **argv) {
  if (argc != 2) return 2;
  FILE *f = fopen(argv[1], "r");
  if (!f) return 1;
  char line[4096];
  int in_terminal = 0;
  while (fgets(line, sizeof line, f)) {
    line[strcspn(line, "\r\n")] = '\0';
    if (line[0] == '[') {
      in_terminal = strcmp(line, "[terminal]") == 0;
    } else if (in_terminal && strncmp(line, "style=", 6) == 0) {
      puts(line + 6);
      fclose(f);
      return 0;
    }
  }
  fclose(f);
  return 1;
}
EOF
gcc -O2 -static -o "$work/reader-static" "$work/reader.c"
gcc -O2 -o "$work/reader-dynamic" "$work/reader.c"
[ "$("$work/reader-static" "$ini")" = "$want" ]

# The timing loop. Usage: timer RUNS WARMUP LABEL PROGRAM ARGS... [:: LABEL PROGRAM ARGS...]...
# One line per command: label, median, minimum and 90th percentile in microseconds, median
# minor page faults.
cat >"$work/timer.c" <<'EOF'
#define _GNU_SOURCE
#include <fcntl.h>
#include <spawn.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <time.h>

extern char **environ;

struct command {
  const char *label;
  char **argv;
  double *micros;
  long *faults;
};

static int by_double(const void *a, const void *b) {
  double x = *(const double *)a, y = *(const double *)b;
  return (x > y) - (x < y);
}

static int by_long(const void *a, const void *b) {
  long x = *(const long *)a, y = *(const long *)b;
  return (x > y) - (x < y);
}

static double run_once(const struct command *c, long *faults) {
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
  posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
  struct timespec start, end;
  struct rusage usage;
  pid_t pid;
  int status;
  clock_gettime(CLOCK_MONOTONIC, &start);
  if (posix_spawn(&pid, c->argv[0], &actions, NULL, c->argv, environ) != 0) {
    fprintf(stderr, "cannot start %s\n", c->argv[0]);
    exit(1);
  }
  wait4(pid, &status, 0, &usage);
  clock_gettime(CLOCK_MONOTONIC, &end);
  posix_spawn_file_actions_destroy(&actions);
  if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) {
    fprintf(stderr, "%s failed (status %d)\n", c->label, status);
    exit(1);
  }
  *faults = usage.ru_minflt;
  return (end.tv_sec - start.tv_sec) * 1e6 + (end.tv_nsec - start.tv_nsec) / 1e3;
}

int main(int argc, char **argv) {
  if (argc < 5) return 2;
  int runs = atoi(argv[1]), warmup = atoi(argv[2]), n = 0;
  struct command commands[64];
  for (int i = 3; i < argc && n < 64; ++n) {
    commands[n].label = argv[i++];
    commands[n].argv = &argv[i];
    while (i < argc && strcmp(argv[i], "::") != 0) ++i;
    if (i < argc) argv[i++] = NULL;
    commands[n].micros = calloc(runs, sizeof(double));
    commands[n].faults = calloc(runs, sizeof(long));
  }
  long faults;
  for (int w = 0; w < warmup; ++w)
    for (int c = 0; c < n; ++c) run_once(&commands[c], &faults);
  for (int r = 0; r < runs; ++r)
    for (int k = 0; k < n; ++k) {
      struct command *c = &commands[(r + k) % n];
      c->micros[r] = run_once(c, &c->faults[r]);
    }
  for (int c = 0; c < n; ++c) {
    qsort(commands[c].micros, runs, sizeof(double), by_double);
    qsort(commands[c].faults, runs, sizeof(long), by_long);
    printf("%s\t%.1f\t%.1f\t%.1f\t%ld\n", commands[c].label, commands[c].micros[runs / 2],
           commands[c].micros[0], commands[c].micros[runs * 9 / 10], commands[c].faults[runs / 2]);
  }
  return 0;
}
EOF
gcc -O2 -Wall -o "$work/timer" "$work/timer.c"

git_bin=$(command -v git)
fk=$(realpath "$FENNICK_BIN")
echo "fennick command-line benchmark: $RUNS runs of each command, taking turns, $WARMUP warm-up"
echo "fennick: $fk ($(stat -c %s "$fk") bytes; needs $(readelf -d "$fk" |
  sed -n 's/.*(NEEDED).*\[\(.*\)\]/\1/p' | tr '\n' ' '))"
echo "$(git --version); $(gcc --version | head -n1); $(ldd --version | head -n1)"
echo "machine: $(nproc) cores, load average $(cut -d' ' -f1-3 /proc/loadavg)"
echo

# Prints the timer's lines as a table with ratios to the two yardsticks (labels "git config"
# and "C static").
table() {
  awk -F'\t' '{ label[NR] = $1; med[NR] = $2; min[NR] = $3; p90[NR] = $4; flt[NR] = $5
                if ($1 == "git config") git = $2; if ($1 == "C static") floor = $2 }
    END {
      printf "%-28s %9s %9s %9s %7s %8s %9s\n", "command", "median", "min", "p90", "faults",
        "vs git", "vs C static"
      printf "%-28s %9s %9s %9s %7s %8s %9s\n", "", "(ms)", "(ms)", "(ms)", "", "", ""
      for (i = 1; i <= NR; ++i)
        printf "%-28s %9.3f %9.3f %9.3f %7d %8s %9s\n", label[i], med[i] / 1000, min[i] / 1000,
          p90[i] / 1000, flt[i], git ? sprintf("%.2fx", med[i] / git) : "-",
          floor ? sprintf("%.2fx", med[i] / floor) : "-"
    }'
}

extra_args=()
for pair in ${EXTRA:-}; do
  extra_args+=("${pair%%=*} get" "$(realpath "${pair#*=}")" get terminal.style ::)
done
"$work/timer" "$RUNS" "$WARMUP" \
  "fennick get" "$fk" get terminal.style :: \
  "fennick list" "$fk" list :: \
  "fennick css" "$fk" css :: \
  "fennick prompt" "$fk" prompt :: \
  "${extra_args[@]}" \
  "git config" "$git_bin" config -f "$work/git.ini" --get terminal.style :: \
  "C static" "$work/reader-static" "$ini" :: \
  "C dynamic" "$work/reader-dynamic" "$ini" >"$work/times.tsv"
table <"$work/times.tsv"
echo
awk -F'\t' '{ t[$1] = $2; m[$1] = $3 }
  END {
    split("fennick get,fennick list,fennick css,fennick prompt", names, ",")
    for (i = 1; i <= 4; ++i) if (t[names[i]] >= worst) { worst = t[names[i]]; which = names[i] }
    for (i = 1; i <= 4; ++i) if (m[names[i]] >= least) least = m[names[i]]
    printf "goal: get, list, css and prompt no slower than git config: %s (slowest median, %s: %.2fx; on minimums %.2fx)\n",
      worst <= t["git config"] ? "met" : "NOT met", which, worst / t["git config"],
      least / m["git config"]
    printf "goal: within 1.5x of the static C floor: %s (%.2fx; on minimums %.2fx)\n",
      worst <= 1.5 * t["C static"] ? "met" : "NOT met", worst / t["C static"],
      least / m["C static"]
    printf "for information, the dynamically linked C program is %.2fx the static one\n",
      t["C dynamic"] / t["C static"]
  }' "$work/times.tsv"
echo
echo "== Start-up anatomy of 'fennick get terminal.style' (against the dynamic C program)"
stats() {
  LD_DEBUG=statistics "$@" 2>&1 >/dev/null |
    awk '/total startup time/ { c = $(NF - 1) } /time needed for relocation/ { r = $(NF - 2) }
         /final number of relocations:/ { n = $NF } /number of relative relocations/ { rr = $NF }
         END { printf "%s cycles in the loader (%s relocating); %s symbol and %s relative relocations",
               c, r, n, rr }'
}
echo "dynamic loader, fennick:   $(stats "$fk" get terminal.style)"
echo "dynamic loader, C dynamic: $(stats "$work/reader-dynamic" "$ini")"
syscalls() {
  strace -f -c -o "$work/strace.txt" "$@" >/dev/null 2>&1
  awk '$NF == "total" { print $4 }' "$work/strace.txt"
}
echo "system calls: fennick $(syscalls "$fk" get terminal.style), C dynamic \
$(syscalls "$work/reader-dynamic" "$ini"), C static $(syscalls "$work/reader-static" "$ini")"
# Page faults by what was touched: the program, each library, anonymous memory (heap, .bss,
# TLS), the stack.
faults_by_mapping() {
  perf record -q -e page-faults -c 1 -d -o "$work/perf.data" "$@" >/dev/null 2>&1 || return 1
  perf script -i "$work/perf.data" -F addr,dso 2>/dev/null |
    awk -v prog="$1" '{ d = $2; gsub(/[()]/, "", d)
        if (d == prog) d = "program"; else if (d == "//anon" || d == "[heap]") d = "anonymous"
        else if (d ~ /\/libc\.so/) d = "libc"; else if (d ~ /\/libm\.so/) d = "libm"
        else if (d ~ /\/ld-linux/) d = "ld.so"; else if (d == "[stack]") d = "stack"
        else d = "other"
        n[d]++; total++ }
      END { printf "%d:", total; split("program ld.so libc libm anonymous stack other", order, " ")
            for (i = 1; i <= 7; ++i) if (order[i] in n) printf " %s %d", order[i], n[order[i]]
            print "" }'
}
if faults_by_mapping "$fk" get terminal.style >/dev/null; then
  echo "page faults, fennick:   $(faults_by_mapping "$fk" get terminal.style)"
  echo "page faults, C dynamic: $(faults_by_mapping "$work/reader-dynamic" "$ini")"
  echo "page faults, C static:  $(faults_by_mapping "$work/reader-static" "$ini")"
else
  echo "page faults by mapping: perf record is not available here"
fi
# Where the processor time of a run goes, from perf's cpu-clock samples over many runs (from the
# exec on; the process creation before it is counted to the timing loop).
time_by_part() {  # program args...: share of samples by part
  local program=$1 comm
  comm=$(basename "$program" | cut -c1-15)
  perf record -q -e cpu-clock -c 10000 -o "$work/cpu.data" \
    "$work/timer" 500 0 x "$@" >/dev/null 2>&1 || return 1
  perf report -i "$work/cpu.data" --sort comm,dso --stdio 2>/dev/null |
    awk -v comm="$comm" -v prog="$(basename "$program")" '/^ +[0-9.]+%/ && $2 == comm {
        p = $1; sub(/%/, "", p); d = $3
        if (d == prog) d = "program"; else if (d ~ /kernel/) d = "kernel"
        else if (d ~ /^libc\.so/) d = "libc"; else if (d ~ /^libm\.so/) d = "libm"
        else if (d ~ /^ld-linux/) d = "ld.so"; else d = "other"
        n[d] += p; total += p }
      END { split("kernel ld.so libc libm program other", order, " ")
            for (i = 1; i <= 6; ++i) if (order[i] in n) printf " %s %.0f%%", order[i],
              100 * n[order[i]] / total
            print "" }'
}
if time_by_part "$fk" get terminal.style >/dev/null; then
  echo "processor time, fennick:  $(time_by_part "$fk" get terminal.style)"
  echo "processor time, C dynamic:$(time_by_part "$work/reader-dynamic" "$ini")"
fi
for program in "$fk get terminal.style" "$work/reader-dynamic $ini" "$work/reader-static $ini"; do
  # shellcheck disable=SC2086
  perf stat -r 300 -e task-clock $program 2>&1 >/dev/null |
    awk -v name="$(basename "${program%% *}")" '/task-clock/ { printf "processor time per run, %s: %s ms\n", name, $1 }'
done
awk -F'\t' '{ t[$1] = $2; f[$1] = $5 }
  END { if (f["C dynamic"] > f["C static"])
          printf "time per page fault, estimated from the two C programs: %.1f us\n",
            (t["C dynamic"] - t["C static"]) / (f["C dynamic"] - f["C static"]) }' "$work/times.tsv"

[ "${EXPERIMENTS:-0}" = 1 ] || exit 0
if [ -z "$built_here" ]; then
  echo "EXPERIMENTS=1 builds from the source tree; it ignores FENNICK_BIN" >&2
fi
echo
echo "== Build experiments: 'fennick get terminal.style' built with extra options"
# name|optimisation|compiler flags|linker flags|extra libraries; the optimisation replaces the
# Release build's -O3 when it is given.
# "static-libm": fegetround and fesetround, the only libm functions used (by the C++ library's
# floating-point to_chars/from_chars), taken from glibc's static libm so libm.so is not loaded.
libm_a=$(gcc -print-file-name=libm.a)
experiments=(
  "as-built||||"
  "O2|-O2|||"
  "no-pie||-fno-pie|-no-pie|"
  "norelro|||-Wl,-z,norelro|"
  "z-now|||-Wl,-z,now|"
  "noseparate-code|||-Wl,-z,noseparate-code|"
  "pack-relative-relocs|||-Wl,-z,pack-relative-relocs|"
  "O1-gnu-hash|||-Wl,-O1 -Wl,--hash-style=gnu|"
  "fno-plt||-fno-plt||"
  "gc-sections||-ffunction-sections -fdata-sections|-Wl,--gc-sections|"
  "static-libm|||-Wl,--as-needed -Wl,-u,fegetround -Wl,-u,fesetround|$libm_a"
  "static-libm+no-pie||-fno-pie|-no-pie -Wl,--as-needed -Wl,-u,fegetround -Wl,-u,fesetround|$libm_a"
)
timer_args=()
for e in "${experiments[@]}"; do
  IFS='|' read -r name opt cflags lflags libs <<<"$e"
  dir=$root/build-bench/exp-$name
  cmake -S "$root" -B "$dir" -G Ninja -DCMAKE_BUILD_TYPE=Release -DFENNICK_TESTS=OFF \
    "-DCMAKE_CXX_FLAGS_RELEASE=${opt:--O3} -DNDEBUG" \
    "-DCMAKE_CXX_FLAGS=$cflags" "-DCMAKE_EXE_LINKER_FLAGS=$lflags" \
    "-DCMAKE_CXX_STANDARD_LIBRARIES=$libs" >/dev/null
  ninja -C "$dir" fennick >/dev/null
  timer_args+=("$name" "$dir/fennick" get terminal.style ::)
done
"$work/timer" "$RUNS" "$WARMUP" "${timer_args[@]}" \
  "C static" "$work/reader-static" "$ini" :: \
  "C dynamic" "$work/reader-dynamic" "$ini" >"$work/experiments.tsv"
awk -F'\t' 'NR == FNR { if ($1 == "as-built") base = $2; next }
  { printf "%s\t%s\t%s\t%s\t%s\t%+.1f%%\n", $1, $2, $3, $4, $5, 100 * ($2 - base) / base }' \
  "$work/experiments.tsv" "$work/experiments.tsv" |
  awk -F'\t' 'BEGIN { printf "%-20s %9s %9s %9s %7s %12s\n", "build", "median", "min", "p90",
                        "faults", "vs as-built"
                      printf "%-20s %9s %9s %9s %7s %12s\n", "", "(ms)", "(ms)", "(ms)", "", "" }
    { printf "%-20s %9.3f %9.3f %9.3f %7d %12s\n", $1, $2 / 1000, $3 / 1000, $4 / 1000, $5, $6 }'
for e in "${experiments[@]}"; do
  IFS='|' read -r name _ <<<"$e"
  printf '%s: %s bytes, needs %s\n' "$name" "$(stat -c %s "$root/build-bench/exp-$name/fennick")" \
    "$(readelf -d "$root/build-bench/exp-$name/fennick" | sed -n 's/.*(NEEDED).*\[\(.*\)\]/\1/p' |
      tr '\n' ' ')"
done
