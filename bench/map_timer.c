/* Time from exec to the mapped (and to the first painted) top-level window of X programs.
 *
 * Usage: map_timer RUNS WARMUP LABEL TITLE [NAME=VALUE...] PROGRAM ARGS... [:: LABEL TITLE ...]...
 *
 * For every run of every program, in turns (one run of each per round, WARMUP rounds first that
 * are not counted): the clock is read, the program is forked and executed (with the NAME=VALUE
 * pairs added to its environment), and the root window's SubstructureNotify events are watched.
 * Every top-level created after the start gets a Damage object at once; the MapNotify of the
 * top-level whose WM_NAME is TITLE is the "map" time, the first damage on that window after it
 * the "paint" time (what was drawn first). The window is then asked to close (WM_DELETE_WINDOW)
 * and the program is waited for; one that takes longer than 10 s is killed. With "-" as TITLE the
 * program opens no window: its time is the time until it has ended ("map" column; no paint).
 * Programs run with standard input and output on /dev/null, and with BENCH_SPAWN_NS set to the
 * start time (CLOCK_MONOTONIC, nanoseconds), for programs that note their own phases.
 *
 * Prints one line per program: label, then median, minimum and 90th percentile of the map time
 * and the same of the paint time, in milliseconds, the median CPU time of the whole run (user and
 * system, from wait4, in milliseconds), and how many runs saw no paint within 5 s of the map
 * (those count as 1e9 ms). A run without a map within 30 s fails all. With MAP_TIMER_RAW=FILE
 * every counted run is also written to FILE: round, program number, map, paint, CPU.
 */
#define _GNU_SOURCE
#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/extensions/Xdamage.h>
#include <errno.h>
#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <sys/resource.h>
#include <sys/time.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>

struct program {
  const char* label;
  const char* title;
  char** env;  /* NAME=VALUE pairs, null-terminated */
  char** argv; /* null-terminated */
  double* map_ms;
  double* paint_ms;
  double* cpu_ms;
};

static double now_ms(void) {
  struct timespec t;
  clock_gettime(CLOCK_MONOTONIC, &t);
  return t.tv_sec * 1e3 + t.tv_nsec / 1e6;
}

/* Windows vanish between an event and a request about them: such errors are expected. */
static int ignore_error(Display* display, XErrorEvent* error) {
  (void)display;
  (void)error;
  return 0;
}

static int compare(const void* a, const void* b) {
  double x = *(const double*)a, y = *(const double*)b;
  return x < y ? -1 : x > y;
}

static void summary(double* values, int n, double* median, double* minimum, double* p90) {
  qsort(values, (size_t)n, sizeof *values, compare);
  *median = n % 2 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2;
  *minimum = values[0];
  int index = (int)(0.9 * n + 0.999999) - 1;
  *p90 = values[index < 0 ? 0 : index];
}

static int has_title(Display* display, Window window, const char* title) {
  char* name = NULL;
  int same = 0;
  if (XFetchName(display, window, &name) && name) {
    same = strcmp(name, title) == 0;
    XFree(name);
  }
  return same;
}

static double cpu_ms(const struct rusage* usage) {
  return (usage->ru_utime.tv_sec + usage->ru_stime.tv_sec) * 1e3 +
         (usage->ru_utime.tv_usec + usage->ru_stime.tv_usec) / 1e3;
}

/* The CPU time the program used over its whole run, in milliseconds. */
static double wait_or_kill(pid_t pid) {
  double deadline = now_ms() + 10000;
  struct rusage usage;
  for (;;) {
    int status;
    pid_t done = wait4(pid, &status, WNOHANG, &usage);
    if (done == pid) return cpu_ms(&usage);
    if (done < 0 && errno != EINTR) return -1;
    if (now_ms() > deadline) {
      fprintf(stderr, "map_timer: pid %d did not close; killed\n", (int)pid);
      kill(pid, SIGKILL);
      wait4(pid, &status, 0, &usage);
      return cpu_ms(&usage);
    }
    usleep(1000);
  }
}

static void drain(Display* display) {
  XSync(display, False);
  while (XPending(display)) {
    XEvent event;
    XNextEvent(display, &event);
  }
}

/* One run: 0 on success with the two times filled. */
static int run_once(Display* display, int damage_event, struct program* program, double* map_ms,
                    double* paint_ms, double* cpu) {
  drain(display);
  Atom protocols = XInternAtom(display, "WM_PROTOCOLS", False);
  Atom delete_window = XInternAtom(display, "WM_DELETE_WINDOW", False);
  double start = now_ms();
  pid_t pid = fork();
  if (pid < 0) return -1;
  if (pid == 0) {
    int null = open("/dev/null", O_RDWR);
    dup2(null, 0);
    dup2(null, 1);
    for (char** pair = program->env; *pair; ++pair)
      putenv(*pair);
    char spawn[32];
    snprintf(spawn, sizeof spawn, "%.0f", start * 1e6);
    setenv("BENCH_SPAWN_NS", spawn, 1);
    execvp(program->argv[0], program->argv);
    _exit(127);
  }
  Window target = None;
  *map_ms = -1;
  *paint_ms = -1;
  if (strcmp(program->title, "-") == 0) {
    int status;
    struct rusage usage;
    while (wait4(pid, &status, 0, &usage) < 0 && errno == EINTR)
      continue;
    *map_ms = now_ms() - start;
    *cpu = cpu_ms(&usage);
    return 0;
  }
  int fd = ConnectionNumber(display);
  double deadline = start + 30000;
  while (*paint_ms < 0) {
    double left = (*map_ms < 0 ? deadline : start + *map_ms + 5000) - now_ms();
    if (left <= 0) break;
    if (!XPending(display)) {
      struct pollfd ready = {fd, POLLIN, 0};
      poll(&ready, 1, left > 50 ? 50 : (int)left + 1);
      int status;
      if (*map_ms < 0 && waitpid(pid, &status, WNOHANG) == pid) {
        fprintf(stderr, "map_timer: %s ended before its window was mapped (status %d)\n",
                program->label, status);
        return -1;
      }
      continue;
    }
    XEvent event;
    XNextEvent(display, &event);
    double t = now_ms() - start;
    if (event.type == CreateNotify) {
      XDamageCreate(display, event.xcreatewindow.window, XDamageReportNonEmpty);
      XFlush(display);
    } else if (event.type == MapNotify && target == None && !event.xmap.override_redirect &&
               has_title(display, event.xmap.window, program->title)) {
      target = event.xmap.window;
      *map_ms = t;
    } else if (event.type == damage_event + XDamageNotify) {
      XDamageNotifyEvent* damage = (XDamageNotifyEvent*)&event;
      if (target != None && damage->drawable == target) *paint_ms = t;
    }
  }
  if (target != None) {
    XEvent message;
    memset(&message, 0, sizeof message);
    message.xclient.type = ClientMessage;
    message.xclient.window = target;
    message.xclient.message_type = protocols;
    message.xclient.format = 32;
    message.xclient.data.l[0] = (long)delete_window;
    message.xclient.data.l[1] = CurrentTime;
    XSendEvent(display, target, False, NoEventMask, &message);
    XFlush(display);
  } else {
    kill(pid, SIGTERM);
  }
  *cpu = wait_or_kill(pid);
  if (*map_ms < 0) {
    fprintf(stderr, "map_timer: no window titled \"%s\" from %s\n", program->title, program->label);
    return -1;
  }
  return 0;
}

int main(int argc, char** argv) {
  if (argc < 7) {
    fprintf(stderr,
            "usage: map_timer RUNS WARMUP LABEL TITLE [NAME=VALUE...] PROGRAM ARGS... "
            "[:: LABEL TITLE ...]...\n");
    return 2;
  }
  int runs = atoi(argv[1]), warmup = atoi(argv[2]);
  struct program programs[16];
  int count = 0;
  for (int i = 3; i < argc && count < 16;) {
    struct program* p = &programs[count++];
    p->label = argv[i++];
    p->title = argv[i++];
    int end = i;
    while (end < argc && strcmp(argv[end], "::") != 0)
      ++end;
    p->env = calloc((size_t)(end - i + 1), sizeof(char*));
    int pairs = 0;
    while (i < end && strchr(argv[i], '=') && argv[i][0] != '/')
      p->env[pairs++] = argv[i++];
    p->argv = calloc((size_t)(end - i + 1), sizeof(char*));
    for (int k = 0; i < end; ++k)
      p->argv[k] = argv[i++];
    if (!p->argv[0]) {
      fprintf(stderr, "map_timer: no program for %s\n", p->label);
      return 2;
    }
    p->map_ms = calloc((size_t)runs, sizeof(double));
    p->paint_ms = calloc((size_t)runs, sizeof(double));
    p->cpu_ms = calloc((size_t)runs, sizeof(double));
    i = end + 1;
  }

  Display* display = XOpenDisplay(NULL);
  if (!display) {
    fprintf(stderr, "map_timer: cannot open the display\n");
    return 1;
  }
  XSetErrorHandler(ignore_error);
  int damage_event, damage_error;
  if (!XDamageQueryExtension(display, &damage_event, &damage_error)) {
    fprintf(stderr, "map_timer: the X server has no DAMAGE extension\n");
    return 1;
  }
  XSelectInput(display, DefaultRootWindow(display), SubstructureNotifyMask);

  FILE* raw = getenv("MAP_TIMER_RAW") ? fopen(getenv("MAP_TIMER_RAW"), "w") : NULL;
  int lost_paint[16] = {0};
  for (int round = 0; round < warmup + runs; ++round) {
    for (int k = 0; k < count; ++k) {
      double map_ms, paint_ms, cpu;
      if (run_once(display, damage_event, &programs[k], &map_ms, &paint_ms, &cpu) != 0) return 1;
      if (round >= warmup) {
        programs[k].map_ms[round - warmup] = map_ms;
        programs[k].cpu_ms[round - warmup] = cpu;
        if (strcmp(programs[k].title, "-") == 0) paint_ms = 0;
        programs[k].paint_ms[round - warmup] = paint_ms < 0 ? 1e9 : paint_ms;
        if (paint_ms < 0) ++lost_paint[k];
        if (raw) fprintf(raw, "%d %d %.1f %.1f %.1f\n", round - warmup, k, map_ms, paint_ms, cpu);
      }
      usleep(20000); /* let the server settle after the close */
    }
  }
  for (int k = 0; k < count; ++k) {
    double map_median, map_min, map_p90, paint_median, paint_min, paint_p90, cpu_median, cpu_min,
        cpu_p90;
    summary(programs[k].map_ms, runs, &map_median, &map_min, &map_p90);
    summary(programs[k].paint_ms, runs, &paint_median, &paint_min, &paint_p90);
    summary(programs[k].cpu_ms, runs, &cpu_median, &cpu_min, &cpu_p90);
    if (strcmp(programs[k].title, "-") == 0) {
      printf("%s %.1f %.1f %.1f - - - %.1f 0\n", programs[k].label, map_median, map_min, map_p90,
             cpu_median);
    } else {
      printf("%s %.1f %.1f %.1f %.1f %.1f %.1f %.1f %d\n", programs[k].label, map_median, map_min,
             map_p90, paint_median, paint_min, paint_p90, cpu_median, lost_paint[k]);
    }
  }
  XCloseDisplay(display);
  return 0;
}
