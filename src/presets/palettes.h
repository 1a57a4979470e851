// Colour-blind palettes for the sidebar's cue on folders the user cannot write to: one table of
// their names, what the window calls them and the values they set.
#pragma once

#include <cstddef>
#include <string>

struct Palette {
  const char* name;
  const char* description;  // as the window lists it
  const char* light;
  const char* dark;
  const char* marker;  // null: the marker is left as it is
};

// The palettes in table order.
extern const Palette kPalettes[];
extern const size_t kPaletteCount;
// The keys (section sidebar) that a palette may change.
extern const char* const kPaletteKeys[];
extern const size_t kPaletteKeyCount;

// The palette names in table order, joined by ", ".
std::string palette_names();

// Stores the palette's values (not saved); false, with nothing changed, for an unknown name.
bool apply_palette(const std::string& name);
