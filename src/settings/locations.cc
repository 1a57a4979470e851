#include "settings/locations.h"

#include <cstdlib>

std::string env_text(const char* name) {
  const char* value = std::getenv(name);
  return value ? value : "";
}

std::string home_dir() {
  return env_text("HOME");
}

std::string config_dir() {
  std::string dir = env_text("FENNICK_DIR");
  if (!dir.empty()) return dir;
  std::string base = env_text("XDG_CONFIG_HOME");
  if (base.empty()) base = home_dir() + "/.config";
  return base + "/fennick";
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
  std::string prefix = env_text("FENNICK_PREFIX");
  return prefix.empty() ? home_dir() + "/.local/opt/fennick" : prefix;
}
