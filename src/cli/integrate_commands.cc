// The commands of the shell and desktop integration.
#include "cli/commands.h"
#include "fonts/uninstall.h"
#include "generate/apply.h"
#include "integrate/context_action.h"
#include "integrate/desktop_switch.h"
#include "integrate/nemo_extension.h"
#include "integrate/pathbar_import.h"
#include "integrate/running_nemo.h"
#include "integrate/shell_hook.h"
#include "integrate/status.h"
#include "settings/ascii_text.h"
#include "settings/console.h"
#include "settings/value_access.h"

int cmd_enable(const CommandLine&) {
  enable_tuned_nemo();
  return 0;
}

int cmd_disable(const CommandLine&) {
  const bool disabled = disable_tuned_nemo();
  if (user_override_present()) {
    // After an uninstall there is no fennick status to run; the lines above name the files.
    const std::string see = run_by_uninstall() ? "\n" : " (see: fennick status)\n";
    print_out((disabled ? "disabled fennick's files, but the files left alone above still decide "
                          "which Nemo opens folders"
                        : "nothing was enabled by fennick: the files left alone above decide which "
                          "Nemo opens folders") +
              see);
    return 0;
  }
  // The uninstall says once, at its end, how a running Nemo follows.
  print_out(!disabled            ? "nothing was enabled: the system Nemo is already the default\n"
            : run_by_uninstall() ? "disabled: the system Nemo is the default again\n"
                                 : "disabled: the system Nemo is used again after:  nemo -q\n");
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

namespace {

const char kRestartToSee[] = "a running Nemo shows the change when restarted: fennick restart\n";

void print_block_update(const BlockUpdate& update) {
  print_out(printable(block_update_line(update)) + "\n");
}

// What else the hook needs before a prompt shows, on one line; empty when nothing.
std::string prompt_needs() {
  const bool enabled = get_bool("terminal", "prompt_enabled");
  const bool everywhere = get_value("terminal", "scope") == "all";
  if (!enabled && !everywhere) {
    return "the prompt is off: fennick set terminal.prompt_enabled true (and terminal.scope all "
           "for every terminal, not only Nemo's own)";
  }
  if (!enabled) return "the prompt is off: fennick set terminal.prompt_enabled true";
  if (!everywhere) {
    return "the prompt shows only in Nemo's own terminal; for every terminal: fennick set "
           "terminal.scope all";
  }
  return "";
}

}  // namespace

int cmd_prompt_install(const CommandLine&) {
  save_and_apply();
  update_shell_hooks(false, print_block_update);
  const std::string needs = prompt_needs();
  if (!needs.empty()) print_out(needs + "\n");
  return 0;
}

int cmd_prompt_remove(const CommandLine&) {
  update_shell_hooks(true, print_block_update);
  return 0;
}

int cmd_pathbar_install(const CommandLine&) {
  save_and_apply();
  // The same rules twice would go out of step once the settings change: the extension's follow
  // them, gtk.css keeps those Nemo started with.
  if (nemo_extension_runs()) {
    print_out("unchanged: " + printable(gtk_css_path()) +
              " (fennick's extension styles the stock Nemo's path bar, live)\n");
    return 0;
  }
  print_block_update(update_pathbar_block(false));
  if (!get_bool("pathbar", "enabled"))
    print_out("the path bar is not customised yet: fennick set pathbar.enabled true\n");
  print_out(kRestartToSee);
  return 0;
}

int cmd_extension_install(const CommandLine&) {
  const std::string path = printable(nemo_extension_path());
  const ExtensionInstall done = install_nemo_extension();
  print_out(done.written ? "installed the Nemo extension (" + path +
                               "): a running Nemo loads it when restarted: fennick restart\n"
                         : "unchanged: " + path + "\n");
  if (!nemo_python_installed()) {
    print_out(
        "the stock Nemo loads it only with nemo-python, which is not installed: sudo apt "
        "install nemo-python\n");
    return 0;
  }
  if (done.import_removal) print_block_update(*done.import_removal);
  return 0;
}

int cmd_extension_remove(const CommandLine&) {
  const std::string path = printable(nemo_extension_path());
  switch (remove_nemo_extension()) {
    case ExtensionState::Missing:
      print_out("no extension to remove: " + path + "\n");
      break;
    case ExtensionState::NotOurs:
      print_out("left alone (not ours): " + path + "\n");
      break;
    case ExtensionState::Current:
    case ExtensionState::Outdated:
      print_out("removed " + path + "\n");
      // The uninstall says how to restart Nemo once fennick is gone.
      if (run_by_uninstall()) break;
      print_out("a running Nemo keeps it until restarted: fennick restart\n");
      if (get_bool("pathbar", "enabled") && !pathbar_block_installed()) {
        print_out("the stock Nemo's path bar without it: fennick pathbar-install\n");
      }
      break;
  }
  return 0;
}

int cmd_pathbar_remove(const CommandLine&) {
  print_block_update(update_pathbar_block(true));
  // The uninstall says how to restart Nemo once fennick is gone.
  if (!run_by_uninstall()) print_out(kRestartToSee);
  return 0;
}
