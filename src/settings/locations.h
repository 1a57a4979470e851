// Where the program keeps its files, derived from the environment on every call.
#pragma once

#include <string>

std::string config_dir();
std::string settings_path();
std::string stylesheet_path();
std::string prompt_script_path();
// HOME; fails unless it is an absolute folder name without line breaks.
std::string home_dir();
// FENNICK_PREFIX, else under the home folder; a prefix with a line break is refused.
std::string prefix_dir();
// The user's data folder: XDG_DATA_HOME when it is absolute, else ~/.local/share.
std::string data_dir();

// The value of an environment variable; unset and empty read alike as empty.
std::string env_text(const char* name);
