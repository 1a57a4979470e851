// Errors that the caller cannot handle: raised once with their message, reported once at the top.
#pragma once

#include <stdexcept>
#include <string>

[[noreturn]] inline void fail(const std::string& message) {
  throw std::runtime_error(message);
}
