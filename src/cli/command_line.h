// The arguments of one run after the command word, as the command sees them, and how they are
// read: its options taken out, "--" ending them.
#pragma once

#include <string>
#include <string_view>
#include <vector>

struct CommandInfo;

struct CommandLine {
  std::vector<std::string> operands;  // in order, without options and without the first "--"
  std::vector<std::string> options;   // the command's own options that were given

  // Operand n (1 is the first), or the empty text when there is none.
  std::string operand(size_t n) const {
    return n >= 1 && n <= operands.size() ? operands[n - 1] : std::string();
  }
  bool has_option(std::string_view option) const {
    for (const std::string& given : options)
      if (given == option) return true;
    return false;
  }
};

enum class ArgumentsVerdict {
  Run,    // the command runs with `line`
  Help,   // -h or --help: the command's usage is shown, nothing else is done
  Usage,  // `problem` says what is wrong; the command's usage is shown, nothing is done
};

struct ReadArguments {
  ArgumentsVerdict verdict = ArgumentsVerdict::Run;
  CommandLine line;
  std::string problem;
};

// Reads the arguments that follow the command word. An argument that begins with "-" is one of
// the command's options, -h/--help, or a usage error, unless it follows "--" or stands where the
// command takes a value.
ReadArguments read_arguments(const CommandInfo& command, const std::vector<std::string>& args);
