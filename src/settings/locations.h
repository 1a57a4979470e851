// Where the program keeps its files, derived from the environment on every call.
#pragma once

#include <string>

std::string config_dir();
std::string settings_path();
std::string stylesheet_path();
std::string prompt_script_path();
std::string home_dir();
std::string prefix_dir();

// The value of an environment variable; unset and empty read alike as empty.
std::string env_text(const char* name);
