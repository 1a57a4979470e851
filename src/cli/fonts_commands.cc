// font and uninstall.
#include "cli/commands.h"
#include "fonts/terminal_font.h"
#include "fonts/uninstall.h"
#include "settings/ascii_text.h"

int cmd_font(const CommandLine& line) {
  return font_command(ascii_lowered(line.operand(1)), line.operand(2));
}

int cmd_uninstall(const CommandLine& line) {
  std::vector<std::string> options(line.args.begin() + 2, line.args.end());
  return uninstall(options);
}
