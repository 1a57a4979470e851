// The process arguments of one run, as the commands see them.
#pragma once

#include <string>
#include <vector>

struct CommandLine {
  std::vector<std::string> args;  // args[0] is the program, args[1] the command word

  // Argument i, or the empty text when there is none.
  std::string arg(size_t i) const { return i < args.size() ? args[i] : std::string(); }
  // Operand n of the command (1 is the first after the command word).
  std::string operand(size_t n) const { return arg(n + 1); }
};
