// palette, export and import.
#include "cli/commands.h"
#include "cli/usage.h"
#include "generate/apply.h"
#include "presets/export_import.h"
#include "presets/palettes.h"
#include "settings/console.h"

int cmd_palette(const CommandLine& line) {
  std::string name = line.operand(1);
  for (char& c : name) {
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  }
  if (name.empty() || !apply_palette(name)) {
    print_err(std::string("palettes: ") + kPaletteNames + "\n");
    return 2;
  }
  apply_settings();
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
