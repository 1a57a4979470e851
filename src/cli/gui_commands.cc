// gui: the settings window.
#include "cli/commands.h"
#include "gui/settings_window.h"

int cmd_gui(const CommandLine&) {
  return run_settings_window();
}
