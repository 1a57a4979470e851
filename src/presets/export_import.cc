#include "presets/export_import.h"

#include <stdexcept>
#include <vector>

#include "generate/apply.h"
#include "integrate/text_file.h"
#include "settings/ascii_text.h"
#include "settings/atomic_file.h"
#include "settings/catalogue.h"
#include "settings/locations.h"
#include "settings/settings_file.h"
#include "settings/settings_lock.h"

int export_settings(const std::string& path) {
  write_chosen_file(path, settings_text());
  return setting_count();
}

ImportOutcome import_settings(const std::string& path) {
  ImportOutcome outcome;
  if (!path_exists(path)) {
    outcome.refusal = "cannot find " + printable(path);
    return outcome;
  }
  SettingsLock lock;
  std::vector<std::string> previous;
  for (int i = 0; i < setting_count(); ++i)
    previous.push_back(stored_value(i));
  auto restore_previous = [&previous] {
    for (int i = 0; i < setting_count(); ++i)
      store_value(i, previous[static_cast<size_t>(i)]);
  };
  reset_all_to_defaults();
  ReadResult read;
  try {
    read = read_settings_file(path);
  } catch (const std::runtime_error&) {
    restore_previous();  // an unreadable file changes nothing, not even in memory
    throw;
  }
  if (read.not_understood > 0) {
    outcome.skipped_note = std::to_string(read.not_understood) + " line(s) of " + printable(path) +
                           " were not understood and were skipped";
  }
  // A file that sets nothing (another program's file, an empty one) changes nothing: it would
  // only reset everything.
  if (read.values_read == 0) {
    restore_previous();
    outcome.refusal =
        printable(path) + " does not look like a fennick settings file; nothing changed";
    return outcome;
  }
  outcome.backup = back_up_settings_file();
  forget_dropped_lines();
  apply_settings();
  outcome.imported = true;
  return outcome;
}
