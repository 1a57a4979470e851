#include "integrate/outside_programs.h"

#include <errno.h>
#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

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

}  // namespace

CommandResult run_command(const std::string& program, const std::vector<std::string>& args) {
  CommandResult result{false, ""};
  int out[2];
  if (pipe2(out, O_CLOEXEC) != 0) return result;

  std::vector<std::string> words{program};
  words.insert(words.end(), args.begin(), args.end());
  std::vector<char*> argv = argv_of(words);
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
  posix_spawn_file_actions_adddup2(&actions, out[1], 1);
  posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
  pid_t pid;
  int spawned = posix_spawnp(&pid, program.c_str(), &actions, nullptr, argv.data(), environ);
  posix_spawn_file_actions_destroy(&actions);
  close(out[1]);
  if (spawned != 0) {
    close(out[0]);
    return result;
  }
  // Read to the end before waiting, so that a child with much to say never blocks on the pipe.
  char buffer[65536];
  for (;;) {
    ssize_t got = read(out[0], buffer, sizeof buffer);
    if (got > 0) {
      result.output.append(buffer, static_cast<size_t>(got));
    } else if (got == 0 || errno != EINTR) {
      break;
    }
  }
  close(out[0]);
  int status = wait_for(pid);
  result.ok = status != -1 && WIFEXITED(status) && WEXITSTATUS(status) == 0;
  return result;
}

int run_shell(const std::string& command_line) {
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
  int status = -1;
  if (posix_spawn(&pid, "/bin/sh", nullptr, &attributes, argv.data(), environ) == 0) {
    status = wait_for(pid);
  }
  posix_spawnattr_destroy(&attributes);

  sigprocmask(SIG_SETMASK, &old_mask, nullptr);
  sigaction(SIGINT, &old_interrupt, nullptr);
  sigaction(SIGQUIT, &old_quit, nullptr);
  return status;
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
  // A go-between starts the shell and ends at once; the shell is then adopted by init, and the
  // go-between, our only child, is collected here without delay.
  pid_t between = fork();
  if (between == 0) {
    pid_t shell = fork();
    if (shell == 0) {
      int nothing = open("/dev/null", O_RDONLY);
      if (nothing > 0) dup2(nothing, 0);
      execve("/bin/sh", argv.data(), environ);
      _exit(127);
    }
    _exit(shell < 0 ? 1 : 0);
  }
  if (between > 0) wait_for(between);
}
