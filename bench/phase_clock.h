/* Phase times of one start-up, for gui_startup.sh: when BENCH_PHASES_FILE is set, phase_mark
 * notes the milliseconds since the program was spawned (BENCH_SPAWN_NS, CLOCK_MONOTONIC, set by
 * map_timer) and phase_write appends "LABEL name=ms name=ms ..." as one line to that file.
 * Without BENCH_PHASES_FILE both do nothing. Plain C, for the C and the C++ programs alike. */
#ifndef FENNICK_BENCH_PHASE_CLOCK_H
#define FENNICK_BENCH_PHASE_CLOCK_H

#include <stdio.h>
#include <stdlib.h>
#include <time.h>

static struct {
  int on;
  double spawn_ms;
  int count;
  const char* names[16];
  double at_ms[16];
} phase_clock;

static double phase_now_ms(void) {
  struct timespec t;
  clock_gettime(CLOCK_MONOTONIC, &t);
  return (double)t.tv_sec * 1e3 + (double)t.tv_nsec / 1e6;
}

static void phase_mark(const char* name) {
  if (phase_clock.count == 0 && !phase_clock.on) {
    const char* spawn = getenv("BENCH_SPAWN_NS");
    phase_clock.on = getenv("BENCH_PHASES_FILE") != NULL && spawn != NULL;
    if (phase_clock.on) phase_clock.spawn_ms = strtod(spawn, NULL) / 1e6;
  }
  if (!phase_clock.on || phase_clock.count >= 16) return;
  phase_clock.names[phase_clock.count] = name;
  phase_clock.at_ms[phase_clock.count++] = phase_now_ms() - phase_clock.spawn_ms;
}

static void phase_write(const char* label) {
  if (!phase_clock.on) return;
  FILE* file = fopen(getenv("BENCH_PHASES_FILE"), "a");
  if (!file) return;
  fprintf(file, "%s", label);
  for (int i = 0; i < phase_clock.count; ++i)
    fprintf(file, " %s=%.2f", phase_clock.names[i], phase_clock.at_ms[i]);
  fprintf(file, "\n");
  fclose(file);
}

#endif
