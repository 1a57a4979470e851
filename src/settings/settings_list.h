// The report of `fennick list`: every setting of one page, or of all pages, with its value.
#pragma once

#include <string>

void print_settings_list(const std::string& page);
