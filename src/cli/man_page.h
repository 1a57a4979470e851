// The manual page fennick(1) in man(7) markup, made from the command table and the catalogue.
#pragma once

#include <string>

std::string man_page();
