// font and uninstall.
#include "cli/commands.h"
#include "cli/usage.h"
#include "fonts/powerline_font.h"
#include "fonts/terminal_font.h"
#include "fonts/uninstall.h"
#include "settings/ascii_text.h"
#include "settings/console.h"

namespace {

void print_check() {
  const std::string family = find_powerline_font();
  print_out(family.empty()
                ? "no installed font has the powerline glyphs; run: fennick font install\n"
                : "powerline-capable font installed: " + family + "\n");
  const std::string schema = terminal_profile_path();
  print_out("default terminal profile font: " + gsettings_get(schema, "font") +
            " (system font: " + gsettings_get(schema, "use-system-font") + ")\n");
}

}  // namespace

// `fennick font SUB [ARG]`.
int cmd_font(const CommandLine& line) {
  const std::string sub_command = ascii_lowered(line.operand(1));
  if (sub_command == "check") {
    print_check();
    return 0;
  }
  if (sub_command == "install") return install_font(line.has_option("--yes")) ? 0 : 1;
  if (sub_command == "use") {
    const std::string font = use_terminal_font("");
    print_out("the default terminal profile now uses \"" + font +
              "\". Undo with: fennick font restore\n");
    print_out(
        "(The terminal inside Nemo follows the system monospace font: Menu > Preferences > "
        "Fonts.)\n");
    return 0;
  }
  if (sub_command == "restore") {
    const FontRestore restored = restore_terminal_font();
    if (restored == FontRestore::Restored) print_out("terminal profile font restored\n");
    // The uninstall restores the font only in case it was changed: nothing to say otherwise.
    if (restored == FontRestore::NoBackup && !run_by_uninstall()) print_out("nothing to restore\n");
    // A backup that holds no font is no success: the profile may still use the font.
    if (restored == FontRestore::NotOurs) {
      print_err("fennick: " + printable(font_backup_path()) +
                " does not hold the three lines of a font fennick saved; it is left as it is and "
                "the terminal profile was not changed\n");
      return 1;
    }
    return 0;
  }
  print_err(command_usage(*find_command("font")) + "\n");
  return 2;
}

int cmd_uninstall(const CommandLine& line) {
  return uninstall(line.has_option("--yes"));
}
