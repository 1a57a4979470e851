#include "integrate/file_backup.h"

#include <dirent.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <vector>

#include "settings/atomic_file.h"
#include "settings/file_reader.h"

namespace {

const char kBackupSuffix[] = ".fennick-bak";

// The backup of that number: 0 is path + ".fennick-bak", N is path + ".fennick-bak.N".
std::string backup_name(const std::string& path, unsigned number) {
  return path + kBackupSuffix + (number == 0 ? "" : "." + std::to_string(number));
}

// The numbers of the backups of path that its folder holds, lowest first.
std::vector<unsigned> existing_backups(const std::string& path) {
  const size_t slash = path.rfind('/');
  const std::string dir = slash == std::string::npos ? "."
                          : slash == 0               ? "/"
                                                     : path.substr(0, slash);
  const std::string stem =
      (slash == std::string::npos ? path : path.substr(slash + 1)) + kBackupSuffix;
  std::vector<unsigned> numbers;
  DIR* folder = opendir(dir.c_str());
  if (folder == nullptr) return numbers;
  while (const dirent* entry = readdir(folder)) {
    const std::string name = entry->d_name;
    if (name.compare(0, stem.size(), stem) != 0) continue;
    const std::string rest = name.substr(stem.size());
    if (rest.empty()) {
      numbers.push_back(0);
      continue;
    }
    // ".N": a number without leading zeros, small enough to be one we made.
    if (rest.size() < 2 || rest.size() > 10 || rest[0] != '.' || rest[1] == '0') continue;
    if (!std::all_of(rest.begin() + 1, rest.end(), [](char c) { return c >= '0' && c <= '9'; }))
      continue;
    numbers.push_back(static_cast<unsigned>(std::stoul(rest.substr(1))));
  }
  closedir(folder);
  std::sort(numbers.begin(), numbers.end());
  return numbers;
}

// True when the file at backup holds exactly the bytes. Only a readable regular file of the
// same size is read at all.
bool holds(const std::string& backup, const std::string& bytes) {
  struct stat info;
  if (stat(backup.c_str(), &info) != 0 || !S_ISREG(info.st_mode) ||
      static_cast<size_t>(info.st_size) != bytes.size() || access(backup.c_str(), R_OK) != 0) {
    return false;
  }
  std::string kept;
  return read_whole_file(backup, kept) && kept == bytes;
}

}  // namespace

std::string back_up_before_change(const std::string& path) {
  std::string bytes;
  if (!read_whole_file(path, bytes)) return "";
  for (unsigned number : existing_backups(path)) {
    const std::string backup = backup_name(path, number);
    if (holds(backup, bytes)) return backup;
  }
  for (unsigned number = 0;; ++number) {
    const std::string backup = backup_name(path, number);
    struct stat info;
    if (lstat(backup.c_str(), &info) == 0) continue;
    // A new file at a free name: a link put there in the meantime is replaced, not followed.
    const int mode = stat(path.c_str(), &info) == 0 ? static_cast<int>(info.st_mode & 0777) : -1;
    write_file_atomic(backup, bytes, mode, LinkAtPath::Replace);
    return backup;
  }
}
