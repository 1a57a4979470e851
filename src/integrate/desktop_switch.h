// Making the tuned Nemo the user's file manager with user-level desktop and D-Bus files.
#pragma once

#include <string>

#include "settings/locations.h"

extern const char kSystemDesktopEntry[];

// The path, checked for a place in a value of a desktop-format file: fails with "cannot use " +
// path + ": it contains a line break" when it holds a line feed or a carriage return, which
// would end the value and start a line of its own.
std::string single_line_path(const std::string& path);

// The system desktop entry with every Exec= line pointing at the tuned Nemo, marked as ours.
std::string tuned_desktop_text(const std::string& system_entry);
// The D-Bus service file that starts the tuned Nemo for the bus name.
std::string dbus_service_text(const std::string& bus_name);

// True when the text carries one of the program's ownership markers.
bool is_ours(const std::string& text);
// Writes a file the program owns. A file already there that is not ours is first kept beside it
// by back_up_before_change (path + ".fennick-bak", or ".fennick-bak.N" when an earlier backup
// holds other bytes; a backup is never overwritten).
void write_owned_file(const std::string& path, const std::string& text);
// Deletes the file when it is ours; says what it did, and returns whether it deleted it.
bool remove_if_ours(const std::string& path);

// Fails with a message when the tuned Nemo or the system desktop entry is missing.
void enable_tuned_nemo();
void enable_tuned_nemo_from(const std::string& system_entry_path);
// Takes out the files that made the tuned Nemo the default, and the context-menu action; false
// when none of the three made it the default (nothing was enabled).
bool disable_tuned_nemo();
// True when the user desktop entry or one of the two service files is in place: it then decides
// which Nemo opens folders, not the system files. After disable_tuned_nemo only files that the
// program did not make (and left alone) can be there.
bool user_override_present();
