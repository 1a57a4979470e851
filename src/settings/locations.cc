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

std::string gtk_css_path() {
  return xdg_dir("XDG_CONFIG_HOME", "/.config") + "/gtk-3.0/gtk.css";
}

std::string data_dir() {
  return xdg_dir("XDG_DATA_HOME", "/.local/share");
}

std::string applications_dir() {
  return data_dir() + "/applications";
}
std::string user_desktop_entry_path() {
  return applications_dir() + "/nemo.desktop";
}
std::string dbus_services_dir() {
  return data_dir() + "/dbus-1/services";
}
std::string nemo_service_path() {
  return dbus_services_dir() + "/org.Nemo.service";
}
std::string file_manager_service_path() {
  return dbus_services_dir() + "/org.freedesktop.FileManager1.service";
}
std::string actions_dir() {
  return data_dir() + "/nemo/actions";
}
std::string action_file_path() {
  return actions_dir() + "/fennick.nemo_action";
}
std::string font_dir() {
  return data_dir() + "/fonts/fennick";
}

std::string share_dir() {
  const std::string share = env_text("FENNICK_SHARE");
  return share.empty() ? home_dir() + "/.local/share/fennick" : share;
}
std::string installer_script_path() {
  return share_dir() + "/fennick-install.sh";
}

std::string settings_path() {
  return config_dir() + "/fennick.ini";
}
std::string stylesheet_path() {
  return config_dir() + "/fennick.css";
}
std::string nemo_stylesheet_path() {
  return config_dir() + "/fennick-nemo.css";
}
std::string prompt_script_path() {
  return config_dir() + "/prompt.sh";
}
std::string font_backup_path() {
  return config_dir() + "/font-backup.txt";
}

std::string prefix_dir() {
  const std::string prefix = env_text("FENNICK_PREFIX");
  if (prefix.empty()) return home_dir() + "/.local/opt/fennick";
  if (has_line_break(prefix)) {
    fail("FENNICK_PREFIX holds a line break; fennick does not use such a folder");
  }
  return prefix;
}

std::string tuned_nemo_path() {
  return prefix_dir() + "/bin/nemo";
}
