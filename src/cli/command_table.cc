#include "cli/command_table.h"

#include "cli/commands.h"

namespace {

// In dispatch order: the first row with a matching word runs.
const CommandInfo kCommands[] = {
    {.words = {"gui", "--gui"},
     .operands = "",
     .description = "settings window",
     .run = cmd_gui,
     .word_optional = true},
    {.words = {"help", "--help", "-h"},
     .operands = "",
     .description = "this overview of the commands",
     .run = cmd_help,
     .raw_operands = true},
    {{"version", "--version"}, "", "the version of the program", cmd_version},
    {.words = {"list"},
     .operands = "[PAGE]",
     .description = "every setting with its current value",
     .run = cmd_list,
     .options = "--json",
     .usage_operands = "[PAGE] [--json]"},
    {{"get"}, "KEY", "one value (KEY = section.key, or the key alone when unique)", cmd_get},
    {.words = {"set"},
     .operands = "KEY VALUE [...]",
     .description = "change settings, then apply",
     .run = cmd_set,
     .changes_settings = true,
     .usage_operands = "KEY VALUE [KEY VALUE ...]",
     .takes_values = true},
    {{"reset"}, "[KEY]", "back to defaults (all, or one setting)", cmd_reset, true},
    {{"export"}, "FILE", "save every setting to FILE", cmd_export},
    {{"import"},
     "FILE",
     "load settings from FILE (current ones saved as fennick.ini.bak)",
     cmd_import,
     true},
    {{"apply"}, "", "rewrite fennick.css and prompt.sh from the settings", cmd_apply, true},
    {{"css"}, "", "print the stylesheet that apply would write", cmd_css},
    {{"prompt"}, "", "print the prompt script that apply would write", cmd_prompt},
    {{"palette"},
     "NAME",
     "read-only colours: okabe, protan, deutan, tritan, achroma, tol, contrast, classic",
     cmd_palette,
     true},
    {{"enable"}, "", "make the tuned Nemo the default (user level, no sudo)", cmd_enable},
    {{"disable"}, "", "make the system Nemo the default again", cmd_disable},
    {{"status"}, "", "what is installed, enabled and running", cmd_status},
    {.words = {"font"},
     .operands = "check|install|use|restore",
     .description = "a font with the powerline glyphs: detect, download MesloLGS NF, use it in "
                    "the terminal, undo",
     .run = cmd_font,
     .options = "--yes",
     .usage_operands = "check | install [--yes] | use | restore"},
    {.words = {"uninstall"},
     .operands = "[--yes]",
     .description =
         "remove the tool; asks about the tuned Nemo, build cache and font (settings are kept)",
     .run = cmd_uninstall,
     .options = "--yes",
     .max_operands = 0},
    {{"restart"},
     "",
     "close every Nemo window and start Nemo again (applies enable/disable)",
     cmd_restart},
    {{"action-install"},
     "",
     "add the \"Fennick\xE2\x80\xA6\" right-click entry (also added by enable)",
     cmd_action_install},
    {{"action-remove"},
     "",
     "remove the \"Fennick\xE2\x80\xA6\" right-click entry",
     cmd_action_remove},
    {{"prompt-install"},
     "",
     "add the 3-line hook to ~/.bashrc and ~/.zshrc",
     cmd_prompt_install,
     true},
    {{"prompt-remove"}, "", "remove the hook from ~/.bashrc and ~/.zshrc", cmd_prompt_remove},
    {{"pathbar-install"},
     "",
     "style the stock Nemo's path bar: import fennick-nemo.css in GTK's gtk.css",
     cmd_pathbar_install,
     true},
    {{"pathbar-remove"},
     "",
     "take the import of fennick-nemo.css out of gtk.css",
     cmd_pathbar_remove},
    {{"extension-install"},
     "",
     "the stock Nemo follows the settings live: install fennick's Nemo extension (nemo-python)",
     cmd_extension_install},
    {{"extension-remove"}, "", "remove fennick's Nemo extension", cmd_extension_remove},
    {.words = {"doctor"},
     .operands = "",
     .description =
         "why something does not show: each problem found, with the command that fixes it",
     .run = cmd_doctor,
     .max_operands = 0,
     .settings = SettingsUse::ReadOnly},
    {.words = {"completion"},
     .operands = "bash|zsh",
     .description = "print the tab completion for bash or zsh (the installer installs both)",
     .run = cmd_completion,
     .usage_operands = "bash | zsh",
     .max_operands = 1,
     .settings = SettingsUse::Unused},
    {.words = {"man"},
     .operands = "",
     .description = "print the manual page fennick(1) (the installer installs it)",
     .run = cmd_man,
     .max_operands = 0,
     .settings = SettingsUse::Unused},
};

// In the order of the usage text; help and version, the words about the program itself, last.
const UsageLine kUsageLines[] = {
    {{"gui"}},
    {{"list"}},
    {{"get"}},
    {{"set"}},
    {{"reset"}},
    {{"export"}},
    {{"import"}},
    {{"apply"}},
    {{"css", "prompt"}, "print what apply would write"},
    {{"palette"}},
    {{"enable", "disable"}, "make the tuned Nemo the default / undo (user level, no sudo)"},
    {{"status"}},
    {{"doctor"}},
    {{"font"}},
    {{"uninstall"}},
    {{"restart"}},
    {{"action-install", "action-remove"},
     "the \"Fennick\xE2\x80\xA6\" right-click entry (also added by enable)"},
    {{"prompt-install", "prompt-remove"}, "add/remove the 3-line hook in ~/.bashrc and ~/.zshrc"},
    {{"pathbar-install", "pathbar-remove"},
     "the path bar in the stock Nemo (through GTK's gtk.css)"},
    {{"extension-install", "extension-remove"},
     "the stock Nemo follows path bar and sidebar live (nemo-python)"},
    {{"completion"}},
    {{"man"}},
    {{"version", "help"}, ""},
};

}  // namespace

std::span<const CommandInfo> command_table() {
  return kCommands;
}

const CommandInfo* find_command(const std::string& word) {
  for (const CommandInfo& command : kCommands) {
    for (const char* name : command.words) {
      if (name && word == name) return &command;
    }
  }
  return nullptr;
}

std::span<const UsageLine> usage_lines() {
  return kUsageLines;
}

const char* usage_line_description(const UsageLine& usage) {
  if (usage.description) return usage.description;
  const CommandInfo* first = find_command(usage.commands[0]);
  return first ? first->description : "";
}
