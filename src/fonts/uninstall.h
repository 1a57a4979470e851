// Handing over to the installer script to remove the tool.
#pragma once

#include <string>

#include "settings/locations.h"

// The shell command line that runs the installer script's removal.
std::string uninstall_command_line(bool yes);
// Runs the installer script with --uninstall (and --yes when yes); returns the exit status for
// the program: the script's, clamped to 255.
int uninstall(bool yes);
