// font and uninstall.
#include "cli/commands.h"
#include "fonts/terminal_font.h"
#include "fonts/uninstall.h"

int cmd_font(const CommandLine& line) {
  std::string sub_command = line.operand(1);
  for (char& c : sub_command) {
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  }
  return font_command(sub_command, line.operand(2));
}

int cmd_uninstall(const CommandLine& line) {
  std::vector<std::string> options(line.args.begin() + 2, line.args.end());
  return uninstall(options);
}
