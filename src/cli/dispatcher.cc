#include "cli/dispatcher.h"

#include "cli/commands.h"
#include "cli/usage.h"
#include "settings/ascii_text.h"
#include "settings/catalogue.h"
#include "settings/console.h"
#include "settings/locations.h"
#include "settings/settings_file.h"
#include "settings/settings_lock.h"

#include <optional>

namespace {

struct Command {
  const char* words[3];  // the command words that name it; unused places are null
  int (*run)(const CommandLine& line);
  // Holds the settings lock from reading the settings file to writing the generated files.
  bool changes_settings = false;
};

// In dispatch order: the first row with a matching word runs.
const Command kCommands[] = {
    {{"--gui", "gui"}, cmd_gui},
    {{"help", "--help", "-h"}, cmd_help},
    {{"version", "--version"}, cmd_version},
    {{"list"}, cmd_list},
    {{"get"}, cmd_get},
    {{"set"}, cmd_set, true},
    {{"reset"}, cmd_reset, true},
    {{"export"}, cmd_export},
    {{"import"}, cmd_import, true},
    {{"apply"}, cmd_apply, true},
    {{"css"}, cmd_css},
    {{"prompt"}, cmd_prompt},
    {{"palette"}, cmd_palette, true},
    {{"enable"}, cmd_enable},
    {{"disable"}, cmd_disable},
    {{"status"}, cmd_status},
    {{"font"}, cmd_font},
    {{"uninstall"}, cmd_uninstall},
    {{"restart"}, cmd_restart},
    {{"action-install"}, cmd_action_install},
    {{"action-remove"}, cmd_action_remove},
    {{"prompt-install"}, cmd_prompt_install, true},
    {{"prompt-remove"}, cmd_prompt_remove},
};

const Command* find_command(const std::string& word) {
  for (const Command& command : kCommands) {
    for (const char* name : command.words) {
      if (name && word == name) return &command;
    }
  }
  return nullptr;
}

}  // namespace

int run_command_line(int argc, char** argv) {
  build_catalogue();
  CommandLine line{std::vector<std::string>(argv, argv + argc)};
  std::string word = line.arg(1);
  if (word.empty()) word = env_text("DISPLAY").empty() ? "help" : "gui";
  word = ascii_lowered(word);
  const Command* command = find_command(word);

  // A command that changes settings reads them under the lock and keeps it to the end of the
  // run, so that a change made meanwhile by another run is read, not written over.
  std::optional<SettingsLock> lock;
  if (command && command->changes_settings) lock.emplace();
  load_settings();
  save_if_migrated();

  if (!command) {
    print_err("fennick: unknown command \"" + printable(word) + "\"\n");
    print_usage();
    return 2;
  }
  return command->run(line);
}
