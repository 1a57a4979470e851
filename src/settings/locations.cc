#include "settings/locations.h"

#include <cstdlib>

#include "settings/failure.h"

namespace {

bool has_line_break(const std::string& text) {
  return text.find_first_of("\n\r") != std::string::npos;
}

// An XDG base folder: the variable when it holds an absolute name, else the default under the
// home folder (a relative one is to be ignored).
std::string xdg_dir(const char* name, const char* below_home) {
  const std::string value = env_text(name);
  if (!value.empty() && value[0] == '/') return value;
  return home_dir() + below_home;
}

}  // namespace

std::string env_text(const char* name) {
  const char* value = std::getenv(name);
  return value ? value : "";
}

// Its name ends up in desktop entries and service files, where a line break would start a line.
std::string home_dir() {
  const std::string home = env_text("HOME");
  if (home.empty() || home[0] != '/') {
    fail("HOME is not set to an absolute folder; fennick keeps its files under it");
  }
  if (has_line_break(home)) fail("HOME holds a line break; fennick does not use such a folder");
  return home;
}

std::string config_dir() {
  std::string dir = env_text("FENNICK_DIR");
  if (!dir.empty()) return dir;
  return xdg_dir("XDG_CONFIG_HOME", "/.config") + "/fennick";
}

std::string data_dir() {
  return xdg_dir("XDG_DATA_HOME", "/.local/share");
}

std::string settings_path() {
  return config_dir() + "/fennick.ini";
}
std::string stylesheet_path() {
  return config_dir() + "/fennick.css";
}
std::string prompt_script_path() {
  return config_dir() + "/prompt.sh";
}

std::string prefix_dir() {
  const std::string prefix = env_text("FENNICK_PREFIX");
  if (prefix.empty()) return home_dir() + "/.local/opt/fennick";
  if (has_line_break(prefix)) {
    fail("FENNICK_PREFIX holds a line break; fennick does not use such a folder");
  }
  return prefix;
}
