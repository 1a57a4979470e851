// A stand-in for the tuned Nemo in tests. It writes one line about how it was started to the file
// named by FENNICK_STAND_IN_LOG:
//   started <ms since the epoch> pid=<pid> sid=<session> exe=<executable> args=<args, blank-joined>
// With -q it ends at once (like asking every Nemo to quit); otherwise it stays running for
// FENNICK_STAND_IN_SECONDS seconds (30 by default; 0 ends at once) or until it is terminated.
#include <fcntl.h>
#include <limits.h>
#include <signal.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <string>

int main(int argc, char** argv) {
  const char* log = std::getenv("FENNICK_STAND_IN_LOG");
  if (log && *log) {
    char exe[PATH_MAX] = "";
    ssize_t length = readlink("/proc/self/exe", exe, sizeof exe - 1);
    if (length > 0) exe[length] = '\0';
    const auto now = std::chrono::system_clock::now().time_since_epoch();
    std::string line =
        "started " +
        std::to_string(std::chrono::duration_cast<std::chrono::milliseconds>(now).count()) +
        " pid=" + std::to_string(getpid()) + " sid=" + std::to_string(getsid(0)) + " exe=" + exe +
        " args=";
    for (int i = 1; i < argc; ++i)
      line += std::string(i > 1 ? " " : "") + argv[i];
    line += "\n";
    int fd = open(log, O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC, 0644);
    if (fd >= 0) {
      ssize_t written = write(fd, line.data(), line.size());
      (void)written;
      close(fd);
    }
  }
  if (argc > 1 && std::string(argv[1]) == "-q") return 0;
  const char* seconds = std::getenv("FENNICK_STAND_IN_SECONDS");
  unsigned left = seconds && *seconds ? static_cast<unsigned>(std::atoi(seconds)) : 30;
  while (left > 0)
    left = sleep(left);
  return 0;
}
