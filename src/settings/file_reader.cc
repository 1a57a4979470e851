#include "settings/file_reader.h"

#include <errno.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cstring>

#include "settings/atomic_file.h"
#include "settings/failure.h"

namespace {

// Closes the descriptor when the reading ends, also by a failure.
struct ClosedAtEnd {
  int fd;
  ~ClosedAtEnd() { close(fd); }
};

[[noreturn]] void fail_to_open(const std::string& path, int reason) {
  fail("Unable to open file \"" + path + "\": " + std::strerror(reason));
}

[[noreturn]] void fail_too_large(const std::string& path) {
  fail(path + " is larger than 16 MiB");
}

}  // namespace

bool read_whole_file(const std::string& path, std::string& text) {
  // O_NONBLOCK: opening a FIFO without a writer returns at once instead of waiting for one; it
  // changes nothing for a regular file.
  const int fd = open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
  if (fd < 0) {
    // A path through a regular file cannot hold the file either: there is nothing to read.
    if (errno == ENOENT || errno == ENOTDIR) return false;
    fail_to_open(path, errno);
  }
  const ClosedAtEnd closer{fd};
  struct stat info;
  if (fstat(fd, &info) != 0) fail_to_open(path, errno);
  if (S_ISDIR(info.st_mode)) fail_to_open(path, EISDIR);
  if (!S_ISREG(info.st_mode)) fail(path + " is not a regular file");
  if (info.st_size > static_cast<off_t>(kMaxReadSize)) fail_too_large(path);
  // A hard-linked file is written in place: one cut short reads as the text it was getting.
  if (info.st_nlink > 1 && read_unfinished_copy(path, text)) return true;

  // Read straight into the text, sized by the file (one byte more to see the end at once); a
  // file that grows while it is read is still held to the limit.
  size_t used = 0;
  text.resize(info.st_size > 0 ? static_cast<size_t>(info.st_size) + 1 : 4096);
  for (;;) {
    if (used == text.size()) {
      if (used > kMaxReadSize) fail_too_large(path);
      text.resize(std::min(text.size() * 2, kMaxReadSize + 1));
    }
    const ssize_t got = read(fd, &text[used], text.size() - used);
    if (got == 0) break;
    if (got < 0) {
      if (errno == EINTR) continue;
      fail_to_open(path, errno);
    }
    used += static_cast<size_t>(got);
  }
  if (used > kMaxReadSize) fail_too_large(path);
  text.resize(used);
  return true;
}
