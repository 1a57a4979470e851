#include "settings/value_access.h"

#include <gtest/gtest.h>

#include "settings/catalogue.h"
#include "settings/settings_file.h"
#include "settings/settings_list.h"
#include "test_support.h"

using ValueAccessTest = TempHomeTest;

namespace {

// Runs set_setting and returns its problem as the command line prints it.
std::string set_and_capture(const std::string& name, const std::string& value, bool& stored) {
  std::string problem;
  testing::internal::CaptureStderr();
  stored = set_setting(name, value, problem);
  const std::string printed = testing::internal::GetCapturedStderr();
  EXPECT_EQ(printed, "");  // the caller reports
  return stored ? "" : "fennick: " + problem + "\n";
}

std::string normalized(const std::string& name, std::string value) {
  int index = resolve_setting_name(name);
  return normalize_value(index, value) ? value : "<rejected>";
}

}  // namespace

TEST_F(ValueAccessTest, NamesResolveBySectionOrUniqueKey) {
  EXPECT_EQ(resolve_setting_name("enabled"), -2);
  EXPECT_EQ(resolve_setting_name("panes.enabled"), find_setting("panes", "enabled"));
  EXPECT_EQ(resolve_setting_name("max_panes"), find_setting("panes", "max_panes"));
  EXPECT_EQ(resolve_setting_name("nosuch"), -1);
  EXPECT_EQ(resolve_setting_name("Terminal.Scope"), -1);
  EXPECT_EQ(resolve_setting_name("pathbar."), -1);
  EXPECT_EQ(resolve_setting_name(".shape"), -1);
  EXPECT_EQ(resolve_setting_name("a.b.c"), -1);
  EXPECT_EQ(resolve_setting_name(""), -1);
  EXPECT_EQ(find_setting("pathbar", "enabled"), 0);
}

TEST_F(ValueAccessTest, BooleansAndNumbers) {
  EXPECT_EQ(normalized("terminal.bold", "Yes"), "true");
  EXPECT_EQ(normalized("terminal.bold", "OFF"), "false");
  EXPECT_EQ(normalized("terminal.bold", "1"), "true");
  EXPECT_EQ(normalized("terminal.bold", " true"), "<rejected>");
  EXPECT_EQ(normalized("terminal.bold", ""), "<rejected>");
  EXPECT_EQ(normalized("max_panes", "1"), "2");
  EXPECT_EQ(normalized("max_panes", "13"), "12");
  EXPECT_EQ(normalized("max_panes", "+007"), "7");
  EXPECT_EQ(normalized("max_panes", "-2147483648"), "2");
  EXPECT_EQ(normalized("max_panes", "2147483648"), "<rejected>");
  EXPECT_EQ(normalized("max_panes", "99999999999999999999"), "<rejected>");
  for (const char* bad : {"x", "", "-", "+", " 5", "5 ", "0x10", "1e3", "5.0"}) {
    EXPECT_EQ(normalized("max_panes", bad), "<rejected>") << bad;
  }
  EXPECT_EQ(normalized("stats_max_entries", "2147483647"), "5000000");
}

TEST_F(ValueAccessTest, ColoursChoicesAndText) {
  EXPECT_EQ(normalized("color_user", "abcdef"), "#ABCDEF");
  EXPECT_EQ(normalized("color_user", "#e69f00"), "#E69F00");
  EXPECT_EQ(normalized("color_user", ""), "");
  EXPECT_EQ(normalized("color_user", "#abc"), "<rejected>");
  EXPECT_EQ(normalized("color_user", "ggggggg"), "<rejected>");
  EXPECT_EQ(normalized("color_user", "abcdeg"), "<rejected>");
  // Choice words are stored as the catalogue spells them, whatever case was typed.
  EXPECT_EQ(normalized("terminal.style", "Powerline"), "powerline");
  EXPECT_EQ(normalized("shape", "PILL"), "pill");
  EXPECT_EQ(normalized("shape", "Leaf_Reverse"), "leaf_reverse");
  EXPECT_EQ(normalized("scope", "NEMO"), "nemo");
  EXPECT_EQ(normalized("separator", "ASCII"), "ascii");
  EXPECT_EQ(normalized("cwd_style", "BASE"), "base");
  EXPECT_EQ(normalized("shape", ""), "<rejected>");
  EXPECT_EQ(normalized("shape", "pil"), "<rejected>");
  EXPECT_EQ(normalized("shape", "pill,"), "<rejected>");
  EXPECT_EQ(normalized("shape", "custom,square"), "<rejected>");
  // A value must fit on one line of the file: line feed and carriage return are both refused.
  for (const char* name : {"symbol", "normal_font", "key_copy"}) {
    EXPECT_EQ(normalized(name, "a\nb"), "<rejected>") << name;
    EXPECT_EQ(normalized(name, "a\rb"), "<rejected>") << name;
    EXPECT_EQ(normalized(name, "\r"), "<rejected>") << name;
    EXPECT_EQ(normalized(name, ""), "") << name;
    EXPECT_EQ(normalized(name, " x\t"), " x\t") << name;
  }
}

TEST_F(ValueAccessTest, ReadersNeverFail) {
  EXPECT_EQ(get_value("nosuch", "key"), "");
  EXPECT_FALSE(get_bool("nosuch", "key"));
  EXPECT_EQ(get_int("nosuch", "key"), 0);
  store_value(find_setting("terminal", "symbol"), "abc");
  EXPECT_EQ(get_int("terminal", "symbol"), 0);
  EXPECT_EQ(get_int("panes", "max_panes"), 6);
  EXPECT_TRUE(get_bool("terminal", "bold"));
  EXPECT_TRUE(is_hex_colour("#aBc123"));
  EXPECT_FALSE(is_hex_colour("#aBc12"));
  EXPECT_FALSE(is_hex_colour("aBc1234"));
}

TEST_F(ValueAccessTest, SetReportsEachProblemOnce) {
  bool stored;
  EXPECT_EQ(set_and_capture("enabled", "true", stored),
            "fennick: \"enabled\" is ambiguous; write one of: pathbar.enabled, panes.enabled\n");
  EXPECT_FALSE(stored);
  EXPECT_EQ(set_and_capture("nosuch", "1", stored),
            "fennick: unknown setting \"nosuch\"  (try: fennick list)\n");
  EXPECT_EQ(set_and_capture("terminal.bold", "maybe", stored),
            "fennick: bad value \"maybe\" for terminal.bold  (use true or false)\n");
  EXPECT_EQ(set_and_capture("max_panes", "x", stored),
            "fennick: bad value \"x\" for panes.max_panes  (a number from 2 to 12)\n");
  // normalize_value brings a number read from a file into its range; one given by name is refused.
  EXPECT_EQ(set_and_capture("max_panes", "13", stored),
            "fennick: bad value \"13\" for panes.max_panes  (a number from 2 to 12)\n");
  EXPECT_EQ(set_and_capture("terminal.color_user", "#abc", stored),
            "fennick: bad value \"#abc\" for terminal.color_user  (a colour like #E69F00, or "
            "empty for the theme colour)\n");
  EXPECT_EQ(set_and_capture("terminal.style", "fancy", stored),
            "fennick: bad value \"fancy\" for terminal.style  (one of: plain,powerline)\n");
  EXPECT_EQ(set_and_capture("terminal.symbol", "a\nb", stored),
            "fennick: bad value \"a\\nb\" for terminal.symbol\n");
  EXPECT_EQ(set_and_capture("key_copy", "a\rb", stored),
            "fennick: bad value \"a\\rb\" for terminal.key_copy  (a key combination like "
            "<Primary><Shift>F3)\n");
  EXPECT_FALSE(stored);
  EXPECT_EQ(settings_text(), (reset_all_to_defaults(), settings_text()));

  EXPECT_EQ(set_and_capture("terminal.bold", "Yes", stored), "");
  EXPECT_TRUE(stored);
  EXPECT_EQ(get_value("terminal", "bold"), "true");
  EXPECT_EQ(set_and_capture("terminal.color_user", "", stored), "");
  EXPECT_EQ(get_value("terminal", "color_user"), "");
}

TEST_F(ValueAccessTest, ListShowsPagesValuesAndDefaults) {
  testing::internal::CaptureStdout();
  print_settings_list("");
  const std::string all = testing::internal::GetCapturedStdout();
  const std::string start =
      "\n== Path bar ==\n"
      "  pathbar.enabled              = false                  \n"
      "  pathbar.border_style ";
  EXPECT_EQ(all.substr(0, start.size()), start);
  EXPECT_EQ(all.find("(default:"), std::string::npos);
  EXPECT_NE(all.find("\n\n== Terminal ==\n"), std::string::npos);
  EXPECT_NE(all.find("\n\n== Panes ==\n"), std::string::npos);
  EXPECT_NE(all.find("\n\n== Sidebar ==\n"), std::string::npos);
  // Long fields are written whole.
  EXPECT_NE(all.find("  sidebar.readonly_color_light = #B05A00                \n"),
            std::string::npos);
  EXPECT_NE(all.find("  terminal.template            = {user}@{host} {cwd}{git}{nl}{sym}  \n"),
            std::string::npos);

  store_value(find_setting("terminal", "symbol"), "#");
  store_value(find_setting("pathbar", "border_color"), "#123456");
  store_value(find_setting("terminal", "color_user"), "");
  for (const char* page : {"terminal", "Terminal", "TERMINAL"}) {
    testing::internal::CaptureStdout();
    print_settings_list(page);
    const std::string terminal = testing::internal::GetCapturedStdout();
    EXPECT_EQ(terminal.substr(0, 16), "\n== Terminal ==\n") << page;
    EXPECT_NE(
        terminal.find("  terminal.symbol              = #                      (default: $)\n"),
        std::string::npos);
    EXPECT_NE(terminal.find("  terminal.color_user          =                        "
                            "(default: #4EC9B0)\n"),
              std::string::npos);
    EXPECT_EQ(terminal.find("pathbar"), std::string::npos);
  }
  // The section name selects too, lower-cased like the title.
  for (const char* page : {"path bar", "pathbar", "PATHBAR"}) {
    testing::internal::CaptureStdout();
    print_settings_list(page);
    const std::string path_bar = testing::internal::GetCapturedStdout();
    EXPECT_NE(path_bar.find("= #123456                (default: )\n"), std::string::npos) << page;
  }
  testing::internal::CaptureStdout();
  print_settings_list("nosuch");
  EXPECT_EQ(testing::internal::GetCapturedStdout(), "");
}
