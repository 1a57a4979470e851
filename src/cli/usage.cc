#include "cli/usage.h"

#include <algorithm>
#include <string>

#include "cli/commands.h"
#include "settings/ascii_text.h"
#include "settings/console.h"
#include "settings/locations.h"

const char kVersion[] = "1.1";

std::string usage_synopsis(const UsageLine& usage) {
  std::string text;
  for (const char* name : usage.commands) {
    if (!name) continue;
    if (!text.empty()) text += " | ";
    const CommandInfo* command = find_command(name);
    text += command && command->word_optional ? "[" + std::string(name) + "]" : name;
    if (command && *command->operands) text += " " + std::string(command->operands);
  }
  return text;
}

void print_usage() {
  // Descriptions start in one column, or three spaces after a longer synopsis.
  const size_t description_column = 32;
  std::string text = "fennick " + std::string(kVersion) +
                     " \xE2\x80\x94 tune Nemo: path bar, terminal prompt, panes, sidebar\n\n";
  for (const UsageLine& usage : usage_lines()) {
    std::string line = "  fennick " + usage_synopsis(usage);
    const char* description = usage_line_description(usage);
    if (*description) {
      line.resize(std::max(description_column, line.size() + 3), ' ');
      line += description;
    }
    text += line + "\n";
  }
  text +=
      "\nSettings: " + printable(settings_path()) + "   (override the folder with FENNICK_DIR)\n";
  print_out(text);
}

std::string command_usage(const CommandInfo& command) {
  const char* operands = command.usage_operands ? command.usage_operands : command.operands;
  return "usage: fennick " + std::string(command.words[0]) + (*operands ? " " : "") + operands;
}

void print_command_help(const CommandInfo& command) {
  print_out(command_usage(command) + "\n" + command.description + "\n");
}

int cmd_help(const CommandLine&) {
  print_usage();
  return 0;
}

int cmd_version(const CommandLine&) {
  print_out("fennick " + std::string(kVersion) + "\n");
  return 0;
}
