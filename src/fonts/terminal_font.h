// The default terminal profile's font: pointing it at a powerline font, and back.
#pragma once

#include <string>

#include "settings/locations.h"

// gsettings get, trimmed; empty on failure.
std::string gsettings_get(const std::string& schema, const std::string& key);
// The schema path of the default GNOME Terminal profile, or empty.
std::string terminal_profile_path();
// Fails with a message when there is no profile, no font, or gsettings refuses the font.
void use_terminal_font(std::string family, int size);
// Fails with a message when gsettings refused a value: the backup is then kept.
void restore_terminal_font();
