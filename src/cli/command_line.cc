#include "cli/command_line.h"

#include "cli/command_table.h"
#include "settings/ascii_text.h"

namespace {

bool is_option_of(const CommandInfo& command, std::string_view word) {
  std::string_view options = command.options;
  while (!options.empty()) {
    const size_t blank = options.find(' ');
    if (options.substr(0, blank) == word) return true;
    if (blank == std::string_view::npos) break;
    options.remove_prefix(blank + 1);
  }
  return false;
}

}  // namespace

ReadArguments read_arguments(const CommandInfo& command, const std::vector<std::string>& args) {
  ReadArguments read;
  bool options_ended = false;
  for (const std::string& arg : args) {
    const bool value_place = command.takes_values && read.line.operands.size() % 2 == 1;
    if (options_ended || value_place || arg.empty() || arg[0] != '-' || arg == "-") {
      read.line.operands.push_back(arg);
    } else if (arg == "--") {
      options_ended = true;
    } else if (arg == "-h" || arg == "--help") {
      if (command.raw_operands) {
        read.line.operands.push_back(arg);
      } else {
        read.verdict = ArgumentsVerdict::Help;
      }
    } else if (is_option_of(command, arg)) {
      read.line.options.push_back(arg);
    } else if (read.problem.empty()) {
      read.problem = "unknown option \"" + printable(arg) + "\"";
    }
  }
  if (read.verdict == ArgumentsVerdict::Help) return read;
  if (read.problem.empty() && command.max_operands >= 0 &&
      read.line.operands.size() > static_cast<size_t>(command.max_operands)) {
    read.problem =
        "unexpected operand \"" + printable(read.line.operands[command.max_operands]) + "\"";
  }
  if (!read.problem.empty()) read.verdict = ArgumentsVerdict::Usage;
  return read;
}
