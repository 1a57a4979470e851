// Whole lines to standard output and standard error, byte for byte.
#pragma once

#include <sys/stat.h>

#include <cstdio>
#include <string_view>

inline void print_out(std::string_view text) {
  std::fwrite(text.data(), 1, text.size(), stdout);
}
inline void print_err(std::string_view text) {
  std::fwrite(text.data(), 1, text.size(), stderr);
}

// True when path names the file that standard output goes to (/dev/stdout, the terminal it is).
inline bool is_standard_output(const char* path) {
  struct stat named, out;
  return stat(path, &named) == 0 && fstat(1, &out) == 0 && named.st_dev == out.st_dev &&
         named.st_ino == out.st_ino;
}
