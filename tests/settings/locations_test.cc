#include "settings/locations.h"

#include <gtest/gtest.h>
#include <stdlib.h>

#include "test_support.h"

using LocationsTest = TempHomeTest;

TEST_F(LocationsTest, FennickDirIsUsedAsIs) {
  setenv("FENNICK_DIR", "/tmp/t", 1);
  EXPECT_EQ(config_dir(), "/tmp/t");
  EXPECT_EQ(settings_path(), "/tmp/t/fennick.ini");
  EXPECT_EQ(stylesheet_path(), "/tmp/t/fennick.css");
  EXPECT_EQ(prompt_script_path(), "/tmp/t/prompt.sh");
  setenv("FENNICK_DIR", "/tmp/x/", 1);
  EXPECT_EQ(settings_path(), "/tmp/x//fennick.ini");
}

TEST_F(LocationsTest, EmptyVariablesCountAsUnset) {
  setenv("FENNICK_DIR", "", 1);
  setenv("XDG_CONFIG_HOME", "/x", 1);
  EXPECT_EQ(config_dir(), "/x/fennick");
  setenv("XDG_CONFIG_HOME", "", 1);
  setenv("HOME", "/home/u", 1);
  EXPECT_EQ(config_dir(), "/home/u/.config/fennick");
  unsetenv("XDG_CONFIG_HOME");
  unsetenv("FENNICK_DIR");
  unsetenv("HOME");
  EXPECT_EQ(config_dir(), "/.config/fennick");
  EXPECT_EQ(home_dir(), "");
  unsetenv("FENNICK_PREFIX");
  EXPECT_EQ(prefix_dir(), "/.local/opt/fennick");
  setenv("FENNICK_PREFIX", "/opt/t", 1);
  EXPECT_EQ(prefix_dir(), "/opt/t");
}

TEST_F(LocationsTest, NothingIsCreated) {
  setenv("FENNICK_DIR", (home() + "/not/there").c_str(), 1);
  settings_path();
  stylesheet_path();
  prompt_script_path();
  prefix_dir();
  EXPECT_FALSE(file_exists(home() + "/not"));
}
