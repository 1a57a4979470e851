// The report of `fennick list`: every setting of one page, or of all pages, with its value.
#pragma once

#include <string>

// Prints the rows of the page named by its title or its section in any letter case (every row
// when page is empty); returns how many it printed.
int print_settings_list(const std::string& page);
// The settings of a page as print_settings_list picks them (every one for an empty page), each
// with its section, key, kind and value, and the files the settings come from, as one JSON
// object for programs (fennick's Nemo extension, scripts): `fennick list [PAGE] --json`. Sets
// listed to the number of settings in it.
std::string settings_json(const std::string& page, int& listed);
// The names that `list` takes, for a message: "Path bar, Terminal, ... (or the sections: ...)".
std::string page_names();
