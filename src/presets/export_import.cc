#include "presets/export_import.h"

#include <stdexcept>
#include <vector>

#include "generate/apply.h"
#include "integrate/text_file.h"
#include "settings/ascii_text.h"
#include "settings/atomic_file.h"
#include "settings/catalogue.h"
#include "settings/console.h"
#include "settings/locations.h"
#include "settings/settings_file.h"
#include "settings/settings_lock.h"

void export_settings(const std::string& path) {
  write_file_atomic(path, settings_text());
  print_out("exported " + std::to_string(setting_count()) + " settings to " + path + "\n");
}

bool import_settings(const std::string& path) {
  if (!path_exists(path)) {
    print_err("fennick: cannot find " + printable(path) + "\n");
    return false;
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
    print_err("fennick: " + std::to_string(read.not_understood) + " line(s) of " + printable(path) +
              " were not understood and were skipped\n");
  }
  // A file that sets nothing (another program's file, an empty one) changes nothing: it would
  // only reset everything.
  if (read.values_read == 0) {
    restore_previous();
    print_err("fennick: " + printable(path) +
              " does not look like a fennick settings file; nothing changed\n");
    return false;
  }
  back_up_settings_file();
  forget_dropped_lines();
  apply_settings();
  print_out("imported " + printable(path) + "  (previous settings kept in " + settings_path() +
            ".bak)\n");
  return true;
}
