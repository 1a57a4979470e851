// Reading a whole file at once.
#pragma once

#include <cstddef>
#include <string>

// The largest file the program reads: settings, rc files, desktop files and downloaded fonts are
// all far smaller.
constexpr size_t kMaxReadSize = 16 * 1024 * 1024;

// Reads the regular file at path (a symbolic link is followed) into text; false when there is no
// file there. Never waits on a FIFO or reads from a device: anything at path that is not a
// regular file fails with path + " is not a regular file" (a folder with "Unable to open file
// ...: Is a directory"), a file over kMaxReadSize with path + " is larger than 16 MiB". A file
// that exists but cannot be read fails with "Unable to open file ...".
bool read_whole_file(const std::string& path, std::string& text);
