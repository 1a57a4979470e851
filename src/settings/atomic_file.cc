#include "settings/atomic_file.h"

#include <errno.h>
#include <fcntl.h>
#include <limits.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstring>

#include "settings/failure.h"

namespace {

const int kMaxLinkHops = 40;

std::string directory_of(const std::string& path) {
  size_t slash = path.rfind('/');
  if (slash == std::string::npos) return "";
  return slash == 0 ? "/" : path.substr(0, slash);
}

// Follows a chain of symbolic links to the file it ends at (which need not exist yet), so that
// a linked dotfile is updated in place instead of being replaced by a regular file.
std::string final_target(const std::string& path) {
  std::string current = path;
  for (int hop = 0; hop < kMaxLinkHops; ++hop) {
    char buffer[PATH_MAX];
    ssize_t length = readlink(current.c_str(), buffer, sizeof buffer);
    if (length < 0) return current;
    std::string link(buffer, static_cast<size_t>(length));
    if (link[0] == '/') {
      current = link;
    } else {
      size_t slash = current.rfind('/');
      current = (slash == std::string::npos ? "" : current.substr(0, slash + 1)) + link;
    }
  }
  fail("cannot write " + path);
}

bool write_all(int fd, const std::string& text) {
  const char* data = text.data();
  size_t left = text.size();
  while (left > 0) {
    ssize_t written = write(fd, data, left);
    if (written < 0) {
      if (errno == EINTR) continue;
      return false;
    }
    data += written;
    left -= static_cast<size_t>(written);
  }
  return true;
}

void sync_directory(const std::string& dir) {
  int fd = open(dir.empty() ? "." : dir.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd < 0) return;
  fsync(fd);
  close(fd);
}

}  // namespace

void make_directories(const std::string& dir) {
  if (dir.empty()) return;
  struct stat info;
  if (stat(dir.c_str(), &info) == 0) return;
  for (size_t slash = dir.find('/', 1);; slash = dir.find('/', slash + 1)) {
    std::string part = dir.substr(0, slash);
    if (!part.empty() && part.back() != '/') mkdir(part.c_str(), 0777);
    if (slash == std::string::npos) break;
  }
}

void write_file_atomic(const std::string& path, const std::string& text, int mode,
                       LinkAtPath links) {
  const std::string target = links == LinkAtPath::Follow ? final_target(path) : path;
  const std::string dir = directory_of(target);
  make_directories(dir);

  const std::string temporary = target + ".tmp" + std::to_string(getpid());
  // A leftover of that name, or a link planted there, is removed rather than followed.
  unlink(temporary.c_str());
  int fd = open(temporary.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0666);
  if (fd < 0) {
    fail("Unable to create file \"" + temporary + "\": " + std::strerror(errno));
  }

  struct stat old_file;
  if (mode < 0 && lstat(target.c_str(), &old_file) == 0 && S_ISREG(old_file.st_mode)) {
    mode = static_cast<int>(old_file.st_mode & 07777);
  }
  bool ok = (mode < 0 || fchmod(fd, static_cast<mode_t>(mode)) == 0) && write_all(fd, text) &&
            fsync(fd) == 0;
  ok = close(fd) == 0 && ok;
  if (!ok || rename(temporary.c_str(), target.c_str()) != 0) {
    unlink(temporary.c_str());
    fail("cannot write " + path);
  }
  sync_directory(dir);
}
