#include "settings/settings_lock.h"

#include <errno.h>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <string>

#include "settings/atomic_file.h"
#include "settings/locations.h"

namespace {

int lock_depth = 0;
int lock_fd = -1;
std::string made_dir;  // the settings folder when this lock made it

}  // namespace

SettingsLock::SettingsLock() {
  if (lock_depth++ > 0) return;
  const std::string dir = config_dir();
  struct stat info;
  if (stat(dir.c_str(), &info) != 0) {
    make_directories(dir);
    made_dir = dir;
  }
  // The lock is on the settings folder itself: no lock file is left beside the settings.
  lock_fd = open(dir.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (lock_fd < 0) return;
  while (flock(lock_fd, LOCK_EX) != 0 && errno == EINTR) {
  }
}

SettingsLock::~SettingsLock() {
  if (--lock_depth > 0) return;
  if (lock_fd >= 0) close(lock_fd);  // releases the lock
  lock_fd = -1;
  // A run that wrote nothing (a refused import) leaves no empty settings folder behind.
  if (!made_dir.empty()) rmdir(made_dir.c_str());
  made_dir.clear();
}
