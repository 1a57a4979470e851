#include "fonts/powerline_font.h"

#include <gtest/gtest.h>
#include <stdlib.h>

#include "test_support.h"

namespace {

TEST(PickPowerlineFamilyTest, AnExactMesloMatchWinsWhereverItIsListed) {
  EXPECT_EQ(pick_powerline_family("DejaVu Sans Mono,DejaVu Sans Mono Book\n"
                                  "MesloLGS NF,MesloLGS NF Regular\n"),
            "MesloLGS NF");
  EXPECT_EQ(pick_powerline_family("Hack Nerd Font Mono\nMesloLGS Nerd Font Mono\n"),
            "MesloLGS Nerd Font Mono");
  // Case-insensitive, but returned as written; the first exact match is taken.
  EXPECT_EQ(pick_powerline_family("Symbols Nerd Font\nMESLOLGS NF\nMesloLGS NF\n"), "MESLOLGS NF");
  EXPECT_EQ(pick_powerline_family("meslolgs nerd font MONO,Other\n"), "meslolgs nerd font MONO");
}

TEST(PickPowerlineFamilyTest, ElseTheFirstMonoOrNfFamily) {
  EXPECT_EQ(pick_powerline_family("Symbols Nerd Font\nHack Nerd Font Mono\n"),
            "Hack Nerd Font Mono");
  EXPECT_EQ(pick_powerline_family("Symbols Nerd Font\nFira Code NF\nHack Nerd Font Mono\n"),
            "Fira Code NF");
  // "Mono" is a case-sensitive part of the name, " NF" needs its blank; neither needs to end
  // the name.
  EXPECT_EQ(pick_powerline_family("Symbols\nSome mono\nFooNF\nMonoid Retina\n"), "Monoid Retina");
  EXPECT_EQ(pick_powerline_family("Symbols\nJetBrains NF Light\n"), "JetBrains NF Light");
  // Only the first family of a line counts.
  EXPECT_EQ(pick_powerline_family("Symbols Nerd Font,Symbols Mono\nSecond\n"), "Symbols Nerd Font");
}

TEST(PickPowerlineFamilyTest, ElseTheFirstFamilyListed) {
  EXPECT_EQ(pick_powerline_family("Symbols Nerd Font\n"), "Symbols Nerd Font");
  EXPECT_EQ(pick_powerline_family("Powerline Symbols\nSymbols Nerd Font\n"), "Powerline Symbols");
}

TEST(PickPowerlineFamilyTest, BlanksAndEmptyLinesAreSkipped) {
  EXPECT_EQ(pick_powerline_family(""), "");
  EXPECT_EQ(pick_powerline_family("\n\n \t\r\n"), "");
  EXPECT_EQ(pick_powerline_family("\n  \t Symbols Nerd Font \r\n"), "Symbols Nerd Font");
  EXPECT_EQ(pick_powerline_family("\r\n\tMesloLGS NF\t ,MesloLGS NF Regular\r\n"), "MesloLGS NF");
  // fc-list's last line may lack its line end.
  EXPECT_EQ(pick_powerline_family("Symbols\nHack Nerd Font Mono"), "Hack Nerd Font Mono");
}

using PowerlineFontLocationsTest = TempHomeTest;

TEST_F(PowerlineFontLocationsTest, FontDirFollowsTheDataFolder) {
  setenv("XDG_DATA_HOME", "/data/x", 1);
  EXPECT_EQ(font_dir(), "/data/x/fonts/fennick");
  setenv("XDG_DATA_HOME", "", 1);
  setenv("HOME", "/home/u", 1);
  EXPECT_EQ(font_dir(), "/home/u/.local/share/fonts/fennick");
  unsetenv("XDG_DATA_HOME");
  EXPECT_EQ(font_dir(), "/home/u/.local/share/fonts/fennick");
  // A relative data folder is ignored.
  setenv("XDG_DATA_HOME", "data/x", 1);
  EXPECT_EQ(font_dir(), "/home/u/.local/share/fonts/fennick");
  EXPECT_FALSE(file_exists(home() + "/.local/share/fonts"));
}

TEST_F(PowerlineFontLocationsTest, FontSourceIsTheOverrideAsGivenElseTheDefault) {
  unsetenv("FENNICK_FONT_URL");
  const std::string fallback = font_source_base();
  EXPECT_EQ(fallback.rfind("https://", 0), 0u) << fallback;
  EXPECT_NE(fallback.back(), '/');
  setenv("FENNICK_FONT_URL", "", 1);
  EXPECT_EQ(font_source_base(), fallback);
  setenv("FENNICK_FONT_URL", "http://127.0.0.1:8/f/", 1);
  EXPECT_EQ(font_source_base(), "http://127.0.0.1:8/f/");
  setenv("FENNICK_FONT_URL", "file:///srv/fonts", 1);
  EXPECT_EQ(font_source_base(), "file:///srv/fonts");
  unsetenv("FENNICK_FONT_URL");
}

}  // namespace
