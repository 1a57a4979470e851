#include "settings/locations.h"

#include <gtest/gtest.h>
#include <stdlib.h>

#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "cli/cli_helpers.h"
#include "test_support.h"

using LocationsTest = TempHomeTest;

namespace {

const char kNoHome[] = "HOME is not set to an absolute folder; fennick keeps its files under it";
const char kHomeBreak[] = "HOME holds a line break; fennick does not use such a folder";
const char kPrefixBreak[] = "FENNICK_PREFIX holds a line break; fennick does not use such a folder";

// HOME as given; nullptr unsets it.
void set_home(const char* value) {
  if (value) {
    setenv("HOME", value, 1);
  } else {
    unsetenv("HOME");
  }
}

}  // namespace

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
  EXPECT_EQ(config_dir(), "/home/u/.config/fennick");
  setenv("XDG_DATA_HOME", "", 1);
  EXPECT_EQ(data_dir(), "/home/u/.local/share");
  unsetenv("FENNICK_PREFIX");
  EXPECT_EQ(prefix_dir(), "/home/u/.local/opt/fennick");
  setenv("FENNICK_PREFIX", "/opt/t", 1);
  EXPECT_EQ(prefix_dir(), "/opt/t");
}

TEST_F(LocationsTest, RelativeXdgFoldersFallBackToTheirDefaults) {
  setenv("HOME", "/home/u", 1);
  unsetenv("FENNICK_DIR");
  for (const char* relative : {"cfg", "./cfg", "~/cfg", " /cfg"}) {
    setenv("XDG_CONFIG_HOME", relative, 1);
    setenv("XDG_DATA_HOME", relative, 1);
    EXPECT_EQ(config_dir(), "/home/u/.config/fennick") << relative;
    EXPECT_EQ(data_dir(), "/home/u/.local/share") << relative;
  }
  setenv("XDG_DATA_HOME", "/data", 1);
  EXPECT_EQ(data_dir(), "/data");
}

// Relative names of the program's own folders mean the current folder, and every path written
// into a file (here the hook line in ~/.bashrc) is absolute.
TEST_F(LocationsTest, RelativeProgramFoldersAreTakenFromTheCurrentFolder) {
  const std::filesystem::path previous = std::filesystem::current_path();
  std::filesystem::current_path(home());
  setenv("FENNICK_DIR", "fkrel", 1);
  setenv("FENNICK_PREFIX", "opt/p", 1);
  setenv("FENNICK_SHARE", "./s", 1);
  EXPECT_EQ(config_dir(), home() + "/fkrel");
  EXPECT_EQ(prefix_dir(), home() + "/opt/p");
  EXPECT_EQ(share_dir(), home() + "/./s");
  const RunResult run = run_fennick({"prompt-install"});
  std::filesystem::current_path(previous);
  EXPECT_EQ(run.status, 0) << run.err;
  EXPECT_NE(read_file(home() + "/.bashrc").find("[ -r \"" + home() + "/fkrel/prompt.sh\" ]"),
            std::string::npos)
      << read_file(home() + "/.bashrc");
}

// The places the desktop reads lie below the data folder, wherever that is; the installer's
// folder stays where fennick-install.sh puts it.
TEST_F(LocationsTest, DesktopPlacesFollowTheDataFolder) {
  setenv("HOME", "/home/u", 1);
  unsetenv("FENNICK_SHARE");
  struct Case {
    const char* data_home;  // nullptr: unset
    const char* data;
  };
  const Case cases[] = {
      {nullptr, "/home/u/.local/share"},
      {"", "/home/u/.local/share"},
      {"relative", "/home/u/.local/share"},
      {"/srv/data", "/srv/data"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.data_home ? c.data_home : "(unset)");
    if (c.data_home) {
      setenv("XDG_DATA_HOME", c.data_home, 1);
    } else {
      unsetenv("XDG_DATA_HOME");
    }
    const std::string data = c.data;
    EXPECT_EQ(user_desktop_entry_path(), data + "/applications/nemo.desktop");
    EXPECT_EQ(nemo_service_path(), data + "/dbus-1/services/org.Nemo.service");
    EXPECT_EQ(file_manager_service_path(),
              data + "/dbus-1/services/org.freedesktop.FileManager1.service");
    EXPECT_EQ(action_file_path(), data + "/nemo/actions/fennick.nemo_action");
    EXPECT_EQ(font_dir(), data + "/fonts/fennick");
    EXPECT_EQ(installer_script_path(), "/home/u/.local/share/fennick/fennick-install.sh");
  }
  setenv("FENNICK_SHARE", "/opt/share", 1);
  EXPECT_EQ(installer_script_path(), "/opt/share/fennick-install.sh");
}

// Every place below the home folder needs it absolute and on one line; places that do not
// lie below it work without it.
TEST_F(LocationsTest, HomeMustBeAnAbsoluteFolderOnOneLine) {
  unsetenv("FENNICK_PREFIX");
  unsetenv("XDG_CONFIG_HOME");
  unsetenv("XDG_DATA_HOME");
  struct Case {
    const char* home;
    const char* error;
  };
  const Case cases[] = {
      {nullptr, kNoHome},        {"", kNoHome},  {"home/u", kNoHome},
      {"./u", kNoHome},          {"~", kNoHome}, {"/home/u\nExec=evil", kHomeBreak},
      {"/home/u\r", kHomeBreak}, {"/", nullptr}, {"/home/u", nullptr},
  };
  const std::vector<std::function<std::string()>> below_home = {
      home_dir, prefix_dir, data_dir, tuned_nemo_path, nemo_service_path, font_dir, [] {
        return config_dir();
      }};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.home ? c.home : "(unset)");
    set_home(c.home);
    unsetenv("FENNICK_DIR");
    for (const auto& place : below_home) {
      const Outcome outcome = captured([&] { place(); });
      EXPECT_EQ(outcome.error, c.error ? c.error : "");
    }
    setenv("FENNICK_DIR", "/tmp/t", 1);
    setenv("FENNICK_PREFIX", "/opt/t", 1);
    EXPECT_EQ(settings_path(), "/tmp/t/fennick.ini");
    EXPECT_EQ(prefix_dir(), "/opt/t");
    unsetenv("FENNICK_PREFIX");
  }
}

TEST_F(LocationsTest, PrefixWithALineBreakIsRefused) {
  for (const char* prefix : {"/opt/t\nX-Injected=1", "/opt/t\r", "\n"}) {
    setenv("FENNICK_PREFIX", prefix, 1);
    EXPECT_EQ(captured([] { prefix_dir(); }).error, kPrefixBreak);
  }
}

TEST_F(LocationsTest, NothingIsCreated) {
  setenv("FENNICK_DIR", (home() + "/not/there").c_str(), 1);
  settings_path();
  stylesheet_path();
  prompt_script_path();
  prefix_dir();
  data_dir();
  EXPECT_FALSE(file_exists(home() + "/not"));
}

// The built program: a home it cannot use stops the commands that need one with that message,
// before anything is written; those that do not need one go on working.
TEST_F(LocationsTest, TheProgramRefusesAnUnusableHomeOnlyWhereItNeedsOne) {
  const std::string evil_home = home() + "/h\nExec=/bin/evil";
  make_dir(evil_home);
  struct Case {
    const char* home;
    const char* prefix;  // nullptr: unset
    std::vector<std::string> args;
    std::string error;
  };
  const Case cases[] = {
      {nullptr, nullptr, {"enable"}, kNoHome},
      {"relative", nullptr, {"prompt-install"}, kNoHome},
      {evil_home.c_str(), nullptr, {"enable"}, kHomeBreak},
      {evil_home.c_str(), nullptr, {"prompt-install"}, kHomeBreak},
      {"/home/u", "/opt/t\nExec=/bin/evil", {"enable"}, kPrefixBreak},
      {"/home/u", "/opt/t\r", {"status"}, kPrefixBreak},
  };
  const std::string settings = settings_path();
  for (const Case& c : cases) {
    SCOPED_TRACE(c.args[0] + " HOME=" + (c.home ? c.home : "(unset)"));
    set_home(c.home);
    if (c.prefix) {
      setenv("FENNICK_PREFIX", c.prefix, 1);
    } else {
      unsetenv("FENNICK_PREFIX");
    }
    const RunResult run = run_fennick(c.args);
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(run.err, "fennick: " + c.error + "\n");
  }
  EXPECT_TRUE(folder_entries(evil_home).empty());
  EXPECT_FALSE(file_exists(home() + "/.local"));

  // With the settings folder given, reading and changing settings need no home.
  unsetenv("HOME");
  const RunResult get = run_fennick({"get", "style"});
  EXPECT_EQ(get.status, 0) << get.err;
  EXPECT_EQ(get.out, "plain\n");
  EXPECT_EQ(run_fennick({"list"}).status, 0);
  const RunResult set = run_fennick({"set", "symbol", "%"});
  EXPECT_EQ(set.status, 0) << set.err;
  EXPECT_EQ(read_file(settings), settings_text_with({{"terminal.symbol", "%"}}));
}
