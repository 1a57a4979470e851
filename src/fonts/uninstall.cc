#include "fonts/uninstall.h"

#include <sys/wait.h>

#include "integrate/outside_programs.h"
#include "integrate/shell_quote.h"
#include "integrate/text_file.h"
#include "settings/failure.h"
#include "settings/locations.h"

std::string uninstall_command_line(bool yes) {
  return "sh \"" + double_quote_escaped(installer_script_path()) + "\" --uninstall" +
         (yes ? " --yes" : "");
}

int uninstall(bool yes) {
  const std::string script = installer_script_path();
  if (!path_exists(script)) {
    fail(script + " not found; run the installer from the original download with --uninstall");
  }
  const int status = run_shell(uninstall_command_line(yes)).status;
  if (status == 0) return 0;
  // A shell killed by a signal ends the program with that signal's number, core dump or not.
  return status > 0 && WIFSIGNALED(status) ? WTERMSIG(status) : 255;
}

bool run_by_uninstall() {
  return env_text("FENNICK_UNINSTALLING") == "1";
}
