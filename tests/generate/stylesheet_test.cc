#include "generate/stylesheet.h"

#include <gtest/gtest.h>

#include "settings/settings_file.h"
#include "settings/value_access.h"
#include "test_support.h"

using StylesheetTest = TempHomeTest;

namespace {

const std::string kHeader =
    "/* fennick: generated from fennick.ini \xE2\x80\x94 edit the settings, not this file */\n";

std::string parts_of(const std::string& description) {
  FontParts parts = parse_font_description(description);
  return parts.family + "|" + parts.size + "|" + parts.weight + "|" + parts.style;
}

}  // namespace

TEST_F(StylesheetTest, DisabledGivesOnlyTheHeader) {
  EXPECT_EQ(generate_stylesheet(), kHeader);
  set_value("shape", "pill");
  set_value("selected_bg", "#E69F00");
  EXPECT_EQ(generate_stylesheet(), kHeader);
}

TEST_F(StylesheetTest, WorkedExamples) {
  set_value("pathbar.enabled", "true");
  EXPECT_EQ(generate_stylesheet(),
            kHeader +
                ".path-bar button, .path-bar.linked > button { border-style: solid; border-width: "
                "1px; border-radius: 3px; }\n");
  set_value("shape", "pill");
  set_value("spacing", "4");
  set_value("border_color", "#B05A00");
  set_value("normal_font", "Sans 10");
  set_value("selected_bg", "#E69F00");
  set_value("selected_height", "30");
  EXPECT_EQ(generate_stylesheet(),
            kHeader +
                ".path-bar button, .path-bar.linked > button { border-style: solid; border-width: "
                "1px; border-radius: 999px; border-color: #B05A00; margin: 0 2px; }\n"
                ".path-bar button label { font-family: \"Sans\"; font-size: 10pt; font-weight: "
                "normal; font-style: normal; }\n"
                ".path-bar button:checked { min-height: 30px; background-image: none; "
                "background-color: #E69F00; }\n");
}

TEST_F(StylesheetTest, ShapesAndSpacing) {
  set_value("pathbar.enabled", "true");
  const std::pair<const char*, const char*> shapes[] = {{"square", "0"},
                                                        {"soft", "4px"},
                                                        {"round", "10px"},
                                                        {"tab", "10px 10px 0 0"},
                                                        {"tab_bottom", "0 0 10px 10px"},
                                                        {"leaf", "14px 0 14px 0"},
                                                        {"leaf_reverse", "0 14px 0 14px"},
                                                        {"custom", "3px"}};
  for (const auto& [shape, radius] : shapes) {
    set_value("shape", shape);
    EXPECT_NE(generate_stylesheet().find(std::string(" border-radius: ") + radius + "; }"),
              std::string::npos)
        << shape;
  }
  const std::pair<const char*, const char*> margins[] = {
      {"1", "1px"}, {"2", "1px"}, {"3", "2px"}, {"4", "2px"}, {"24", "12px"}};
  for (const auto& [spacing, margin] : margins) {
    set_value("spacing", spacing);
    EXPECT_NE(generate_stylesheet().find(std::string(" margin: 0 ") + margin + "; }"),
              std::string::npos)
        << spacing;
  }
  set_value("spacing", "0");
  EXPECT_EQ(generate_stylesheet().find("margin"), std::string::npos);
}

TEST_F(StylesheetTest, StoredValuesArePastedAsTheyAre) {
  // A shape in another letter case can only come from a hand-made store value; the comparison
  // with the shape names stays exact.
  set_value("pathbar.enabled", "true");
  store_value(find_setting("pathbar", "shape"), "Pill");
  store_value(find_setting("pathbar", "border_width"), "");
  const std::string css = generate_stylesheet();
  EXPECT_NE(css.find(" border-width: px; border-radius: 3px;"), std::string::npos);
}

TEST_F(StylesheetTest, CrumbStates) {
  EXPECT_EQ(crumb_state_rules("", "", "", 0, false), "");
  EXPECT_EQ(crumb_state_rules("   ", "", "", 0, true),
            ".path-bar button:checked label { font-weight: normal; font-style: normal; }\n");
  EXPECT_EQ(crumb_state_rules("My \"Odd\" Font Bold Italic 9,5", "#FFFFFF", "", 0, false),
            ".path-bar button label { font-family: \"My Odd Font\"; font-size: 9.5pt; "
            "font-weight: bold; font-style: italic; color: #FFFFFF; }\n");
  EXPECT_EQ(crumb_state_rules("", "", "#000000", 12, false),
            ".path-bar button { min-height: 12px; background-image: none; background-color: "
            "#000000; }\n");
}

TEST_F(StylesheetTest, FontDescriptions) {
  EXPECT_EQ(parts_of("Sans Bold Italic 12"), "Sans|12|bold|italic");
  EXPECT_EQ(parts_of("DejaVu Sans Mono Semi-Bold 10,5"), "DejaVu Sans Mono|10.5|bold|");
  EXPECT_EQ(parts_of("Ubuntu Light"), "Ubuntu||300|");
  EXPECT_EQ(parts_of("Bold 11"), "sans-serif|11|bold|");
  EXPECT_EQ(parts_of("12"), "12|||");
  EXPECT_EQ(parts_of(""), "|||");
  EXPECT_EQ(parts_of("  \t "), "|||");
  EXPECT_EQ(parts_of("Sans 12.0"), "Sans|12||");
  EXPECT_EQ(parts_of("Sans 0.1234567890123456"), "Sans|0.123456789012346||");
  EXPECT_EQ(parts_of("Sans 007.50"), "Sans|7.5||");
  EXPECT_EQ(parts_of("Sans ,5"), "Sans|0.5||");
  EXPECT_EQ(parts_of("Sans 9.99999999999999999"), "Sans|10||");
  EXPECT_EQ(parts_of("Sans 123456789012345678"), "Sans|123456789012346000||");
  EXPECT_EQ(parts_of("Sans 0.000001234567890123456"), "Sans|0.00000123456789012346||");
  EXPECT_EQ(parts_of("Sans 0"), "Sans|0||");
  EXPECT_EQ(parts_of("Sans ."), "Sans .|||");
  EXPECT_EQ(parts_of("Sans 1.2.3"), "Sans 1.2.3|||");
  EXPECT_EQ(parts_of("Sans -5"), "Sans -5|||");
  EXPECT_EQ(parts_of("Sans 12pt"), "Sans 12pt|||");
  EXPECT_EQ(parts_of("Sans 1,2,3"), "Sans 1,2,3|||");
  // The leftmost of two weight words wins; an unknown word ends the walk.
  EXPECT_EQ(parts_of("Noto Light Bold 9"), "Noto|9|300|");
  EXPECT_EQ(parts_of("Noto Bold Condensed Italic"), "Noto Bold Condensed|||italic");
  EXPECT_EQ(parts_of("Sans  Bold 10"), "Sans|10|bold|");
  EXPECT_EQ(parts_of("Medium Regular Oblique"), "sans-serif|||italic");
}
