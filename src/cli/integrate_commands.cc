// The commands of the shell and desktop integration.
#include "cli/commands.h"
#include "generate/apply.h"
#include "integrate/context_action.h"
#include "integrate/desktop_switch.h"
#include "integrate/running_nemo.h"
#include "integrate/shell_hook.h"
#include "integrate/status.h"

int cmd_enable(const CommandLine&) {
  enable_tuned_nemo();
  return 0;
}

int cmd_disable(const CommandLine&) {
  disable_tuned_nemo();
  return 0;
}

int cmd_status(const CommandLine&) {
  print_status();
  return 0;
}

int cmd_restart(const CommandLine&) {
  restart_nemo();
  return 0;
}

int cmd_action_install(const CommandLine&) {
  install_action();
  return 0;
}

int cmd_action_remove(const CommandLine&) {
  remove_action();
  return 0;
}

int cmd_prompt_install(const CommandLine&) {
  save_and_apply();
  update_shell_hooks(false);
  return 0;
}

int cmd_prompt_remove(const CommandLine&) {
  update_shell_hooks(true);
  return 0;
}
