#include "cli/usage.h"

#include <string>

#include "cli/commands.h"
#include "settings/console.h"
#include "settings/locations.h"

const char kVersion[] = "1.1";

void print_usage() {
  std::string text = "fennick " + std::string(kVersion) +
                     " \xE2\x80\x94 tune Nemo: path bar, terminal prompt, panes, sidebar\n"
                     "\n"
                     "  fennick [gui]                 settings window\n"
                     "  fennick list [PAGE]           every setting with its current value\n"
                     "  fennick get KEY               one value (KEY = section.key, or the key "
                     "alone when unique)\n"
                     "  fennick set KEY VALUE [...]   change settings, then apply\n"
                     "  fennick reset [KEY]           back to defaults (all, or one setting)\n"
                     "  fennick export FILE           save every setting to FILE\n"
                     "  fennick import FILE           load settings from FILE (current ones "
                     "saved as fennick.ini.bak)\n"
                     "  fennick apply                 rewrite fennick.css and prompt.sh from the "
                     "settings\n"
                     "  fennick css | prompt          print what apply would write\n"
                     "  fennick palette NAME          read-only colours: okabe, protan, deutan, "
                     "tritan, achroma, tol, contrast, classic\n"
                     "  fennick enable | disable      make the tuned Nemo the default / undo "
                     "(user level, no sudo)\n"
                     "  fennick status                what is installed, enabled and running\n"
                     "  fennick font check|install|use|restore   a font with the powerline "
                     "glyphs: detect, download MesloLGS NF, use it in the terminal, undo\n"
                     "  fennick uninstall [--yes]     remove the tool; asks about the tuned "
                     "Nemo, build cache and font (settings are kept)\n"
                     "  fennick restart               close every Nemo window and start Nemo "
                     "again (applies enable/disable)\n"
                     "  fennick action-install | action-remove   the \"Fennick\xE2\x80\xA6\" "
                     "right-click entry (also added by enable)\n"
                     "  fennick prompt-install | prompt-remove   add/remove the 3-line hook in "
                     "~/.bashrc and ~/.zshrc\n"
                     "  fennick version | help\n"
                     "\n"
                     "Settings: " +
                     settings_path() + "   (override the folder with FENNICK_DIR)\n";
  print_out(text);
}

int cmd_help(const CommandLine&) {
  print_usage();
  return 0;
}

int cmd_version(const CommandLine&) {
  print_out("fennick " + std::string(kVersion) + "\n");
  return 0;
}
