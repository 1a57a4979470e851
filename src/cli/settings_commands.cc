// list, get, set and reset: the commands that read and change settings by name.
#include "cli/command_table.h"
#include "cli/commands.h"
#include "cli/usage.h"
#include "generate/apply.h"
#include "integrate/shell_quote.h"
#include "settings/ascii_text.h"
#include "settings/catalogue.h"
#include "settings/console.h"
#include "settings/settings_file.h"
#include "settings/settings_list.h"
#include "settings/value_access.h"

int cmd_list(const CommandLine& line) {
  const std::string page = line.operand(1);
  int listed = 0;
  if (line.has_option("--json")) {
    const std::string json = settings_json(page, listed);
    if (listed > 0) print_out(json);
  } else {
    listed = print_settings_list(page);
  }
  if (listed == 0 && !page.empty()) {
    print_err("fennick: no page \"" + printable(page) + "\"; the pages are: " + page_names() +
              "\n");
    return 2;
  }
  return 0;
}

int cmd_get(const CommandLine& line) {
  const std::string name = line.operand(1);
  if (name.empty()) {
    print_usage();
    return 2;
  }
  std::string problem;
  const int index = named_setting(name, problem);
  if (index < 0) {
    print_err("fennick: " + problem + "\n");
    return 1;
  }
  print_out(stored_value(index) + "\n");
  return 0;
}

int cmd_set(const CommandLine& line) {
  // Pairs of a name and a value, at least one.
  const std::vector<std::string>& pairs = line.operands;
  if (pairs.empty() || pairs.size() % 2 != 0) {
    print_err(command_usage(*find_command("set")) + "\n");
    return 2;
  }
  // Every pair is tried so that every bad one is reported; nothing is saved unless all succeed.
  bool all_stored = true;
  for (size_t i = 0; i + 1 < pairs.size(); i += 2) {
    std::string problem;
    if (!set_setting(pairs[i], pairs[i + 1], problem)) {
      print_err("fennick: " + problem + "\n");
      all_stored = false;
    }
  }
  if (!all_stored) return 1;
  save_and_apply();
  print_out("saved and applied\n");
  print_nemo_reader_note();
  return 0;
}

int cmd_reset(const CommandLine& line) {
  // An explicit empty name (a shell variable that was not set) is an unknown setting, never a
  // reason to reset everything.
  const std::string name = line.operand(1);
  std::string backup;
  if (line.operands.empty()) {
    // Everything goes back to its default: the old file is kept first, as an import keeps it.
    backup = back_up_settings_file();
    forget_dropped_lines();
    reset_all_to_defaults();
  } else {
    std::string problem;
    const int index = named_setting(name, problem);
    if (index < 0) {
      print_err("fennick: " + problem + "\n");
      return 1;
    }
    store_value(index, std::string(setting_at(index).default_value));
  }
  save_and_apply();
  print_out("reset and applied\n");
  if (!backup.empty()) {
    print_out("the previous settings are kept in " + printable(backup) + " (fennick import " +
              printable(shell_word(backup)) + " brings them back)\n");
  }
  print_nemo_reader_note();
  return 0;
}
