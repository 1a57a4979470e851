// palette, export and import.
#include "cli/commands.h"
#include "cli/usage.h"
#include "generate/apply.h"
#include "presets/export_import.h"
#include "presets/palettes.h"
#include "settings/ascii_text.h"
#include "settings/console.h"
#include "settings/locations.h"
#include "settings/settings_file.h"

int cmd_palette(const CommandLine& line) {
  const std::string name = ascii_lowered(line.operand(1));
  if (name.empty() || !apply_palette(name)) {
    print_err("palettes: " + palette_names() + "\n");
    return 2;
  }
  save_and_apply();
  print_out("palette applied\n");
  print_nemo_reader_note();
  return 0;
}

int cmd_export(const CommandLine& line) {
  if (line.operand(1).empty()) {
    print_usage();
    return 2;
  }
  const std::string path = line.operand(1);
  // "-" is standard output, which gets the settings and nothing else.
  if (path == "-") {
    print_out(settings_text());
    return 0;
  }
  const int count = export_settings(path);
  // Into standard output by its name (/dev/stdout), the line would land in the settings.
  if (!is_standard_output(path.c_str())) {
    print_out("exported " + std::to_string(count) + " settings to " + printable(path) + "\n");
  }
  return 0;
}

int cmd_import(const CommandLine& line) {
  if (line.operand(1).empty()) {
    print_usage();
    return 2;
  }
  const std::string path = line.operand(1);
  const ImportOutcome outcome = import_settings(path);
  if (!outcome.skipped_note.empty()) print_err("fennick: " + outcome.skipped_note + "\n");
  if (!outcome.imported) {
    print_err("fennick: " + outcome.refusal + "\n");
    return 1;
  }
  // Named also when there was no settings file to keep.
  const std::string backup = outcome.backup.empty() ? settings_path() + ".bak" : outcome.backup;
  print_out("imported " + printable(path) + "  (previous settings kept in " + printable(backup) +
            ")\n");
  print_nemo_reader_note();
  return 0;
}
