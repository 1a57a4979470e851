#include "integrate/outside_programs.h"

#include <errno.h>
#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <string.h>
#include <sys/wait.h>
#include <unistd.h>

#include "settings/ascii_text.h"

extern char** environ;

namespace {

std::vector<char*> argv_of(std::vector<std::string>& words) {
  std::vector<char*> argv;
  for (std::string& word : words)
    argv.push_back(word.data());
  argv.push_back(nullptr);
  return argv;
}

int wait_for(pid_t pid) {
  int status = 0;
  while (waitpid(pid, &status, 0) < 0) {
    if (errno != EINTR) return -1;
  }
  return status;
}

RunOutcome ended_with(int status, RunOutcome outcome) {
  outcome.status = status;
  outcome.ok = status != -1 && WIFEXITED(status) && WEXITSTATUS(status) == 0;
  return outcome;
}

RunOutcome not_started(const std::string& program, int error) {
  RunOutcome outcome;
  outcome.errors = "cannot run " + program + ": " + strerror(error) + "\n";
  return outcome;
}

// Reads both pipes to their ends at once, so that a child with much to say on either never
// blocks on the other; closes them.
void drain(int out_fd, int err_fd, std::string& out, std::string& err) {
  pollfd fds[2] = {{out_fd, POLLIN, 0}, {err_fd, POLLIN, 0}};
  std::string* sinks[2] = {&out, &err};
  int open_count = 2;
  while (open_count > 0) {
    if (poll(fds, 2, -1) < 0) {
      if (errno == EINTR) continue;
      break;
    }
    for (int i = 0; i < 2; ++i) {
      if (fds[i].fd < 0 || !(fds[i].revents & (POLLIN | POLLHUP | POLLERR))) continue;
      char buffer[65536];
      const ssize_t got = read(fds[i].fd, buffer, sizeof buffer);
      if (got > 0) {
        sinks[i]->append(buffer, static_cast<size_t>(got));
      } else if (got == 0 || errno != EINTR) {
        close(fds[i].fd);
        fds[i].fd = -1;
        --open_count;
      }
    }
  }
  for (const pollfd& fd : fds) {
    if (fd.fd >= 0) close(fd.fd);
  }
}

}  // namespace

RunOutcome run_command(const std::string& program, const std::vector<std::string>& args) {
  int out[2];
  int err[2];
  if (pipe2(out, O_CLOEXEC) != 0) return not_started(program, errno);
  if (pipe2(err, O_CLOEXEC) != 0) {
    const int error = errno;
    close(out[0]);
    close(out[1]);
    return not_started(program, error);
  }

  std::vector<std::string> words{program};
  words.insert(words.end(), args.begin(), args.end());
  std::vector<char*> argv = argv_of(words);
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
  posix_spawn_file_actions_adddup2(&actions, out[1], 1);
  posix_spawn_file_actions_adddup2(&actions, err[1], 2);
  pid_t pid;
  const int spawned = posix_spawnp(&pid, program.c_str(), &actions, nullptr, argv.data(), environ);
  posix_spawn_file_actions_destroy(&actions);
  close(out[1]);
  close(err[1]);
  if (spawned != 0) {
    close(out[0]);
    close(err[0]);
    return not_started(program, spawned);
  }
  // Read to the end before waiting, so that the child never blocks on a full pipe.
  RunOutcome outcome;
  drain(out[0], err[0], outcome.output, outcome.errors);
  return ended_with(wait_for(pid), std::move(outcome));
}

RunOutcome run_shell(const std::string& command_line) {
  struct sigaction ignore = {}, old_interrupt, old_quit;
  ignore.sa_handler = SIG_IGN;
  sigemptyset(&ignore.sa_mask);
  sigaction(SIGINT, &ignore, &old_interrupt);
  sigaction(SIGQUIT, &ignore, &old_quit);
  sigset_t child_exit, old_mask;
  sigemptyset(&child_exit);
  sigaddset(&child_exit, SIGCHLD);
  sigprocmask(SIG_BLOCK, &child_exit, &old_mask);

  // The shell itself gets the default handling and mask back.
  posix_spawnattr_t attributes;
  posix_spawnattr_init(&attributes);
  sigset_t defaults;
  sigemptyset(&defaults);
  sigaddset(&defaults, SIGINT);
  sigaddset(&defaults, SIGQUIT);
  posix_spawnattr_setsigdefault(&attributes, &defaults);
  posix_spawnattr_setsigmask(&attributes, &old_mask);
  posix_spawnattr_setflags(&attributes, POSIX_SPAWN_SETSIGDEF | POSIX_SPAWN_SETSIGMASK);
  std::vector<std::string> words{"sh", "-c", command_line};
  std::vector<char*> argv = argv_of(words);
  pid_t pid;
  const int spawned = posix_spawn(&pid, "/bin/sh", nullptr, &attributes, argv.data(), environ);
  const RunOutcome outcome =
      spawned == 0 ? ended_with(wait_for(pid), RunOutcome{}) : not_started("/bin/sh", spawned);
  posix_spawnattr_destroy(&attributes);

  sigprocmask(SIG_SETMASK, &old_mask, nullptr);
  sigaction(SIGINT, &old_interrupt, nullptr);
  sigaction(SIGQUIT, &old_quit, nullptr);
  return outcome;
}

std::string failure_reason(const RunOutcome& outcome) {
  const std::string_view errors = trimmed_view(outcome.errors);
  const size_t line_end = errors.find_last_of("\n\r");
  const std::string last_line =
      trimmed(line_end == std::string_view::npos ? errors : errors.substr(line_end + 1));
  if (!last_line.empty()) return last_line;
  if (outcome.status == -1) return "it could not be started";
  if (WIFSIGNALED(outcome.status))
    return "killed by signal " + std::to_string(WTERMSIG(outcome.status));
  return "exit status " + std::to_string(WEXITSTATUS(outcome.status));
}

pid_t start_program(const std::string& path, const std::vector<std::string>& args) {
  std::vector<std::string> words{path};
  words.insert(words.end(), args.begin(), args.end());
  std::vector<char*> argv = argv_of(words);
  pid_t pid;
  return posix_spawn(&pid, path.c_str(), nullptr, nullptr, argv.data(), environ) == 0 ? pid : 0;
}

bool has_ended(pid_t pid) {
  int status;
  pid_t result;
  while ((result = waitpid(pid, &status, WNOHANG)) < 0 && errno == EINTR) {
  }
  return result != 0;  // collected now, or not ours (any more)
}

void start_detached_shell(const std::string& command_line) {
  std::vector<std::string> words{"sh", "-c", command_line};
  std::vector<char*> argv = argv_of(words);
  // One go-between, and the shell as its child: the go-between ends at once and is collected
  // here at once, and the shell, orphaned, is adopted by init, which collects it and whatever it
  // execs (a restarted Nemo) whenever they end. A single child would be simpler, but the
  // settings window lives on after a restart and would keep a zombie once that Nemo quits;
  // ignoring SIGCHLD instead would be process-wide and rob run_command of its exit statuses.
  // The shell makes its own session (it is no group leader, so setsid cannot fail), so no
  // setsid program, background job or second shell is needed. Only async-signal-safe calls
  // follow the forks: the settings window has threads.
  const pid_t between = fork();
  if (between == 0) {
    if (fork() == 0) {
      setsid();
      const int nothing = open("/dev/null", O_RDWR);
      if (nothing >= 0) {
        dup2(nothing, 0);
        dup2(nothing, 1);
        dup2(nothing, 2);
        if (nothing > 2) close(nothing);
      }
      execve("/bin/sh", argv.data(), environ);
      _exit(127);
    }
    _exit(0);
  }
  if (between > 0) wait_for(between);
}
