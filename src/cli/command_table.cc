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
    {{"help", "--help", "-h"}, "", "", cmd_help},
    {{"version", "--version"}, "", "", cmd_version},
    {{"list"}, "[PAGE]", "every setting with its current value", cmd_list},
    {{"get"}, "KEY", "one value (KEY = section.key, or the key alone when unique)", cmd_get},
    {{"set"}, "KEY VALUE [...]", "change settings, then apply", cmd_set, true},
    {{"reset"}, "[KEY]", "back to defaults (all, or one setting)", cmd_reset, true},
    {{"export"}, "FILE", "save every setting to FILE", cmd_export},
    {{"import"},
     "FILE",
     "load settings from FILE (current ones saved as fennick.ini.bak)",
     cmd_import,
     true},
    {{"apply"}, "", "rewrite fennick.css and prompt.sh from the settings", cmd_apply, true},
    {{"css"}, "", "print what apply would write", cmd_css},
    {{"prompt"}, "", "", cmd_prompt},
    {{"palette"},
     "NAME",
     "read-only colours: okabe, protan, deutan, tritan, achroma, tol, contrast, classic",
     cmd_palette,
     true},
    {{"enable"}, "", "make the tuned Nemo the default / undo (user level, no sudo)", cmd_enable},
    {{"disable"}, "", "", cmd_disable},
    {{"status"}, "", "what is installed, enabled and running", cmd_status},
    {{"font"},
     "check|install|use|restore",
     "a font with the powerline glyphs: detect, download MesloLGS NF, use it in the terminal, "
     "undo",
     cmd_font},
    {{"uninstall"},
     "[--yes]",
     "remove the tool; asks about the tuned Nemo, build cache and font (settings are kept)",
     cmd_uninstall},
    {{"restart"},
     "",
     "close every Nemo window and start Nemo again (applies enable/disable)",
     cmd_restart},
    {{"action-install"},
     "",
     "the \"Fennick\xE2\x80\xA6\" right-click entry (also added by enable)",
     cmd_action_install},
    {{"action-remove"}, "", "", cmd_action_remove},
    {{"prompt-install"},
     "",
     "add/remove the 3-line hook in ~/.bashrc and ~/.zshrc",
     cmd_prompt_install,
     true},
    {{"prompt-remove"}, "", "", cmd_prompt_remove},
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
    {{"css", "prompt"}},
    {{"palette"}},
    {{"enable", "disable"}},
    {{"status"}},
    {{"font"}},
    {{"uninstall"}},
    {{"restart"}},
    {{"action-install", "action-remove"}},
    {{"prompt-install", "prompt-remove"}},
    {{"version", "help"}},
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
