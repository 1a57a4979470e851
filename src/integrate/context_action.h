// The right-click entry in Nemo that opens the settings window.
#pragma once

#include <string>

std::string actions_dir();
std::string action_file_path();
// The action file for the program at executable_path.
std::string action_text(const std::string& executable_path);
// The absolute path of the running program, as the system reports it.
std::string own_executable_path();

void install_action();
void remove_action();
