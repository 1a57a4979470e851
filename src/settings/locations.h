// Where the program keeps its files and where the desktop looks for the files it writes, all
// derived from the environment on every call; nothing here creates anything.
#pragma once

#include <string>

std::string config_dir();
std::string settings_path();
std::string stylesheet_path();
// The path-bar rules scoped to the Nemo window, for GTK's own user stylesheet to import.
std::string nemo_stylesheet_path();
// GTK 3's user stylesheet, which every GTK 3 program loads: $XDG_CONFIG_HOME/gtk-3.0/gtk.css.
std::string gtk_css_path();
std::string prompt_script_path();
// The record of the terminal profile's font from before `fennick font use`.
std::string font_backup_path();
// HOME; fails unless it is an absolute folder name without line breaks.
std::string home_dir();
// FENNICK_PREFIX, else under the home folder; a prefix with a line break is refused.
std::string prefix_dir();
// The tuned Nemo's executable under the prefix.
std::string tuned_nemo_path();
// The user's data folder: XDG_DATA_HOME when it is absolute, else ~/.local/share. The desktop
// reads the user's desktop entries, D-Bus services, Nemo actions and fonts below it.
std::string data_dir();

std::string applications_dir();
std::string user_desktop_entry_path();
std::string dbus_services_dir();
std::string nemo_service_path();
std::string file_manager_service_path();
std::string actions_dir();
std::string action_file_path();
// The folder the powerline font is downloaded into.
std::string font_dir();
// Where the stock Nemo loads user extensions from, and fennick's extension there.
std::string nemo_extensions_dir();
std::string nemo_extension_path();
// The user's cache folder: XDG_CACHE_HOME when it is absolute, else ~/.cache.
std::string cache_dir();
// The folders the open Nemo windows show, as fennick's extension writes them down for restart.
std::string nemo_windows_path();

// The installer's own folder: FENNICK_SHARE, else ~/.local/share/fennick, as fennick-install.sh
// chooses it (the desktop never reads it, so XDG_DATA_HOME plays no part).
std::string share_dir();
std::string installer_script_path();

// True when name is that of a file the program writes (fennick.ini, prompt.sh, .bashrc, gtk.css,
// the desktop entry, the service and action files, ...) or of a backup of one (NAME.fennick-bak,
// NAME.bak, either with ".N").
bool is_program_file_name(const std::string& name);

// The value of an environment variable; unset and empty read alike as empty.
std::string env_text(const char* name);
