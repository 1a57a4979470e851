// doctor: the checks of why something does not show, each with the command that fixes it.
#pragma once

#include <string>

#include "integrate/doctor_checks.h"

// Each problem on a line of its own with its fix on the next ("  fix: " and the command), then
// "no problems found", "1 problem found" or "N problems found".
std::string doctor_report(const Problems& problems);
