#include "cli/commands.h"
#include "generate/apply.h"
#include "integrate/nemo_extension.h"
#include "integrate/pathbar_import.h"
#include "settings/catalogue.h"
#include "settings/console.h"
#include "settings/settings_file.h"

void save_and_apply() {
  const std::string notice = dropped_lines_notice(apply_settings());
  if (!notice.empty()) print_err("fennick: " + notice + "\n");
}

namespace {

// True when the command changed a setting of that section.
bool changed_in(std::string_view section) {
  const std::vector<std::string>& before = values_when_loaded();
  for (int i = 0; i < setting_count(); ++i) {
    if (setting_at(i).section == section && (static_cast<size_t>(i) >= before.size() ||
                                             before[static_cast<size_t>(i)] != stored_value(i)))
      return true;
  }
  return false;
}

}  // namespace

std::string nemo_reader_note() {
  const bool path_bar = changed_in("pathbar");
  if ((!path_bar && !changed_in("sidebar")) || live_nemo_reader()) return "";
  if (nemo_extension_state() == ExtensionState::Current) {
    return "fennick's Nemo extension needs nemo-python to run: sudo apt install nemo-python";
  }
  if (!path_bar) {
    return "the stock Nemo shows sidebar settings only with fennick's extension: fennick "
           "extension-install";
  }
  if (pathbar_block_installed()) {
    return "the stock Nemo shows the path bar after: fennick restart (live with: fennick "
           "extension-install)";
  }
  return "no Nemo reads the path bar yet: fennick extension-install (live) or fennick "
         "pathbar-install";
}

void print_nemo_reader_note() {
  const std::string note = nemo_reader_note();
  if (!note.empty()) print_out(note + "\n");
}
