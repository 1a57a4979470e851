// The default terminal profile's font: pointing it at a powerline font, and back.
#pragma once

#include <string>

#include "settings/locations.h"

// gsettings get, trimmed; empty on failure.
std::string gsettings_get(const std::string& schema, const std::string& key);
// The schema path of the default GNOME Terminal profile, or empty.
std::string terminal_profile_path();
// The font the default profile shows, as gsettings reads it.
struct ProfileFont {
  bool found = false;        // there is a default profile and gsettings reads both of its values
  bool system_font = false;  // the profile follows the system's monospace font
  std::string font;          // the font it shows, unquoted ("MesloLGS NF 12"): its own, or the
                             // system's monospace font
};
ProfileFont terminal_profile_font();
// Points the default profile at `family` (the installed powerline font when empty) in the size of
// the profile's current font (12 when that names none) and returns the font it set. The first
// use keeps the old font in a backup; anything at the backup's name that is not a file the
// program made is moved aside for a new backup (file_backup.h). Fails with a message when there
// is no profile, no font, or gsettings refuses the font or does not keep it.
std::string use_terminal_font(std::string family);
enum class FontRestore {
  Restored,
  NoBackup,
  NotOurs,  // a backup file too short to be one of ours: left as it is
};
// Puts back the font the backup holds. Fails with a message, changing nothing, when what lies at
// the backup's name is not a file the program made (file_backup.h); and when gsettings refused a
// value or did not keep it: the backup is then kept.
FontRestore restore_terminal_font();
