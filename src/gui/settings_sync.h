// The window's copy of the settings and the settings file on disk. The window saves under the
// settings lock and merges first: a setting changed on disk since the window last read or wrote
// the file, and not changed in the window since, is taken from disk (and shown in its control);
// the window's own changes win only for the settings it changed. While nothing waits to be
// saved, a change of the file on disk shows in the controls within a second.
#pragma once

#include <string>
#include <vector>

#include "generate/apply.h"
#include "gui/gtk_binding.h"

// Remembers the store as the file now holds it: called after loading, importing and saving.
void note_settings_synced();
// The store as the file held it when the window last read or wrote it.
const std::vector<std::string>& synced_values();
// Merges with the file on disk and writes the generated files, all under the settings lock.
ApplyOutcome save_window_settings();
// What an action of the window that needs the settings lock says when another process holds it:
// "Another fennick (process N) is changing the settings; try again when it has finished".
std::string lock_busy_text();
// Starts following the file on disk (a check every second) for the window just built.
void follow_settings_file();
