#include "settings/file_reader.h"

#include <errno.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstring>

#include "settings/failure.h"

bool read_whole_file(const std::string& path, std::string& text) {
  int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) {
    // A path through a regular file cannot hold the file either: there is nothing to read.
    if (errno == ENOENT || errno == ENOTDIR) return false;
    fail("Unable to open file \"" + path + "\": " + std::strerror(errno));
  }
  // Read straight into the text, sized by the file (one byte more to see the end at once).
  struct stat info;
  size_t capacity = fstat(fd, &info) == 0 && info.st_size > 0 ? info.st_size + 1 : 4096;
  size_t used = 0;
  text.resize(capacity);
  for (;;) {
    if (used == text.size()) text.resize(text.size() * 2);
    ssize_t got = read(fd, &text[used], text.size() - used);
    if (got == 0) break;
    if (got < 0) {
      if (errno == EINTR) continue;
      int reason = errno;
      close(fd);
      fail("Unable to open file \"" + path + "\": " + std::strerror(reason));
    }
    used += static_cast<size_t>(got);
  }
  text.resize(used);
  close(fd);
  return true;
}
