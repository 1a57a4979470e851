#include "integrate/text_file.h"

#include <errno.h>
#include <sys/stat.h>

#include <cstring>

#include "settings/atomic_file.h"
#include "settings/failure.h"
#include "settings/file_reader.h"

std::string read_text_file(const std::string& path) {
  std::string bytes;
  if (!read_whole_file(path, bytes)) return "";
  std::string text;
  text.reserve(bytes.size() + 1);
  for (size_t i = 0; i < bytes.size(); ++i) {
    char c = bytes[i];
    if (c == '\r') {
      if (i + 1 < bytes.size() && bytes[i + 1] == '\n') ++i;
      c = '\n';
    }
    text += c;
  }
  if (!text.empty() && text.back() != '\n') text += '\n';
  return text;
}

void copy_file(const std::string& source, const std::string& destination) {
  std::string bytes;
  if (!read_whole_file(source, bytes)) {
    fail("Unable to open file \"" + source + "\": " + std::strerror(ENOENT));
  }
  struct stat info;
  int mode = stat(source.c_str(), &info) == 0 ? static_cast<int>(info.st_mode & 0777) : -1;
  write_file_atomic(destination, bytes, mode);
}

bool path_exists(const std::string& path) {
  struct stat info;
  return stat(path.c_str(), &info) == 0;
}
