#include "settings/locations.h"

#include <errno.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <string_view>

#include "settings/failure.h"

namespace {

// Every file the program writes, by name, wherever it lies.
const char* const kProgramFileNames[] = {
    "fennick.ini",
    "fennick.css",
    "fennick-nemo.css",
    "prompt.sh",
    "font-backup.txt",
    ".bashrc",
    ".zshrc",
    "gtk.css",
    "nemo.desktop",
    "org.Nemo.service",
    "fennick.nemo_action",
    "org.freedesktop.FileManager1.service",
    "fennick.py",
};

// A folder named by one of the program's own variables: a relative name is taken from the
// current folder, once here, so that every path written into a file is absolute.
std::string absolute_folder(const char* variable, const std::string& value) {
  if (value.empty() || value[0] == '/') return value;
  char buffer[4096];
  if (!getcwd(buffer, sizeof buffer)) {
    fail(std::string(variable) + " is a relative folder name and the current folder cannot be " +
         "found (" + std::strerror(errno) + "); give it as an absolute one");
  }
  const std::string current = buffer;
  return (current == "/" ? "" : current) + "/" + value;
}

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
  std::string dir = absolute_folder("FENNICK_DIR", env_text("FENNICK_DIR"));
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
std::string nemo_extensions_dir() {
  return data_dir() + "/nemo-python/extensions";
}
std::string nemo_extension_path() {
  return nemo_extensions_dir() + "/fennick.py";
}
std::string cache_dir() {
  return xdg_dir("XDG_CACHE_HOME", "/.cache");
}
std::string nemo_windows_path() {
  return cache_dir() + "/fennick/nemo-windows";
}

std::string share_dir() {
  const std::string share = absolute_folder("FENNICK_SHARE", env_text("FENNICK_SHARE"));
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
  const std::string prefix = absolute_folder("FENNICK_PREFIX", env_text("FENNICK_PREFIX"));
  if (prefix.empty()) return home_dir() + "/.local/opt/fennick";
  if (has_line_break(prefix)) {
    fail("FENNICK_PREFIX holds a line break; fennick does not use such a folder");
  }
  return prefix;
}

std::string tuned_nemo_path() {
  return prefix_dir() + "/bin/nemo";
}

bool is_program_file_name(const std::string& name) {
  std::string_view stem = name;
  // A numbered backup: NAME.fennick-bak.N or NAME.bak.N.
  const size_t dot = stem.rfind('.');
  if (dot != std::string_view::npos && dot + 1 < stem.size() &&
      std::all_of(stem.begin() + static_cast<long>(dot) + 1, stem.end(),
                  [](char c) { return c >= '0' && c <= '9'; })) {
    stem = stem.substr(0, dot);
  }
  for (std::string_view suffix : {".fennick-bak", ".bak"}) {
    if (stem.size() > suffix.size() && stem.substr(stem.size() - suffix.size()) == suffix) {
      stem.remove_suffix(suffix.size());
      break;
    }
  }
  return std::any_of(std::begin(kProgramFileNames), std::end(kProgramFileNames),
                     [stem](const char* known) { return stem == known; });
}
