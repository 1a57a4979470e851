// Finding a font with the powerline glyphs, and downloading MesloLGS NF into the user's fonts.
#pragma once

#include <string>

#include "settings/locations.h"

std::string font_source_base();
// The family to use: an exact MesloLGS match, else the first with "Mono" or " NF" in its name,
// else the first listed; empty when no installed font has the glyph U+E0B0.
std::string find_powerline_font();
// fc-list's list of the installed fonts with the glyph U+E0B0, one font a line; empty when there
// is none or fc-list cannot be run.
std::string powerline_font_list();
// True when the font (a family, or a font name such as "MesloLGS NF Bold 12") begins with one of
// the families of a font in the list, whole words and letter case aside.
bool lists_font(const std::string& font_list, const std::string& font);
// Picks the family from fc-list's output (one font per line, families separated by commas).
std::string pick_powerline_family(const std::string& font_list);
// True when a powerline-capable family is installed at the end. A file the default source does
// not serve (or serves altered) fails with a message on getting the files another way.
bool install_font(bool assume_yes);
