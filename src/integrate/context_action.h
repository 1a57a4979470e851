// The right-click entry in Nemo that opens the settings window.
#pragma once

#include <string>

#include "settings/locations.h"

// The action file for the program at executable_path.
std::string action_text(const std::string& executable_path);
// The absolute path of the running program, as the system reports it.
std::string own_executable_path();

void install_action();
void remove_action();
