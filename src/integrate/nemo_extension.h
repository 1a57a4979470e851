// fennick's extension of the stock Nemo (a nemo-python module in the user's data folder): its
// text, whether Nemo can load it, and installing and removing it.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "integrate/marked_block.h"

// The module as extension-install writes it: marked as fennick's, running the program at
// executable_path.
std::string nemo_extension_text(const std::string& executable_path);

// True when the stock Nemo's Python extension loader (Debian's nemo-python) is installed.
bool nemo_python_installed();

enum class ExtensionState {
  Missing,   // no file at nemo_extension_path
  Current,   // what extension-install writes now
  Outdated,  // ours, from another version or for another program path
  NotOurs,   // a file of somebody else's at that name
};
ExtensionState nemo_extension_state();

// True when the extension is in place as this fennick writes it and nemo-python can load it.
bool nemo_extension_runs();
// True when a Nemo that runs now follows changed settings by itself: the tuned Nemo is the
// default, or the extension is in place and nemo-python can load it.
bool live_nemo_reader();

// After path-bar or sidebar settings changed from the values before (a store in catalogue order)
// while no running Nemo follows them by itself: one line saying what else shows them; "" when
// nothing needs saying.
std::string nemo_reader_note(const std::vector<std::string>& before);

struct ExtensionInstall {
  bool written = false;  // false when it was in place already
  // When nemo-python loads it: the import of the path bar taken out of gtk.css, as the extension
  // styles the path bar from now on (the same rules twice would go out of step after a change).
  std::optional<BlockUpdate> import_removal;
};
// Writes the module (a file of somebody else's there is kept as a backup first).
ExtensionInstall install_nemo_extension();
// Takes out the module when it is ours.
ExtensionState remove_nemo_extension();
