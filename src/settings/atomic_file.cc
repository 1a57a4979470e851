#include "settings/atomic_file.h"

#include <dirent.h>
#include <errno.h>
#include <fcntl.h>
#include <limits.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstring>

#include "settings/failure.h"

namespace {

const int kMaxLinkHops = 40;
const char kTemporaryMark[] = ".tmp";

[[noreturn]] void fail_to_write(const std::string& path, int error) {
  fail("cannot write " + path + ": " + std::strerror(error));
}

std::string directory_of(const std::string& path) {
  size_t slash = path.rfind('/');
  if (slash == std::string::npos) return "";
  return slash == 0 ? "/" : path.substr(0, slash);
}

std::string name_of(const std::string& path) {
  size_t slash = path.rfind('/');
  return slash == std::string::npos ? path : path.substr(slash + 1);
}

// Follows a chain of symbolic links to the file it ends at (which need not exist yet), so that
// a linked dotfile is updated in place instead of being replaced by a regular file.
std::string final_target(const std::string& path) {
  std::string current = path;
  for (int hop = 0; hop < kMaxLinkHops; ++hop) {
    char buffer[PATH_MAX];
    ssize_t length = readlink(current.c_str(), buffer, sizeof buffer);
    if (length < 0) return current;
    if (static_cast<size_t>(length) == sizeof buffer) fail_to_write(path, ENAMETOOLONG);
    std::string link(buffer, static_cast<size_t>(length));
    if (link[0] == '/') {
      current = link;
    } else {
      size_t slash = current.rfind('/');
      current = (slash == std::string::npos ? "" : current.substr(0, slash + 1)) + link;
    }
  }
  fail_to_write(path, ELOOP);
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

// The process id in the name of a temporary file of ours for the file called name
// (name + ".tmp" + digits, as this writer makes them), or 0 when entry is no such name.
pid_t temporary_owner(const std::string& entry, const std::string& name) {
  const std::string prefix = name + kTemporaryMark;
  if (entry.size() <= prefix.size() || entry.compare(0, prefix.size(), prefix) != 0) return 0;
  const std::string digits = entry.substr(prefix.size());
  if (digits.size() > 9 || digits[0] == '0') return 0;
  for (char c : digits) {
    if (c < '0' || c > '9') return 0;
  }
  return static_cast<pid_t>(std::stol(digits));
}

// Temporary files of the same file that writers left when they were killed: each one whose
// process no longer exists is removed. Those of living processes may still be being written.
void remove_stale_temporaries(const std::string& dir, const std::string& name) {
  DIR* folder = opendir(dir.empty() ? "." : dir.c_str());
  if (folder == nullptr) return;
  const std::string prefix = dir.empty() ? "" : dir + "/";
  while (const dirent* entry = readdir(folder)) {
    const pid_t owner = temporary_owner(entry->d_name, name);
    if (owner <= 0 || owner == getpid()) continue;
    if (kill(owner, 0) != 0 && errno == ESRCH) unlink((prefix + entry->d_name).c_str());
  }
  closedir(folder);
}

// Writes text into the existing file itself, so that every other hard link to it sees the new
// text. Not atomic: the price of keeping the names together.
void write_in_place(const std::string& path, const std::string& target, const std::string& text,
                    int mode) {
  int fd = open(target.c_str(), O_WRONLY | O_TRUNC | O_NOFOLLOW | O_CLOEXEC);
  if (fd < 0) fail_to_write(path, errno);
  bool ok = (mode < 0 || fchmod(fd, static_cast<mode_t>(mode)) == 0) && write_all(fd, text) &&
            fsync(fd) == 0;
  const int error = errno;
  if (close(fd) != 0 && ok) fail_to_write(path, errno);
  if (!ok) fail_to_write(path, error);
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
  struct stat at_path;
  const bool is_link = lstat(path.c_str(), &at_path) == 0 && S_ISLNK(at_path.st_mode);
  const bool follow = is_link && links == LinkAtPath::Follow;
  const std::string target = follow ? final_target(path) : path;
  const std::string dir = directory_of(target);
  if (follow) {
    // The folders a link points into are the user's to make; a dangling one creates none.
    struct stat folder;
    if (!dir.empty() && stat(dir.c_str(), &folder) != 0) fail_to_write(path, errno);
  } else {
    make_directories(dir);
  }

  struct stat old_file;
  const bool replaces_file = lstat(target.c_str(), &old_file) == 0 && S_ISREG(old_file.st_mode);
  if (replaces_file && old_file.st_nlink > 1 && links == LinkAtPath::Follow) {
    write_in_place(path, target, text, mode);
    remove_stale_temporaries(dir, name_of(target));
    return;
  }

  const std::string temporary = target + kTemporaryMark + std::to_string(getpid());
  // A leftover of that name, or a link planted there, is removed rather than followed.
  unlink(temporary.c_str());
  int fd = open(temporary.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0666);
  if (fd < 0) fail_to_write(path, errno);

  if (mode < 0 && replaces_file) mode = static_cast<int>(old_file.st_mode & 07777);
  bool ok = true;
  // The owner first: changing it may clear the set-id bits that the mode then puts back. Only
  // root may give a file away (to an owner its namespace knows); anyone else stays the owner.
  struct stat fresh;
  if (replaces_file && fstat(fd, &fresh) == 0 &&
      (fresh.st_uid != old_file.st_uid || fresh.st_gid != old_file.st_gid) &&
      fchown(fd, old_file.st_uid, old_file.st_gid) != 0 && errno != EPERM && errno != EINVAL) {
    ok = false;
  }
  ok = ok && (mode < 0 || fchmod(fd, static_cast<mode_t>(mode)) == 0) && write_all(fd, text) &&
       fsync(fd) == 0;
  int error = errno;
  if (close(fd) != 0 && ok) {
    ok = false;
    error = errno;
  }
  if (ok && rename(temporary.c_str(), target.c_str()) != 0) {
    ok = false;
    error = errno;
  }
  if (!ok) {
    unlink(temporary.c_str());
    fail_to_write(path, error);
  }
  remove_stale_temporaries(dir, name_of(target));
  sync_directory(dir);
}
