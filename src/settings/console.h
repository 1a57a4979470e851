// Whole lines to standard output and standard error, byte for byte.
#pragma once

#include <cstdio>
#include <string_view>

inline void print_out(std::string_view text) {
  std::fwrite(text.data(), 1, text.size(), stdout);
}
inline void print_err(std::string_view text) {
  std::fwrite(text.data(), 1, text.size(), stderr);
}
