#include "presets/export_import.h"

#include <stdexcept>
#include <vector>

#include "generate/apply.h"
#include "integrate/text_file.h"
#include "settings/atomic_file.h"
#include "settings/catalogue.h"
#include "settings/console.h"
#include "settings/locations.h"
#include "settings/settings_file.h"

void export_settings(const std::string& path) {
  write_file_atomic(path, settings_text());
  print_out("exported " + std::to_string(setting_count()) + " settings to " + path + "\n");
}

void back_up_settings_file() {
  if (path_exists(settings_path())) copy_file(settings_path(), settings_path() + ".bak");
}

bool import_settings(const std::string& path) {
  if (!path_exists(path)) {
    print_err("fennick: cannot find " + path + "\n");
    return false;
  }
  std::vector<std::string> previous;
  for (int i = 0; i < setting_count(); ++i)
    previous.push_back(stored_value(i));
  auto restore_previous = [&previous] {
    for (int i = 0; i < setting_count(); ++i)
      store_value(i, previous[static_cast<size_t>(i)]);
  };
  reset_all_to_defaults();
  int32_t skipped;
  try {
    skipped = read_settings_file(path).not_understood;
  } catch (const std::runtime_error&) {
    restore_previous();  // an unreadable file changes nothing, not even in memory
    throw;
  }
  if (skipped > 0) {
    print_err("fennick: " + std::to_string(skipped) + " line(s) of " + path +
              " were not understood and were skipped\n");
  }
  if (skipped > 0 && read_text_file(path).find('[') == std::string::npos) {
    restore_previous();
    print_err("fennick: " + path +
              " does not look like a fennick settings file; nothing changed\n");
    return false;
  }
  back_up_settings_file();
  apply_settings();
  print_out("imported " + path + "  (previous settings kept in " + settings_path() + ".bak)\n");
  return true;
}
