// How the window shows and reads values that GTK holds in its own form. No GTK here.
#pragma once

#include <string>

// "<Primary><Shift>c" as "Ctrl+Shift+c".
std::string format_accelerator(const std::string& value);
// A colour chooser's channels (0.0 to 1.0) as "#RRGGBB"; halves round to the even neighbour.
std::string colour_text(double red, double green, double blue);
