#include "cli/commands.h"
#include "generate/apply.h"
#include "integrate/nemo_extension.h"
#include "settings/console.h"
#include "settings/settings_file.h"

void save_and_apply() {
  const std::string notice = dropped_lines_notice(apply_settings());
  if (!notice.empty()) print_err("fennick: " + notice + "\n");
}

void print_nemo_reader_note() {
  const std::string note = nemo_reader_note(values_when_loaded());
  if (!note.empty()) print_out(note + "\n");
}
