#include "presets/palettes.h"

#include "settings/settings_file.h"
#include "settings/value_access.h"

const char kPaletteNames[] = "okabe, protan, deutan, tritan, achroma, tol, contrast, classic";

namespace {

struct Palette {
  const char* name;
  const char* light;
  const char* dark;
  const char* marker;  // null: the marker is left as it is
};

const Palette kPalettes[] = {
    {"okabe", "#B05A00", "#E69F00", nullptr},       {"protan", "#0B5FA5", "#6CB4F5", nullptr},
    {"deutan", "#8F5B00", "#F2C14E", nullptr},      {"tritan", "#B3263A", "#FF7F8E", nullptr},
    {"achroma", "#6E6E6E", "#A8A8A8", "underline"}, {"tol", "#AA3377", "#EE99AA", nullptr},
    {"contrast", "#7A3E00", "#FFD43B", nullptr},    {"classic", "#B22222", "#FF6B6B", nullptr},
};

}  // namespace

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
