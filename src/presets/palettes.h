// Colour-blind palettes for the sidebar's cue on folders the user cannot write to.
#pragma once

#include <string>

// The palette names in table order, joined by ", ".
extern const char kPaletteNames[];

// Stores the palette's values (not saved); false, with nothing changed, for an unknown name.
bool apply_palette(const std::string& name);
