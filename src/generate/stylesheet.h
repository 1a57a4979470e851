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
// The same rules with every selector scoped to the Nemo window (".nemo-window " before each), so
// that GTK's user stylesheet can carry them without restyling other programs' path bars.
std::string generate_nemo_stylesheet();
// Puts scope and a blank before every selector of the rules in css (one rule a line, as
// generate_stylesheet writes them); comment lines stay as they are.
std::string scoped_rules(const std::string& css, const std::string& scope);
std::string crumb_state_rules(const std::string& font, const std::string& colour,
                              const std::string& background, int height, bool selected);
FontParts parse_font_description(const std::string& description);
