// Finding a font with the powerline glyphs, and downloading MesloLGS NF into the user's fonts.
#pragma once

#include <string>

#include "settings/locations.h"

std::string font_source_base();
// The family to use: an exact MesloLGS match, else the first with "Mono" or " NF" in its name,
// else the first listed; empty when no installed font has the glyph U+E0B0.
std::string find_powerline_font();
// Picks the family from fc-list's output (one font per line, families separated by commas).
std::string pick_powerline_family(const std::string& font_list);
// True when a powerline-capable family is installed at the end. A file the default source does
// not serve (or serves altered) fails with a message on getting the files another way.
bool install_font(bool assume_yes);
