// Moving the settings between files: export, and import with a backup of the settings replaced.
#pragma once

#include <string>

void export_settings(const std::string& path);
// True when the settings were replaced and applied; prints its own messages.
bool import_settings(const std::string& path);
