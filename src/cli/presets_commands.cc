// palette, export and import.
#include "cli/commands.h"
#include "cli/usage.h"
#include "generate/apply.h"
#include "presets/export_import.h"
#include "presets/palettes.h"
#include "settings/ascii_text.h"
#include "settings/console.h"

int cmd_palette(const CommandLine& line) {
  const std::string name = ascii_lowered(line.operand(1));
  if (name.empty() || !apply_palette(name)) {
    print_err(std::string("palettes: ") + kPaletteNames + "\n");
    return 2;
  }
  save_and_apply();
  print_out("palette applied\n");
  return 0;
}

int cmd_export(const CommandLine& line) {
  if (line.operand(1).empty()) {
    print_usage();
    return 2;
  }
  export_settings(line.operand(1));
  return 0;
}

int cmd_import(const CommandLine& line) {
  if (line.operand(1).empty()) {
    print_usage();
    return 2;
  }
  return import_settings(line.operand(1)) ? 0 : 1;
}
