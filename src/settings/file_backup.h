// Keeping a file of the user's before the program replaces or changes it, and telling the files
// the program made itself at such names from anything else found there.
#pragma once

#include <string>
#include <vector>

// What lies at a name where the program keeps a file of its own (a backup).
struct FoundAtName {
  bool taken = false;   // something is there, a link to nothing included
  std::string foreign;  // why it is no file the program made ("a symbolic link", "a folder",
                        // ...); empty when it is one, or when nothing is there
};
// A file the program made is a regular file with one name only, owned by the user running the
// program or by the owner of its folder (a file that root makes there goes to that owner). A
// symbolic link is never followed.
FoundAtName look_at_name(const std::string& path);

// Renames whatever lies at path to the first free name of path + ".moved-aside",
// ".moved-aside.1", ... and says so on standard error ("fennick: moved PATH aside to NEW: it is
// WHY, not a file fennick made"); returns the new name. Fails when it cannot be moved.
std::string move_aside(const std::string& path, const std::string& why);

// The suffix of the backups of the user's files; the settings file's are fennick.ini.bak, .bak.1...
constexpr const char* kBackupSuffix = ".fennick-bak";

// The backups of path that the program made, lowest number first (see back_up_before_change for
// their names). Anything else at a backup name is moved aside, never read.
std::vector<std::string> own_backups(const std::string& path,
                                     const std::string& suffix = kBackupSuffix);

// Keeps the current bytes of the file at path (a symbolic link is followed) before the program
// replaces or changes it, and returns the backup that holds them; "" when there is no file at
// path. The backups lie beside path: path + suffix, then path + suffix + ".1", ".2", ... When one
// of them already holds exactly these bytes, nothing is copied and that one is returned; otherwise
// the bytes go, with the permission bits of the file, into the first of those names at which
// nothing exists (not even a link). A backup is never overwritten, and only own_backups count:
// anything else at a backup name is moved aside first.
std::string back_up_before_change(const std::string& path,
                                  const std::string& suffix = kBackupSuffix);
