// Moving the settings between files: export, and import with a backup of the settings replaced.
#pragma once

#include <string>

// Writes every setting to path (a FIFO or a terminal is written into, never replaced; no folder
// is made for it); returns how many were written.
int export_settings(const std::string& path);

struct ImportOutcome {
  bool imported = false;
  std::string skipped_note;  // "N line(s) of PATH were not understood and were skipped", or ""
  std::string refusal;       // why nothing changed, when nothing was imported
  std::string backup;        // where the previous settings file was kept; "" when there was none
};

// Replaces the settings with those of the file and applies them, keeping the old settings file
// as fennick.ini.bak (or the next free number); a file that cannot be found or sets nothing changes
// nothing. A file that cannot be read raises its error, with nothing changed either.
ImportOutcome import_settings(const std::string& path);
