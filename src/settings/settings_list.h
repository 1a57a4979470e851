// The report of `fennick list`: every setting of one page, or of all pages, with its value.
#pragma once

#include <string>

// Prints the rows of the page named by its title or its section in any letter case (every row
// when page is empty); returns how many it printed.
int print_settings_list(const std::string& page);
// The names that `list` takes, for a message: "Path bar, Terminal, ... (or the sections: ...)".
std::string page_names();
