// Helpers of the command tests: the expected usage text, the settings file as a given set of
// values would write it, and a look at which files a command left in a folder.
#pragma once

#include <filesystem>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "settings/settings_file.h"
#include "settings/value_access.h"
#include "test_support.h"

// The usage text, line by line, for a configuration whose settings file is settings_path.
inline std::string expected_usage(const std::string& settings_path) {
  const char* const lines[] = {
      "fennick 1.1 \xE2\x80\x94 tune Nemo: path bar, terminal prompt, panes, sidebar",
      "",
      "  fennick [gui]                 settings window",
      "  fennick list [PAGE]           every setting with its current value",
      "  fennick get KEY               one value (KEY = section.key, or the key alone when "
      "unique)",
      "  fennick set KEY VALUE [...]   change settings, then apply",
      "  fennick reset [KEY]           back to defaults (all, or one setting)",
      "  fennick export FILE           save every setting to FILE",
      "  fennick import FILE           load settings from FILE (current ones saved as "
      "fennick.ini.bak)",
      "  fennick apply                 rewrite fennick.css and prompt.sh from the settings",
      "  fennick css | prompt          print what apply would write",
      "  fennick palette NAME          read-only colours: okabe, protan, deutan, tritan, achroma, "
      "tol, contrast, classic",
      "  fennick enable | disable      make the tuned Nemo the default / undo (user level, no "
      "sudo)",
      "  fennick status                what is installed, enabled and running",
      "  fennick doctor                why something does not show: each problem found, with the "
      "command that fixes it",
      "  fennick font check|install|use|restore   a font with the powerline glyphs: detect, "
      "download MesloLGS NF, use it in the terminal, undo",
      "  fennick uninstall [--yes]     remove the tool; asks about the tuned Nemo, build cache "
      "and font (settings are kept)",
      "  fennick restart               close every Nemo window and start Nemo again (applies "
      "enable/disable)",
      "  fennick action-install | action-remove   the \"Fennick\xE2\x80\xA6\" right-click entry "
      "(also added by enable)",
      "  fennick prompt-install | prompt-remove   add/remove the 3-line hook in ~/.bashrc and "
      "~/.zshrc",
      "  fennick pathbar-install | pathbar-remove   the path bar in the stock Nemo (through GTK's "
      "gtk.css)",
      "  fennick extension-install | extension-remove   the stock Nemo follows path bar and "
      "sidebar live (nemo-python)",
      "  fennick completion bash|zsh   print the tab completion for bash or zsh (the installer "
      "installs both)",
      "  fennick man                   print the manual page fennick(1) (the installer installs "
      "it)",
      "  fennick version | help",
      "",
  };
  std::string text;
  for (const char* line : lines)
    text += std::string(line) + "\n";
  return text + "Settings: " + settings_path + "   (override the folder with FENNICK_DIR)\n";
}

// The text of the settings file holding the defaults except for the given values, which must
// already be in normal form. The store is left at the defaults.
inline std::string settings_text_with(
    const std::vector<std::pair<std::string, std::string>>& values) {
  reset_all_to_defaults();
  for (const auto& [name, value] : values) {
    const int index = resolve_setting_name(name);
    if (index < 0) ADD_FAILURE() << "no setting " << name;
    if (index >= 0) store_value(index, value);
  }
  std::string text = settings_text();
  reset_all_to_defaults();
  return text;
}

inline const std::set<std::string>& generated_files() {
  static const std::set<std::string> names{"fennick.ini", "fennick.css", "fennick-nemo.css",
                                           "prompt.sh"};
  return names;
}
