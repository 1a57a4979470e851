// The path-bar stylesheet fennick.css, generated from the pathbar settings.
#pragma once

#include <string>

struct FontParts {
  std::string family;
  std::string size;    // decimal number, point as separator, no unit
  std::string weight;  // empty, "bold" or "300"
  std::string style;   // empty or "italic"
};

std::string generate_stylesheet();
std::string crumb_state_rules(const std::string& font, const std::string& colour,
                              const std::string& background, int height, bool selected);
FontParts parse_font_description(const std::string& description);
