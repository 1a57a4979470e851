#include "fonts/terminal_font.h"

#include <unistd.h>

#include "fonts/powerline_font.h"
#include "integrate/outside_programs.h"
#include "integrate/text_file.h"
#include "settings/ascii_text.h"
#include "settings/atomic_file.h"
#include "settings/failure.h"
#include "settings/locations.h"

namespace {

const char kProfileList[] = "org.gnome.Terminal.ProfilesList";
const char kProfileSchema[] =
    "org.gnome.Terminal.Legacy.Profile:/org/gnome/terminal/legacy/profiles:/:";

std::string without_single_quotes(std::string text) {
  std::erase(text, '\'');
  return text;
}

bool gsettings_set(const std::string& schema, const std::string& key, const std::string& value) {
  return run_command("gsettings", {"set", schema, key, value}).ok;
}

}  // namespace

std::string gsettings_get(const std::string& schema, const std::string& key) {
  const RunOutcome got = run_command("gsettings", {"get", schema, key});
  return got.ok ? trimmed(got.output) : "";
}

std::string terminal_profile_path() {
  const std::string id = without_single_quotes(gsettings_get(kProfileList, "default"));
  return id.empty() ? "" : kProfileSchema + id + "/";
}

std::string use_terminal_font(std::string family, int size) {
  const std::string schema = terminal_profile_path();
  if (schema.empty()) fail("no GNOME/Mint terminal profile found (gsettings), nothing changed.");
  if (family.empty()) family = find_powerline_font();
  if (family.empty()) fail("no nerd font installed. Run: fennick font install");
  const std::string old_font = gsettings_get(schema, "font");
  const std::string old_flag = gsettings_get(schema, "use-system-font");
  // A backup without the old values could never be restored: change nothing then.
  if (old_font.empty() || old_flag.empty()) {
    fail("cannot read the font of the default terminal profile (gsettings), nothing changed.");
  }
  if (!path_exists(font_backup_path())) {
    write_file_atomic(font_backup_path(), schema + "\n" + old_font + "\n" + old_flag + "\n", -1,
                      LinkAtPath::Replace);
  }
  gsettings_set(schema, "use-system-font", "false");
  const std::string font = family + " " + std::to_string(size);
  const RunOutcome set = run_command("gsettings", {"set", schema, "font", font});
  if (!set.ok) fail("gsettings failed: " + failure_reason(set));
  return font;
}

FontRestore restore_terminal_font() {
  const std::string backup = font_backup_path();
  if (!path_exists(backup)) return FontRestore::NoBackup;
  const std::string text = read_text_file(backup);
  std::string lines[3];
  size_t start = 0;
  for (std::string& line : lines) {
    const size_t end = text.find('\n', start);
    if (end == std::string::npos) return FontRestore::NotOurs;
    line = text.substr(start, end - start);
    start = end + 1;
  }
  // The backup is the only record of the user's own font: it goes only once both are back.
  const bool font_back = gsettings_set(lines[0], "font", without_single_quotes(lines[1]));
  const bool flag_back = gsettings_set(lines[0], "use-system-font", lines[2]);
  if (!font_back || !flag_back) {
    fail("gsettings could not restore the terminal profile font; the previous values stay in " +
         backup);
  }
  unlink(backup.c_str());
  return FontRestore::Restored;
}
