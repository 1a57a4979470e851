// apply, css and prompt: the commands that write or show the generated files.
#include "cli/commands.h"
#include "generate/apply.h"
#include "generate/prompt_script.h"
#include "generate/stylesheet.h"
#include "settings/ascii_text.h"
#include "settings/console.h"
#include "settings/locations.h"

int cmd_apply(const CommandLine&) {
  save_and_apply();
  print_out("wrote " + printable(stylesheet_path()) + " and " + printable(prompt_script_path()) +
            "\n");
  return 0;
}

int cmd_css(const CommandLine&) {
  print_out(generate_stylesheet());
  return 0;
}

int cmd_prompt(const CommandLine&) {
  print_out(prompt_script());
  return 0;
}
