// completion and man: help printed from the command table and the catalogue.
#include "cli/commands.h"
#include "cli/completion_script.h"
#include "cli/man_page.h"
#include "cli/usage.h"
#include "settings/ascii_text.h"
#include "settings/console.h"

int cmd_completion(const CommandLine& line) {
  const std::string shell = ascii_lowered(line.operand(1));
  if (shell != "bash" && shell != "zsh") {
    if (!shell.empty())
      print_err("fennick: no completion for \"" + printable(line.operand(1)) +
                "\"; the shells are bash and zsh\n");
    const CommandInfo* command = find_command("completion");
    print_err(command_usage(*command) + "\n");
    return 2;
  }
  print_out(completion_script(shell));
  return 0;
}

int cmd_man(const CommandLine&) {
  print_out(man_page());
  return 0;
}
