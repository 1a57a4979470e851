// Colour-blind palettes: the values each one stores in the settings, what it leaves alone, and the
// palette command that stores them and then applies them.
#include <set>
#include <string>
#include <vector>

#include "cli/cli_helpers.h"
#include "presets/palettes.h"
#include "settings/catalogue.h"
#include "settings/settings_file.h"
#include "settings/value_access.h"
#include "test_support.h"

namespace {

// The palette table as the user documentation gives it; kept here as literal text so that a
// changed colour in the program shows up as a failure. A null marker: the marker is not changed.
struct PaletteRow {
  const char* name;
  const char* light;
  const char* dark;
  const char* marker;
};

const PaletteRow kPalettes[] = {
    {"okabe", "#B05A00", "#E69F00", nullptr},       {"protan", "#0B5FA5", "#6CB4F5", nullptr},
    {"deutan", "#8F5B00", "#F2C14E", nullptr},      {"tritan", "#B3263A", "#FF7F8E", nullptr},
    {"achroma", "#6E6E6E", "#A8A8A8", "underline"}, {"tol", "#AA3377", "#EE99AA", nullptr},
    {"contrast", "#7A3E00", "#FFD43B", nullptr},    {"classic", "#B22222", "#FF6B6B", nullptr},
};

const char kPaletteList[] =
    "palettes: okabe, protan, deutan, tritan, achroma, tol, contrast, classic\n";

// The keys a palette may change.
bool palette_key(int index) {
  const Setting& row = setting_at(index);
  return row.section == "sidebar" &&
         (row.key == "readonly_color_light" || row.key == "readonly_color_dark" ||
          row.key == "readonly_italic" || row.key == "readonly_marker");
}

std::vector<std::string> all_values() {
  std::vector<std::string> values;
  for (int i = 0; i < setting_count(); ++i)
    values.push_back(stored_value(i));
  return values;
}

std::string sidebar(const char* key) {
  return get_value("sidebar", key);
}

using PalettesTest = TempHomeTest;

TEST_F(PalettesTest, EveryPaletteStoresItsColoursItalicAndMarker) {
  for (const PaletteRow& palette : kPalettes) {
    SCOPED_TRACE(palette.name);
    for (const char* italic : {"false", "true"}) {
      for (const char* enabled : {"false", "true"}) {
        reset_all_to_defaults();
        // Every other setting away from its default too, so that a stray write shows.
        set_value("pathbar.shape", "pill");
        set_value("terminal.symbol", "%");
        set_value("panes.max_panes", "3");
        set_value("sidebar.readonly_italic", italic);
        set_value("sidebar.readonly_enabled", enabled);
        set_value("sidebar.readonly_marker", "lock");
        set_value("sidebar.readonly_color_light", "#010203");
        set_value("sidebar.readonly_color_dark", "#040506");
        const std::vector<std::string> before = all_values();

        ASSERT_TRUE(apply_palette(palette.name));
        EXPECT_EQ(sidebar("readonly_color_light"), palette.light);
        EXPECT_EQ(sidebar("readonly_color_dark"), palette.dark);
        EXPECT_EQ(sidebar("readonly_italic"), "true");
        EXPECT_EQ(sidebar("readonly_marker"), palette.marker ? palette.marker : "lock");
        // Choosing a palette never switches the cue on or off.
        EXPECT_EQ(sidebar("readonly_enabled"), enabled);
        for (int i = 0; i < setting_count(); ++i) {
          if (palette_key(i)) continue;
          EXPECT_EQ(stored_value(i), before[i]) << setting_name(i);
        }
      }
    }
  }
}

TEST_F(PalettesTest, OkabeIsTheDefaultColours) {
  const Setting& light = setting_at(find_setting("sidebar", "readonly_color_light"));
  const Setting& dark = setting_at(find_setting("sidebar", "readonly_color_dark"));
  EXPECT_EQ(light.default_value, "#B05A00");
  EXPECT_EQ(dark.default_value, "#E69F00");
  set_value("sidebar.readonly_color_light", "#123456");
  set_value("sidebar.readonly_color_dark", "#ABCDEF");
  ASSERT_TRUE(apply_palette("okabe"));
  EXPECT_EQ(sidebar("readonly_color_light"), light.default_value);
  EXPECT_EQ(sidebar("readonly_color_dark"), dark.default_value);
}

TEST_F(PalettesTest, UnknownNamesAndOtherLetterCasesChangeNothing) {
  set_value("sidebar.readonly_italic", "false");
  set_value("sidebar.readonly_marker", "lock");
  set_value("sidebar.readonly_color_light", "#010203");
  const std::vector<std::string> before = all_values();
  for (const char* name : {"Okabe", "OKABE", "Achroma", "okabe ", " okabe", "okab", "okabes", "",
                           "nosuch", "okabe,protan", "palettes", "none"}) {
    EXPECT_FALSE(apply_palette(name)) << '"' << name << '"';
    EXPECT_EQ(all_values(), before) << '"' << name << '"';
  }
}

TEST_F(PalettesTest, MarkerOfAchromaStaysWhenAnotherPaletteFollows) {
  ASSERT_EQ(sidebar("readonly_marker"), "none");
  ASSERT_TRUE(apply_palette("achroma"));
  EXPECT_EQ(sidebar("readonly_marker"), "underline");
  ASSERT_TRUE(apply_palette("okabe"));
  EXPECT_EQ(sidebar("readonly_marker"), "underline");
  EXPECT_EQ(sidebar("readonly_color_light"), "#B05A00");
  ASSERT_TRUE(apply_palette("classic"));
  EXPECT_EQ(sidebar("readonly_marker"), "underline");
  EXPECT_EQ(sidebar("readonly_color_dark"), "#FF6B6B");
}

const std::string kSidebarNote =
    "the stock Nemo shows sidebar settings only with fennick's extension: fennick "
    "extension-install\n";

TEST_F(PalettesTest, CommandStoresAndAppliesThePalette) {
  const RunResult run = run_fennick({"palette", "achroma"});
  EXPECT_EQ(run.status, 0) << run.err;
  // No Nemo here follows the read-only colours by itself: the line after says what would.
  EXPECT_EQ(run.out, "palette applied\n" + kSidebarNote);
  EXPECT_EQ(run.err, "");
  EXPECT_EQ(folder_entries(config()), generated_files());
  EXPECT_EQ(read_file(settings_file()),
            settings_text_with({{"sidebar.readonly_color_light", "#6E6E6E"},
                                {"sidebar.readonly_color_dark", "#A8A8A8"},
                                {"sidebar.readonly_marker", "underline"}}));

  // The next palette starts from the saved settings: the marker of achroma stays, and a cue
  // switched off stays off.
  ASSERT_EQ(run_fennick({"set", "readonly_enabled", "false", "readonly_italic", "false"}).status,
            0);
  const RunResult tol = run_fennick({"palette", "tol"});
  EXPECT_EQ(tol.status, 0) << tol.err;
  EXPECT_EQ(tol.out, "palette applied\n" + kSidebarNote);
  EXPECT_EQ(read_file(settings_file()),
            settings_text_with({{"sidebar.readonly_enabled", "false"},
                                {"sidebar.readonly_color_light", "#AA3377"},
                                {"sidebar.readonly_color_dark", "#EE99AA"},
                                {"sidebar.readonly_marker", "underline"}}));
  EXPECT_EQ(run_fennick({"get", "readonly_italic"}).out, "true\n");
}

TEST_F(PalettesTest, CommandTakesTheNameInAnyLetterCase) {
  for (const char* name : {"OKABE", "Protan", "dEuTaN"}) {
    const RunResult run = run_fennick({"palette", name});
    EXPECT_EQ(run.status, 0) << name << ": " << run.err;
    EXPECT_EQ(split_lines(run.out)[0], "palette applied") << name;
    EXPECT_EQ(run.err, "") << name;
  }
  EXPECT_EQ(run_fennick({"get", "readonly_color_light"}).out, "#8F5B00\n");
  EXPECT_EQ(run_fennick({"get", "readonly_color_dark"}).out, "#F2C14E\n");
  // The command word itself is lower-cased as well.
  EXPECT_EQ(run_fennick({"PALETTE", "Tritan"}).out, "palette applied\n" + kSidebarNote);
  EXPECT_EQ(run_fennick({"get", "readonly_color_light"}).out, "#B3263A\n");
}

TEST_F(PalettesTest, CommandWithoutOrWithAnUnknownNameListsThePalettes) {
  const std::vector<std::vector<std::string>> calls{{"palette"},
                                                    {"palette", ""},
                                                    {"palette", "nosuch"},
                                                    {"palette", "okabe "},
                                                    {"palette", "usage"}};
  // Without a settings file nothing is created.
  for (const auto& args : calls) {
    const RunResult run = run_fennick(args);
    EXPECT_EQ(run.status, 2) << args.back();
    EXPECT_EQ(run.out, "") << args.back();
    EXPECT_EQ(run.err, kPaletteList) << args.back();
    EXPECT_EQ(folder_entries(config()), std::set<std::string>{}) << args.back();
  }
  // With one, every file stays as it was.
  ASSERT_EQ(run_fennick({"set", "readonly_color_light", "#101010"}).status, 0);
  const std::string ini = read_file(settings_file());
  const std::string css = read_file(config() + "/fennick.css");
  for (const auto& args : calls) {
    const RunResult run = run_fennick(args);
    EXPECT_EQ(run.status, 2) << args.back();
    EXPECT_EQ(run.err, kPaletteList) << args.back();
    EXPECT_EQ(read_file(settings_file()), ini) << args.back();
    EXPECT_EQ(read_file(config() + "/fennick.css"), css) << args.back();
    EXPECT_EQ(folder_entries(config()), generated_files()) << args.back();
  }
}

TEST_F(PalettesTest, CommandEndsWithTheWriteError) {
  // A regular file where the configuration folder should be stops every user, root included.
  write_file(config(), "not a folder\n");
  const RunResult run = run_fennick({"palette", "okabe"});
  EXPECT_NE(run.status, 0);
  EXPECT_EQ(run.out, "");
  EXPECT_EQ(run.err.rfind("fennick: ", 0), 0u) << run.err;
  EXPECT_NE(run.err.find(config()), std::string::npos) << run.err;
  EXPECT_EQ(read_file(config()), "not a folder\n");
}

}  // namespace
