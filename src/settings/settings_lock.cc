#include "settings/settings_lock.h"

#include <errno.h>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <time.h>
#include <unistd.h>

#include <cstdio>
#include <cstring>
#include <string>

#include "settings/ascii_text.h"
#include "settings/atomic_file.h"
#include "settings/console.h"
#include "settings/failure.h"
#include "settings/file_reader.h"
#include "settings/locations.h"

namespace {

const int kPatienceSeconds = 30;
// Runs started together take turns within moments; only a longer wait is worth a word.
const double kQuietSeconds = 1;
const long kRetryNanoseconds = 50 * 1000 * 1000;

int lock_depth = 0;
int lock_fd = -1;
std::string made_dir;  // the settings folder when this lock made it

// A run that wrote nothing (a refused import) leaves no empty settings folder behind.
void remove_made_folder() {
  if (!made_dir.empty()) rmdir(made_dir.c_str());
  made_dir.clear();
}

double seconds_since(const timespec& start) {
  timespec now;
  clock_gettime(CLOCK_MONOTONIC, &now);
  return static_cast<double>(now.tv_sec - start.tv_sec) +
         static_cast<double>(now.tv_nsec - start.tv_nsec) / 1e9;
}

// Waits for the lock on fd that another process holds: tries again every 50 ms, says once that
// it waits when that takes longer than a moment, and gives up after 30 seconds.
bool wait_for_lock(int fd) {
  timespec start;
  clock_gettime(CLOCK_MONOTONIC, &start);
  bool said = false;
  while (seconds_since(start) < kPatienceSeconds) {
    const timespec pause = {0, kRetryNanoseconds};
    nanosleep(&pause, nullptr);
    if (flock(fd, LOCK_EX | LOCK_NB) == 0) return true;
    if (errno != EWOULDBLOCK && errno != EINTR) return false;
    if (!said && seconds_since(start) >= kQuietSeconds) {
      print_err("fennick: waiting for " + lock_holder_text() +
                " to finish changing the settings\n");
      said = true;
    }
  }
  return false;
}

}  // namespace

SettingsLock::SettingsLock(LockWait wait) {
  if (lock_depth > 0) {
    ++lock_depth;
    held = true;
    return;
  }
  const std::string dir = config_dir();
  struct stat info;
  if (stat(dir.c_str(), &info) != 0) {
    make_directories(dir);
    made_dir = dir;
  }
  // The lock is on the settings folder itself: no lock file is left beside the settings.
  const int fd = open(dir.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd < 0 && (errno == ENOENT || errno == ENOTDIR)) {
    // There is no folder to hold the settings: every write there fails with its own message.
    ++lock_depth;
    held = true;
    return;
  }
  if (fd < 0) {
    const int error = errno;
    remove_made_folder();
    fail("cannot lock the settings folder " + printable(dir) + " (" + std::strerror(error) +
         "); nothing was changed");
  }
  if (flock(fd, LOCK_EX | LOCK_NB) != 0) {
    const bool busy = errno == EWOULDBLOCK;
    const int error = errno;
    if (wait == LockWait::Never || (busy && !wait_for_lock(fd))) {
      const std::string holder = lock_holder_text();
      close(fd);
      remove_made_folder();
      if (wait == LockWait::Never) return;
      fail("gave up waiting for " + holder + " after " + std::to_string(kPatienceSeconds) +
           " seconds; nothing was changed");
    }
    if (!busy) {
      close(fd);
      remove_made_folder();
      fail("cannot lock the settings folder " + printable(dir) + " (" + std::strerror(error) +
           "); nothing was changed");
    }
  }
  lock_fd = fd;
  ++lock_depth;
  held = true;
}

SettingsLock::~SettingsLock() {
  if (!held || --lock_depth > 0) return;
  if (lock_fd >= 0) close(lock_fd);  // releases the lock
  lock_fd = -1;
  remove_made_folder();
}

std::string lock_holder_text() {
  struct stat folder;
  std::string locks;
  if (stat(config_dir().c_str(), &folder) != 0) return "another fennick";
  try {
    if (!read_whole_file("/proc/locks", locks)) return "another fennick";
  } catch (const std::runtime_error&) {
    return "another fennick";
  }
  char device[64];
  std::snprintf(device, sizeof device, " %02x:%02x:%llu ", major(folder.st_dev),
                minor(folder.st_dev), static_cast<unsigned long long>(folder.st_ino));
  // "1: FLOCK  ADVISORY  WRITE 4711 08:01:1234 0 EOF"; waiting ones read "1: -> FLOCK ...".
  size_t start = 0;
  while (start < locks.size()) {
    size_t end = locks.find('\n', start);
    if (end == std::string::npos) end = locks.size();
    const std::string line = locks.substr(start, end - start);
    start = end + 1;
    const size_t at = line.find(device);
    if (at == std::string::npos || line.find("FLOCK") == std::string::npos ||
        line.find("->") != std::string::npos) {
      continue;
    }
    const size_t pid_start = line.rfind(' ', at - 1);
    const std::string pid = line.substr(pid_start + 1, at - pid_start - 1);
    if (!pid.empty() && pid.find_first_not_of("0123456789") == std::string::npos &&
        std::stol(pid) != getpid()) {
      return "another fennick (process " + pid + ")";
    }
  }
  return "another fennick";
}
