#include "settings/settings_file.h"

#include <gtest/gtest.h>

#include "settings/catalogue.h"
#include "settings/locations.h"
#include "settings/value_access.h"
#include "test_support.h"

using SettingsFileTest = TempHomeTest;

namespace {

int32_t read_text(const std::string& text) {
  return read_settings_text(text);
}

}  // namespace

TEST_F(SettingsFileTest, DefaultFileLayout) {
  EXPECT_EQ(settings_text(), kDefaultSettingsFile);
}

TEST_F(SettingsFileTest, DefaultsReadBackUnchanged) {
  const std::string text = settings_text();
  EXPECT_EQ(read_text(text), 0);
  for (int i = 0; i < setting_count(); ++i)
    EXPECT_EQ(stored_value(i), setting_at(i).default_value);
}

TEST_F(SettingsFileTest, EscapingOfValues) {
  EXPECT_EQ(escape_value(" a b "), "\\sa b\\s");
  EXPECT_EQ(escape_value("   "), "\\s\\s\\s");
  EXPECT_EQ(escape_value("a\\\nb"), "a\\\\\\nb");
  EXPECT_EQ(escape_value("  x"), "\\s x");
  EXPECT_EQ(escape_value("tab\t\r"), "tab\t\r");
  EXPECT_EQ(escape_value(""), "");
  EXPECT_EQ(unescape_value("x\\q"), "xq");
  EXPECT_EQ(unescape_value("end\\"), "end\\");
  EXPECT_EQ(unescape_value("\\\\n"), "\\n");
  EXPECT_EQ(unescape_value("a\\sb\\nc"), "a b\nc");
}

TEST_F(SettingsFileTest, ValuesSurviveWriteAndRead) {
  const std::string values[] = {" a b ",       "   ",           "a\\b\\\\c",
                                "x=y=z",       "{user}\\n{nl}", "caf\xC3\xA9 \xE2\x9C\x93",
                                "\\s literal", "trailing\\",    "#;["};
  const int symbol = find_setting("terminal", "symbol");
  for (const std::string& value : values) {
    store_value(symbol, value);
    const std::string text = settings_text();
    reset_all_to_defaults();
    EXPECT_EQ(read_text(text), 0) << value;
    EXPECT_EQ(stored_value(symbol), value);
  }
}

TEST_F(SettingsFileTest, LinesNotUnderstoodAreCountedAndSkipped) {
  EXPECT_EQ(read_text("[ pathbar ]\nshape=pill\n[PATHBAR]\nshape=pill\n"), 2);
  EXPECT_EQ(get_value("pathbar", "shape"), "custom");
  EXPECT_EQ(read_text("spacing=3\n[pathbar]\nshape\n=x\nnosuch=1\nborder_width=abc\n"), 5);
  EXPECT_EQ(get_value("pathbar", "spacing"), "0");
  EXPECT_EQ(get_value("pathbar", "border_width"), "1");
  EXPECT_EQ(read_text("# comment\n; comment\n\n   \n[anything at all]\n"), 0);
}

TEST_F(SettingsFileTest, LinesAreReadLikeTheUserMeantThem) {
  EXPECT_EQ(read_text("[pathbar]\r\n  enabled = yes \r\nborder_width=99\rshape=PILL\n"
                      "[terminal]\ntemplate=a=b\nsymbol=first\nsymbol=\\s>\\s\n"),
            0);
  EXPECT_EQ(get_value("pathbar", "enabled"), "true");
  EXPECT_EQ(get_value("pathbar", "border_width"), "8");
  EXPECT_EQ(get_value("pathbar", "shape"), "pill");
  EXPECT_EQ(get_value("terminal", "template"), "a=b");
  EXPECT_EQ(get_value("terminal", "symbol"), " > ");
}

TEST_F(SettingsFileTest, OnlySpacesAreProtectedAtTheEnds) {
  const int symbol = find_setting("terminal", "symbol");
  store_value(symbol, "\tx\t");
  const std::string text = settings_text();
  read_text(text);
  EXPECT_EQ(stored_value(symbol), "x");
}

TEST_F(SettingsFileTest, BytesThatAreNotTextDoNotBreakReading) {
  using namespace std::string_literals;
  const std::string text =
      "[terminal]\nsymbol=a\0b\xff\n\0\0\0\nno\0equals\n[pathbar]\nspacing=\x01"
      "5\x01\n\0"s;
  EXPECT_EQ(read_text(text), 1);
  EXPECT_EQ(get_value("terminal", "symbol"), std::string("a\0b\xff", 4));
  EXPECT_EQ(get_value("pathbar", "spacing"), "5");
}

TEST_F(SettingsFileTest, MissingFileIsNotAnError) {
  const ReadResult result = read_settings_file(home() + "/none.ini");
  EXPECT_FALSE(result.existed);
  EXPECT_EQ(result.not_understood, 0);
}

TEST_F(SettingsFileTest, UnreadableFileIsAnError) {
  make_dir(home() + "/dir.ini");
  try {
    read_settings_file(home() + "/dir.ini");
    FAIL() << "no error";
  } catch (const std::runtime_error& error) {
    EXPECT_EQ(std::string(error.what()),
              "Unable to open file \"" + home() + "/dir.ini\": Is a directory");
  }
}

TEST_F(SettingsFileTest, OldPaneKeysAreMigratedOnceAndWritten) {
  write_file(settings_path(),
             "[panes]\nkey_add=<Primary><Shift>F3\nkey_remove=<Primary><Shift>F4\n"
             "key_left=<Primary><Shift>F5\nkey_right=<Primary><Shift>F6\n");
  load_settings();
  EXPECT_EQ(get_value("panes", "key_add"), "F3");
  EXPECT_EQ(get_value("panes", "key_right"), "F6");
  save_if_migrated();
  EXPECT_EQ(read_file(settings_path()), settings_text());
  EXPECT_NE(read_file(settings_path()).find("\nkey_left=F5\n"), std::string::npos);
}

TEST_F(SettingsFileTest, NoFileMeansNothingToMigrate) {
  load_settings();
  save_if_migrated();
  EXPECT_FALSE(file_exists(settings_path()));
}
