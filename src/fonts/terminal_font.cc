#include "fonts/terminal_font.h"

#include <unistd.h>

#include "fonts/powerline_font.h"
#include "integrate/outside_programs.h"
#include "integrate/text_file.h"
#include "settings/ascii_text.h"
#include "settings/atomic_file.h"
#include "settings/failure.h"
#include "settings/file_backup.h"
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

// A string as gsettings prints it, without its quotes and backslash escapes: 'Ubuntu Mono 13'
// gives Ubuntu Mono 13. Text without a pair of quotes around it comes back as it is.
std::string unquoted(const std::string& printed) {
  const char quote = printed.empty() ? '\0' : printed.front();
  if (printed.size() < 2 || (quote != '\'' && quote != '"') || printed.back() != quote) {
    return printed;
  }
  std::string text;
  for (size_t i = 1; i + 1 < printed.size(); ++i) {
    if (printed[i] == '\\' && i + 2 < printed.size()) ++i;
    text += printed[i];
  }
  return text;
}

// The size that ends a font name ("16" of "Ubuntu Mono 16", "10.5" of "Monospace 10.5"), or
// empty when its last word is no size above zero.
std::string font_size(const std::string& font) {
  const std::string name = trimmed(font);
  const std::string word = name.substr(name.find_last_of(' ') + 1);
  const size_t point = word.find('.');
  const std::string whole = word.substr(0, point);
  const std::string part = point == std::string::npos ? "1" : word.substr(point + 1);
  const auto digits = [](const std::string& text) {
    return !text.empty() && text.find_first_not_of("0123456789") == std::string::npos;
  };
  if (!digits(whole) || !digits(part) || word.find_first_of("123456789") == std::string::npos) {
    return "";
  }
  return word;
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

ProfileFont terminal_profile_font() {
  const std::string schema = terminal_profile_path();
  if (schema.empty()) return {};
  const std::string font = gsettings_get(schema, "font");
  const std::string flag = gsettings_get(schema, "use-system-font");
  if (font.empty() || flag.empty()) return {};
  if (flag != "true") return {.found = true, .system_font = false, .font = unquoted(font)};
  const std::string system = gsettings_get("org.gnome.desktop.interface", "monospace-font-name");
  return {.found = true, .system_font = true, .font = unquoted(system)};
}

std::string use_terminal_font(std::string family) {
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
  // Only a backup the program made holds the user's own font: anything else at its name (a
  // link to a file elsewhere, say) is moved aside, and a backup is made.
  const std::string backup = font_backup_path();
  const FoundAtName found = look_at_name(backup);
  if (!found.foreign.empty()) move_aside(backup, found.foreign);
  const bool new_backup = !found.taken || !found.foreign.empty();
  if (new_backup) {
    write_file_atomic(backup, schema + "\n" + old_font + "\n" + old_flag + "\n", -1,
                      LinkAtPath::Replace);
  }
  // True when the profile is still as it was; a backup made just now then goes again, so that a
  // later restore cannot bring back a state that never changed. A backup from an earlier run
  // holds the user's own font and always stays.
  const auto nothing_changed = [&] {
    const bool unchanged = gsettings_get(schema, "font") == old_font &&
                           gsettings_get(schema, "use-system-font") == old_flag;
    if (unchanged && new_backup) unlink(backup.c_str());
    return unchanged;
  };
  const std::string size = font_size(unquoted(old_font));
  const std::string font = family + " " + (size.empty() ? "12" : size);
  gsettings_set(schema, "use-system-font", "false");
  const RunOutcome set = run_command("gsettings", {"set", schema, "font", font});
  if (!set.ok) {
    nothing_changed();
    fail("gsettings failed: " + failure_reason(set));
  }
  // gsettings without a session bus keeps values in memory only, and still says it set them.
  const std::string font_now = gsettings_get(schema, "font");
  const std::string flag_now = gsettings_get(schema, "use-system-font");
  if (unquoted(font_now) == font && flag_now == "false") return font;
  if (nothing_changed()) {
    fail(
        "the terminal profile did not keep the font (gsettings stored nothing: is there a "
        "session bus?); nothing changed.");
  }
  fail("the terminal profile kept only part of the change (font " + font_now + ", system font " +
       flag_now + "); undo with: fennick font restore");
}

FontRestore restore_terminal_font() {
  const std::string backup = font_backup_path();
  const FoundAtName found = look_at_name(backup);
  if (!found.taken) return FontRestore::NoBackup;
  if (!found.foreign.empty()) {
    fail("not restoring from " + backup + ": it is " + found.foreign +
         ", not a backup fennick made; nothing changed.");
  }
  const std::string text = read_text_file(backup);
  std::string lines[3];
  size_t start = 0;
  for (std::string& line : lines) {
    const size_t end = text.find('\n', start);
    if (end == std::string::npos) return FontRestore::NotOurs;
    line = text.substr(start, end - start);
    start = end + 1;
  }
  // The font line as gsettings printed it; one whose quotes are no pair (an edited backup) loses
  // every single quote.
  const std::string paired = unquoted(lines[1]);
  const std::string font = paired != lines[1] ? paired : without_single_quotes(lines[1]);
  // The backup is the only record of the user's own font: it goes only once both are back.
  const bool font_back = gsettings_set(lines[0], "font", font);
  const bool flag_back = gsettings_set(lines[0], "use-system-font", lines[2]);
  if (!font_back || !flag_back) {
    fail("gsettings could not restore the terminal profile font; the previous values stay in " +
         backup);
  }
  if (trimmed(unquoted(gsettings_get(lines[0], "font"))) != trimmed(font) ||
      gsettings_get(lines[0], "use-system-font") != trimmed(lines[2])) {
    fail(
        "the terminal profile did not keep the restored font (gsettings stored nothing: is "
        "there a session bus?); the previous values stay in " +
        backup);
  }
  unlink(backup.c_str());
  return FontRestore::Restored;
}
