#include "presets/palettes.h"

#include <iterator>

#include "settings/settings_file.h"
#include "settings/value_access.h"

const Palette kPalettes[] = {
    {"okabe", "General colour-blind safe: orange / amber (Okabe-Ito, default)", "#B05A00",
     "#E69F00", nullptr},
    {"protan", "Protanopia / protanomaly (red-blind / red-weak): blue", "#0B5FA5", "#6CB4F5",
     nullptr},
    {"deutan", "Deuteranopia / deuteranomaly (green-blind / green-weak): amber and yellow",
     "#8F5B00", "#F2C14E", nullptr},
    {"tritan", "Tritanopia / tritanomaly (blue-yellow): crimson and pink", "#B3263A", "#FF7F8E",
     nullptr},
    {"achroma", "Achromatopsia / monochromacy (no colour): grey + italic + underline", "#6E6E6E",
     "#A8A8A8", "underline"},
    {"tol", "Rose (Paul Tol)", "#AA3377", "#EE99AA", nullptr},
    {"contrast", "High contrast brown / yellow", "#7A3E00", "#FFD43B", nullptr},
    {"classic", "Classic red (not colour-blind safe)", "#B22222", "#FF6B6B", nullptr},
};
const size_t kPaletteCount = std::size(kPalettes);

const char* const kPaletteKeys[] = {"readonly_color_light", "readonly_color_dark",
                                    "readonly_italic", "readonly_marker"};
const size_t kPaletteKeyCount = std::size(kPaletteKeys);

std::string palette_names() {
  std::string names;
  for (const Palette& palette : kPalettes) {
    if (!names.empty()) names += ", ";
    names += palette.name;
  }
  return names;
}

bool apply_palette(const std::string& name) {
  for (const Palette& palette : kPalettes) {
    if (name != palette.name) continue;
    store_value(find_setting("sidebar", "readonly_color_light"), palette.light);
    store_value(find_setting("sidebar", "readonly_color_dark"), palette.dark);
    store_value(find_setting("sidebar", "readonly_italic"), "true");
    if (palette.marker) store_value(find_setting("sidebar", "readonly_marker"), palette.marker);
    return true;
  }
  return false;
}
