#include "cli/dispatcher.h"

#include "cli/command_table.h"
#include "cli/commands.h"
#include "cli/usage.h"
#include "settings/ascii_text.h"
#include "settings/catalogue.h"
#include "settings/console.h"
#include "settings/locations.h"
#include "settings/settings_file.h"
#include "settings/settings_lock.h"

#include <algorithm>
#include <optional>

int run_command_line(int argc, char** argv) {
  std::string word = argc > 1 ? argv[1] : "";
  const bool word_given = !word.empty();
  if (!word_given) word = env_text("DISPLAY").empty() ? "help" : "gui";
  word = ascii_lowered(word);
  const CommandInfo* command = find_command(word);
  ReadArguments read;
  if (command) {
    const std::vector<std::string> args(argv + std::min(argc, 2), argv + argc);
    read = read_arguments(*command, args);
    // help COMMAND is COMMAND --help. help help (or help --help) is the overview itself, and a
    // word that names no command is an unknown command. Operands after no command word at all
    // name nothing.
    if (word_given && command->run == cmd_help && !read.line.operand(1).empty() &&
        read.verdict == ArgumentsVerdict::Run) {
      word = ascii_lowered(read.line.operand(1));
      command = find_command(word);
      if (command && command->run != cmd_help) read.verdict = ArgumentsVerdict::Help;
    }
    // Asking for a command's usage, or giving it what it does not take, does nothing else:
    // not even the settings file is read.
    if (read.verdict == ArgumentsVerdict::Help) {
      print_command_help(*command);
      return 0;
    }
    if (read.verdict == ArgumentsVerdict::Usage) {
      print_err("fennick: " + read.problem + "\n" + command_usage(*command) + "\n");
      return 2;
    }
  }

  // A command that changes settings reads them under the lock and keeps it to the end of the
  // run, so that a change made meanwhile by another run is read, not written over.
  std::optional<SettingsLock> lock;
  if (command && command->changes_settings) lock.emplace();
  const SettingsUse use = command ? command->settings : SettingsUse::ReadAndUpgrade;
  if (use != SettingsUse::Unused) load_settings();
  if (use == SettingsUse::ReadAndUpgrade) save_if_migrated();

  if (!command) {
    print_err("fennick: unknown command \"" + printable(word) + "\"\n");
    print_usage();
    return 2;
  }
  return command->run(read.line);
}
