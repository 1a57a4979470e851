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
#include "settings/file_reader.h"
#include "settings/locations.h"
#include "settings/path_names.h"

namespace {

const int kMaxLinkHops = 40;
// A temporary being written: NAME.tmpPID. A whole new text waiting to be copied into a
// hard-linked NAME: NAME.fennick-copyPID.
const char kTemporaryMark[] = ".tmp";
const char kCopyMark[] = ".fennick-copy";

[[noreturn]] void fail_to_write(const std::string& path, const std::string& reason) {
  fail("cannot write " + path + ": " + reason);
}

[[noreturn]] void fail_to_write(const std::string& path, int error) {
  fail_to_write(path, std::strerror(error));
}

std::string in_folder(const std::string& dir, const std::string& name) {
  return dir.empty() ? name : dir == "/" ? "/" + name : dir + "/" + name;
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

// Root making a file or folder in somebody's folder gives it to them, as the rest of the folder
// is theirs; anyone else cannot give files away and stays the owner.
bool owner_of_folder(const std::string& dir, struct stat& folder) {
  return geteuid() == 0 && stat(dir.empty() ? "." : dir.c_str(), &folder) == 0;
}

// The process id that a name of ours for the file called name carries after mark (name + mark +
// digits, as this writer makes them), or 0 when entry is no such name.
pid_t owner_in_name(const std::string& entry, const std::string& name, const char* mark) {
  const std::string prefix = name + mark;
  if (entry.size() <= prefix.size() || entry.compare(0, prefix.size(), prefix) != 0) return 0;
  const std::string digits = entry.substr(prefix.size());
  if (digits.size() > 9 || digits[0] == '0') return 0;
  for (char c : digits) {
    if (c < '0' || c > '9') return 0;
  }
  return static_cast<pid_t>(std::stol(digits));
}

bool has_ended(pid_t process) {
  return process != getpid() && kill(process, 0) != 0 && errno == ESRCH;
}

// A name of ours in a folder: the file it belongs to, the process that made it, and whether it
// is a whole copy waiting to go into a hard-linked file (or a temporary being written).
struct OwnName {
  std::string file;
  pid_t process = 0;
  bool copy = false;
};

// Reads entry as NAME.tmpPID or NAME.fennick-copyPID, NAME being the file called name or, when
// others is true, any file the program writes.
bool read_own_name(const std::string& entry, const std::string& name, bool others, OwnName& own) {
  for (const char* mark : {kTemporaryMark, kCopyMark}) {
    const size_t at = entry.rfind(mark);
    if (at == std::string::npos || at == 0) continue;
    const std::string file = entry.substr(0, at);
    if (file != name && !(others && is_program_file_name(file))) continue;
    const pid_t process = owner_in_name(entry, file, mark);
    if (process <= 0) continue;
    own = {file, process, mark == kCopyMark};
    return true;
  }
  return false;
}

// The names of ours in dir: those of the file called name, and with others those of every file
// the program writes.
std::vector<std::pair<std::string, OwnName>> own_names(const std::string& dir,
                                                       const std::string& name,
                                                       bool others = false) {
  std::vector<std::pair<std::string, OwnName>> found;
  DIR* folder = opendir(dir.empty() ? "." : dir.c_str());
  if (folder == nullptr) return found;
  while (const dirent* entry = readdir(folder)) {
    OwnName own;
    if (read_own_name(entry->d_name, name, others, own)) found.push_back({entry->d_name, own});
  }
  closedir(folder);
  return found;
}

// Writes text into the existing file itself, so that every other hard link to it sees the new
// text. The room for the text is taken first, so that a full disk stops before a byte changes;
// touched tells whether the file may have changed when it fails.
bool write_in_place(const std::string& target, const std::string& text, int mode, int& error,
                    bool& touched) {
  touched = false;
  int fd = open(target.c_str(), O_WRONLY | O_NOFOLLOW | O_CLOEXEC);
  if (fd < 0) {
    error = errno;
    return false;
  }
  bool ok = (mode < 0 || fchmod(fd, static_cast<mode_t>(mode)) == 0);
  if (ok && !text.empty() &&
      fallocate(fd, FALLOC_FL_KEEP_SIZE, 0, static_cast<off_t>(text.size())) != 0 &&
      errno != EOPNOTSUPP && errno != ENOSYS) {
    ok = false;
  }
  touched = ok;
  ok = ok && write_all(fd, text) && ftruncate(fd, static_cast<off_t>(text.size())) == 0 &&
       fsync(fd) == 0;
  error = errno;
  if (close(fd) != 0 && ok) {
    ok = false;
    error = errno;
  }
  return ok;
}

// The newest whole copy waiting for the hard-linked file at target, or "" when none waits.
std::string waiting_copy(const std::string& target, bool& writer_ended) {
  const std::string dir = directory_of(target);
  std::string newest;
  timespec newest_time = {0, 0};
  for (const auto& [entry, own] : own_names(dir, name_of(target))) {
    struct stat info;
    const std::string path = in_folder(dir, entry);
    if (!own.copy || lstat(path.c_str(), &info) != 0 || !S_ISREG(info.st_mode)) continue;
    if (newest.empty() || info.st_mtim.tv_sec > newest_time.tv_sec ||
        (info.st_mtim.tv_sec == newest_time.tv_sec && info.st_mtim.tv_nsec > newest_time.tv_nsec)) {
      newest = path;
      newest_time = info.st_mtim;
      writer_ended = has_ended(own.process);
    }
  }
  return newest;
}

// Puts the newest whole copy waiting beside the hard-linked file at target into it when the run
// that wrote the copy has ended, and removes the copies of ended runs then. Gives the copy's
// text; false when no copy waits.
bool finish_copy(const std::string& target, std::string& text) {
  bool writer_ended = false;
  const std::string copy = waiting_copy(target, writer_ended);
  // The copy is read as the regular file it must be, never through a link.
  struct stat info;
  if (copy.empty() || lstat(copy.c_str(), &info) != 0 || !S_ISREG(info.st_mode) ||
      !read_whole_file(copy, text)) {
    return false;
  }
  int error = 0;
  bool touched = false;
  if (writer_ended && write_in_place(target, text, -1, error, touched)) {
    const std::string dir = directory_of(target);
    for (const auto& [entry, own] : own_names(dir, name_of(target))) {
      if (own.copy && has_ended(own.process)) unlink(in_folder(dir, entry).c_str());
    }
  }
  return true;
}

// Removes what killed runs left in dir: temporaries of the file called name and of every other
// file the program writes there, and copies superseded by a write of name just done. A copy left
// for another file is put into that file first.
void remove_leftovers(const std::string& dir, const std::string& name) {
  for (const auto& [entry, own] : own_names(dir, name, true)) {
    if (!has_ended(own.process)) continue;
    if (own.copy && own.file != name) {
      std::string text;
      finish_copy(in_folder(dir, own.file), text);
      continue;
    }
    unlink(in_folder(dir, entry).c_str());
  }
}

// Makes the temporary beside target that becomes the new file: owner and group of the file it
// replaces (or of the folder, for a new file made by root), mode, the whole text on disk.
// Returns its name; on a failure it is gone and the write fails.
std::string write_temporary(const std::string& path, const std::string& target,
                            const std::string& text, int mode, const struct stat* old_file) {
  const std::string temporary = target + kTemporaryMark + std::to_string(getpid());
  // A leftover of that name, or a link planted there, is removed rather than followed.
  unlink(temporary.c_str());
  int fd = open(temporary.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0666);
  if (fd < 0) fail_to_write(path, errno);

  if (mode < 0 && old_file) mode = static_cast<int>(old_file->st_mode & 07777);
  bool ok = true;
  // The owner first: changing it may clear the set-id bits that the mode then puts back. Only
  // root may give a file away (to an owner its namespace knows); anyone else stays the owner.
  struct stat folder, fresh;
  const struct stat* owner = old_file;
  if (!owner && owner_of_folder(directory_of(target), folder)) owner = &folder;
  if (owner && fstat(fd, &fresh) == 0 &&
      (fresh.st_uid != owner->st_uid || fresh.st_gid != owner->st_gid) &&
      fchown(fd, owner->st_uid, owner->st_gid) != 0 && errno != EPERM && errno != EINVAL) {
    ok = false;
  }
  ok = ok && (mode < 0 || fchmod(fd, static_cast<mode_t>(mode)) == 0) && write_all(fd, text) &&
       fsync(fd) == 0;
  int error = errno;
  if (close(fd) != 0 && ok) {
    ok = false;
    error = errno;
  }
  if (!ok) {
    unlink(temporary.c_str());
    fail_to_write(path, error);
  }
  return temporary;
}

// The file at path that a write replaces, links followed as links says; fails for anything
// that must not be replaced. existing tells whether there is a file; target is where it lies.
struct Target {
  std::string path;
  bool exists = false;
  struct stat info {};
};

Target find_target(const std::string& path, LinkAtPath links) {
  struct stat at_path;
  const bool is_link = lstat(path.c_str(), &at_path) == 0 && S_ISLNK(at_path.st_mode);
  Target target;
  target.path = is_link && links == LinkAtPath::Follow ? final_target(path) : path;
  target.exists = lstat(target.path.c_str(), &target.info) == 0;
  if (target.exists && S_ISDIR(target.info.st_mode)) fail_to_write(path, EISDIR);
  if (target.exists && !S_ISREG(target.info.st_mode) && !S_ISLNK(target.info.st_mode)) {
    fail_to_write(path, "it is not a regular file, and fennick does not replace it");
  }
  return target;
}

void write_target(const std::string& path, const Target& target, const std::string& text, int mode,
                  LinkAtPath links) {
  const std::string dir = directory_of(target.path);
  const bool regular = target.exists && S_ISREG(target.info.st_mode);
  const std::string temporary =
      write_temporary(path, target.path, text, mode, regular ? &target.info : nullptr);

  int error = 0;
  if (regular && target.info.st_nlink > 1 && links == LinkAtPath::Follow) {
    // The whole text waits beside the file, under a name that says so, until the file holds it.
    const std::string copy = target.path + kCopyMark + std::to_string(getpid());
    if (rename(temporary.c_str(), copy.c_str()) != 0) {
      error = errno;
      unlink(temporary.c_str());
      fail_to_write(path, error);
    }
    bool touched = false;
    if (!write_in_place(target.path, text, mode, error, touched)) {
      // Untouched, the file keeps its whole old text; otherwise the copy is there to finish it.
      if (!touched) unlink(copy.c_str());
      fail_to_write(path, error);
    }
    unlink(copy.c_str());
  } else if (rename(temporary.c_str(), target.path.c_str()) != 0) {
    error = errno;
    unlink(temporary.c_str());
    fail_to_write(path, error);
  }
  remove_leftovers(dir, name_of(target.path));
  sync_directory(dir);
}

}  // namespace

void make_directories(const std::string& dir) {
  if (dir.empty()) return;
  struct stat info;
  if (stat(dir.c_str(), &info) == 0) return;
  for (size_t slash = dir.find('/', 1);; slash = dir.find('/', slash + 1)) {
    std::string part = dir.substr(0, slash);
    if (!part.empty() && part.back() != '/' && mkdir(part.c_str(), 0777) == 0 &&
        owner_of_folder(directory_of(part), info)) {
      // Not through a link put in its place meanwhile.
      if (lchown(part.c_str(), info.st_uid, info.st_gid) != 0) {
        // Left to the owner the folder has; the files written into it say if that stops them.
      }
    }
    if (slash == std::string::npos) break;
  }
}

void write_file_atomic(const std::string& path, const std::string& text, int mode,
                       LinkAtPath links) {
  const Target target = find_target(path, links);
  const std::string dir = directory_of(target.path);
  if (target.path != path) {
    // The folders a link points into are the user's to make; a dangling one creates none.
    struct stat folder;
    if (!dir.empty() && stat(dir.c_str(), &folder) != 0) fail_to_write(path, errno);
  } else {
    make_directories(dir);
  }
  write_target(path, target, text, mode, links);
}

void write_chosen_file(const std::string& path, const std::string& text) {
  struct stat info;
  if (stat(path.c_str(), &info) == 0 && (S_ISFIFO(info.st_mode) || S_ISCHR(info.st_mode))) {
    int fd = open(path.c_str(), O_WRONLY | O_CLOEXEC);
    if (fd < 0) fail_to_write(path, errno);
    bool ok = write_all(fd, text);
    int error = errno;
    if (close(fd) != 0 && ok) {
      ok = false;
      error = errno;
    }
    if (!ok) fail_to_write(path, error);
    return;
  }
  const Target target = find_target(path, LinkAtPath::Follow);
  const std::string dir = directory_of(target.path);
  if (!dir.empty() && stat(dir.c_str(), &info) != 0) fail_to_write(path, errno);
  write_target(path, target, text, -1, LinkAtPath::Follow);
}

bool read_unfinished_copy(const std::string& path, std::string& text) {
  struct stat info;
  if (stat(path.c_str(), &info) != 0 || !S_ISREG(info.st_mode) || info.st_nlink < 2) return false;
  return finish_copy(final_target(path), text);
}

std::vector<std::string> stale_temporaries(const std::string& dir) {
  std::vector<std::string> found;
  for (const auto& [entry, own] : own_names(dir, "", true)) {
    if (!own.copy && has_ended(own.process)) found.push_back(in_folder(dir, entry));
  }
  return found;
}
