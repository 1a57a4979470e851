// Keeping a file of the user's before the program replaces or changes it.
#pragma once

#include <string>

// Keeps the current bytes of the file at path (a symbolic link is followed) before the program
// replaces or changes it, and returns the backup that holds them; "" when there is no file at
// path. The backups lie beside path: path + ".fennick-bak", then path + ".fennick-bak.1", ".2",
// ... When one of them already holds exactly these bytes, nothing is copied and that one is
// returned; otherwise the bytes go, with the permission bits of the file, into the first of
// those names at which nothing exists (not even a link). A backup is never overwritten.
std::string back_up_before_change(const std::string& path);
