#include "settings/file_backup.h"

#include <dirent.h>
#include <errno.h>
#include <fcntl.h>
#include <stdio.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cstring>

#include "settings/ascii_text.h"
#include "settings/atomic_file.h"
#include "settings/console.h"
#include "settings/failure.h"
#include "settings/file_reader.h"
#include "settings/path_names.h"

namespace {

std::string folder_of(const std::string& path) {
  const std::string folder = directory_of(path);
  return folder.empty() ? "." : folder;
}

// The backup of that number: 0 is path + suffix, N is path + suffix + ".N".
std::string backup_name(const std::string& path, const std::string& suffix, unsigned number) {
  return path + suffix + (number == 0 ? "" : "." + std::to_string(number));
}

// The numbers of the backup names of path that its folder holds, lowest first.
std::vector<unsigned> existing_backups(const std::string& path, const std::string& suffix) {
  const std::string stem = name_of(path) + suffix;
  std::vector<unsigned> numbers;
  DIR* folder = opendir(folder_of(path).c_str());
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

// True when the backup, one of own_backups, holds exactly the bytes. Only a readable file of the
// same size is read at all.
bool holds(const std::string& backup, const std::string& bytes) {
  struct stat info;
  if (lstat(backup.c_str(), &info) != 0 || static_cast<size_t>(info.st_size) != bytes.size() ||
      access(backup.c_str(), R_OK) != 0) {
    return false;
  }
  std::string kept;
  return read_whole_file(backup, kept) && kept == bytes;
}

}  // namespace

FoundAtName look_at_name(const std::string& path) {
  struct stat info;
  if (lstat(path.c_str(), &info) != 0) return {};
  if (S_ISLNK(info.st_mode)) return {true, "a symbolic link"};
  if (S_ISDIR(info.st_mode)) return {true, "a folder"};
  if (!S_ISREG(info.st_mode)) return {true, "a special file"};
  if (info.st_nlink != 1) {
    return {true, "a file with " + std::to_string(info.st_nlink) + " names (hard links)"};
  }
  struct stat folder;
  const bool folders_owner =
      stat(folder_of(path).c_str(), &folder) == 0 && folder.st_uid == info.st_uid;
  if (info.st_uid != geteuid() && !folders_owner) return {true, "a file of another user"};
  return {true, ""};
}

std::string move_aside(const std::string& path, const std::string& why) {
  for (unsigned number = 0;; ++number) {
    const std::string aside =
        path + ".moved-aside" + (number == 0 ? "" : "." + std::to_string(number));
    // Never over something that is there; a file system without that guarantee gets the
    // nearest to it.
    int moved = renameat2(AT_FDCWD, path.c_str(), AT_FDCWD, aside.c_str(), RENAME_NOREPLACE);
    if (moved != 0 && (errno == EINVAL || errno == ENOSYS)) {
      struct stat info;
      if (lstat(aside.c_str(), &info) == 0) continue;
      moved = rename(path.c_str(), aside.c_str());
    }
    if (moved == 0) {
      print_err("fennick: moved " + printable(path) + " aside to " + printable(aside) + ": it is " +
                why + ", not a file fennick made\n");
      return aside;
    }
    if (errno != EEXIST) fail("cannot move " + path + " aside: " + std::strerror(errno));
  }
}

std::vector<std::string> own_backups(const std::string& path, const std::string& suffix) {
  std::vector<std::string> own;
  for (unsigned number : existing_backups(path, suffix)) {
    const std::string backup = backup_name(path, suffix, number);
    const FoundAtName found = look_at_name(backup);
    if (!found.foreign.empty()) move_aside(backup, found.foreign);
    if (found.taken && found.foreign.empty()) own.push_back(backup);
  }
  return own;
}

std::string back_up_before_change(const std::string& path, const std::string& suffix) {
  std::string bytes;
  if (!read_whole_file(path, bytes)) return "";
  for (const std::string& backup : own_backups(path, suffix)) {
    if (holds(backup, bytes)) return backup;
  }
  for (unsigned number = 0;; ++number) {
    const std::string backup = backup_name(path, suffix, number);
    if (look_at_name(backup).taken) continue;
    // A new file at a free name: a link put there in the meantime is replaced, not followed.
    struct stat info;
    const int mode = stat(path.c_str(), &info) == 0 ? static_cast<int>(info.st_mode & 0777) : -1;
    write_file_atomic(backup, bytes, mode, LinkAtPath::Replace);
    return backup;
  }
}
