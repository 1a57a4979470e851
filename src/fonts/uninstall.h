// Handing over to the installer script to remove the tool.
#pragma once

#include <string>

#include "settings/locations.h"

// The shell command line that runs the installer script's removal.
std::string uninstall_command_line(bool yes);
// Runs the installer script with --uninstall (and --yes when yes); returns the exit status for
// the program: the script's, clamped to 255.
int uninstall(bool yes);
// True while the installer script's removal runs this program's own removal commands: it sets
// FENNICK_UNINSTALLING=1 for them. Their advice then names nothing of fennick, which goes next;
// the script gives its own.
bool run_by_uninstall();
