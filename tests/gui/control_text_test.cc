// How the window shows key combinations and turns a colour chooser's channels into a colour.
#include <gtest/gtest.h>

#include <limits>

#include "gui/control_text.h"

TEST(FormatAccelerator, NamesTheModifiersAsTheKeyboardShowsThem) {
  EXPECT_EQ(format_accelerator("<Primary><Shift>c"), "Ctrl+Shift+c");
  EXPECT_EQ(format_accelerator("<Control><Alt>Delete"), "Ctrl+Alt+Delete");
  EXPECT_EQ(format_accelerator("<Ctrl>F5"), "Ctrl+F5");
  EXPECT_EQ(format_accelerator("<Mod1>x"), "Alt+x");
  EXPECT_EQ(format_accelerator("<Meta>x"), "Alt+x");
  EXPECT_EQ(format_accelerator("<Super>e"), "Super+e");
  EXPECT_EQ(format_accelerator("<Mod4>e"), "Super+e");
  // Modifier names are compared without regard to letter case.
  EXPECT_EQ(format_accelerator("<PRIMARY><sHiFt>v"), "Ctrl+Shift+v");
}

TEST(FormatAccelerator, KeepsKeysAndUnknownModifiersAsWritten) {
  EXPECT_EQ(format_accelerator("F3"), "F3");
  EXPECT_EQ(format_accelerator("Tab"), "Tab");
  EXPECT_EQ(format_accelerator("<Hyper>x"), "Hyper+x");
  EXPECT_EQ(format_accelerator("<Release><Shift>Tab"), "Release+Shift+Tab");
  EXPECT_EQ(format_accelerator(""), "");
  // Only the first character decides between key name and modifier: a later "<" is key text.
  EXPECT_EQ(format_accelerator("a<b>"), "a<b>");
}

TEST(FormatAccelerator, DropsAnUnterminatedModifier) {
  EXPECT_EQ(format_accelerator("<Primary"), "");
  EXPECT_EQ(format_accelerator("<Shift><Prim"), "Shift+");
  EXPECT_EQ(format_accelerator("<>x"), "+x");
}

TEST(ColourText, RoundsHalvesToTheEvenNeighbour) {
  EXPECT_EQ(colour_text(0.5, 0.5, 0.5), "#808080");  // 127.5
  EXPECT_EQ(colour_text(126.5 / 255, 128.5 / 255, 1.5 / 255), "#7E8002");
  EXPECT_EQ(colour_text(254.5 / 255, 0.5 / 255, 2.5 / 255), "#FE0002");
  EXPECT_EQ(colour_text(126.6 / 255, 126.4 / 255, 0.1), "#7F7E1A");
}

TEST(ColourText, WritesUpperCaseDigitsAndStaysInRange) {
  EXPECT_EQ(colour_text(171 / 255.0, 205 / 255.0, 239 / 255.0), "#ABCDEF");
  EXPECT_EQ(colour_text(0, 0, 0), "#000000");
  EXPECT_EQ(colour_text(1, 1, 1), "#FFFFFF");
  EXPECT_EQ(colour_text(-0.5, 1.5, 1e300), "#00FFFF");
  const double nan = std::numeric_limits<double>::quiet_NaN();
  const double infinity = std::numeric_limits<double>::infinity();
  EXPECT_EQ(colour_text(nan, infinity, -infinity), "#00FF00");
}
