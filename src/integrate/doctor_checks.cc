#include "integrate/doctor_checks.h"

#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>

#include "fonts/powerline_font.h"
#include "fonts/terminal_font.h"
#include "generate/prompt_script.h"
#include "generate/stylesheet.h"
#include "integrate/context_action.h"
#include "integrate/desktop_switch.h"
#include "integrate/nemo_extension.h"
#include "integrate/pathbar_import.h"
#include "integrate/running_nemo.h"
#include "integrate/shell_hook.h"
#include "integrate/shell_quote.h"
#include "integrate/text_file.h"
#include "settings/ascii_text.h"
#include "settings/atomic_file.h"
#include "settings/catalogue.h"
#include "settings/file_reader.h"
#include "settings/locations.h"
#include "settings/path_names.h"
#include "settings/settings_file.h"
#include "settings/value_access.h"

namespace {

bool prompt_on() {
  return get_bool("terminal", "prompt_enabled");
}

bool pathbar_on() {
  return get_bool("pathbar", "enabled");
}

// The rc file of each shell the hook goes into.
struct RcFile {
  const char* name;
  const char* shell;
};
const RcFile kRcFiles[] = {{".bashrc", "bash"}, {".zshrc", "zsh"}};

// A file that apply writes, what it writes there, and when its absence matters.
struct GeneratedFile {
  std::string (*path)();
  std::string (*text)();
  bool (*needed)();
};
const GeneratedFile kGeneratedFiles[] = {
    {prompt_script_path, prompt_script, prompt_on},
    {stylesheet_path, generate_stylesheet, pathbar_on},
    {nemo_stylesheet_path, generate_nemo_stylesheet, pathbar_on},
};

// True when the file at path was last changed before the one at other; false when either is
// missing.
bool older_than(const std::string& path, const std::string& other) {
  struct stat mine, theirs;
  if (stat(path.c_str(), &mine) != 0 || stat(other.c_str(), &theirs) != 0) return false;
  if (mine.st_mtim.tv_sec != theirs.st_mtim.tv_sec)
    return mine.st_mtim.tv_sec < theirs.st_mtim.tv_sec;
  return mine.st_mtim.tv_nsec < theirs.st_mtim.tv_nsec;
}

bool same_file(const std::string& path, const std::string& other) {
  struct stat mine, theirs;
  return stat(path.c_str(), &mine) == 0 && stat(other.c_str(), &theirs) == 0 &&
         mine.st_dev == theirs.st_dev && mine.st_ino == theirs.st_ino;
}

// The parent of a process and its command name, from /proc; 0 and "" when it is gone.
pid_t parent_of(pid_t pid) {
  std::string stat;
  if (!read_whole_file("/proc/" + std::to_string(pid) + "/stat", stat)) return 0;
  // "PID (COMMAND) STATE PARENT ...": the command may hold blanks and parentheses.
  const size_t after_name = stat.rfind(')');
  if (after_name == std::string::npos || after_name + 4 > stat.size()) return 0;
  return static_cast<pid_t>(std::atol(stat.c_str() + after_name + 4));
}

std::string command_name(pid_t pid) {
  std::string name;
  if (pid <= 0 || !read_whole_file("/proc/" + std::to_string(pid) + "/comm", name)) return "";
  return trimmed(name);
}

// The first executable named name in a folder of PATH; empty when there is none.
std::string find_on_path(const std::string& name) {
  const std::string path = env_text("PATH");
  size_t start = 0;
  while (start <= path.size()) {
    size_t end = path.find(':', start);
    if (end == std::string::npos) end = path.size();
    const std::string dir = end == start ? "." : path.substr(start, end - start);
    const std::string candidate = dir + "/" + name;
    struct stat info;
    if (stat(candidate.c_str(), &info) == 0 && S_ISREG(info.st_mode) &&
        access(candidate.c_str(), X_OK) == 0) {
      return candidate;
    }
    start = end + 1;
  }
  return "";
}

// The text of a key-file value with its escapes read: \s, \n, \t, \r and \\.
std::string key_file_unescaped(const std::string& value) {
  std::string out;
  for (size_t i = 0; i < value.size(); ++i) {
    if (value[i] != '\\' || i + 1 == value.size()) {
      out += value[i];
      continue;
    }
    const char next = value[++i];
    out += next == 's' ? ' ' : next == 'n' ? '\n' : next == 't' ? '\t' : next == 'r' ? '\r' : next;
  }
  return out;
}

// The first word of a command line as the shell reads it: quotes and backslashes taken away.
std::string first_shell_word(const std::string& line) {
  std::string word;
  bool started = false;
  char quote = '\0';
  for (size_t i = 0; i < line.size(); ++i) {
    const char c = line[i];
    if (quote == '\'') {
      if (c == '\'') quote = '\0';
      if (c != '\'') word += c;
    } else if (c == '\\' && i + 1 < line.size()) {
      word += line[++i];
      started = true;
    } else if (quote == '"') {
      if (c == '"') quote = '\0';
      if (c != '"') word += c;
    } else if (c == '\'' || c == '"') {
      quote = c;
      started = true;
    } else if (c == ' ' || c == '\t') {
      if (started) break;
    } else {
      word += c;
      started = true;
    }
  }
  return word;
}

}  // namespace

std::string exec_program(const std::string& file_text) {
  size_t start = 0;
  while (start < file_text.size()) {
    size_t end = file_text.find('\n', start);
    if (end == std::string::npos) end = file_text.size();
    const std::string line = file_text.substr(start, end - start);
    if (line.rfind("Exec=", 0) == 0) return first_shell_word(key_file_unescaped(line.substr(5)));
    start = end + 1;
  }
  return "";
}

std::string path_export_line(const std::string& dir) {
  const std::string home = home_dir();
  const std::string shown = dir.rfind(home + "/", 0) == 0
                                ? "$HOME" + double_quote_escaped(dir.substr(home.size()))
                                : double_quote_escaped(dir);
  return "export PATH=\"" + shown + ":$PATH\"";
}

void check_settings_lines(Problems& found) {
  const std::string file = settings_path();
  for (const RejectedLine& line : settings_file_rejected_lines()) {
    const std::string where = file + " line " + std::to_string(line.number);
    const std::string text = "\"" + printable(line.text) + "\"";
    if (line.setting < 0) {
      found.push_back({where + " is not understood: " + text,
                       "edit " + file + ": correct or delete line " + std::to_string(line.number)});
      continue;
    }
    const std::string name = setting_name(line.setting);
    found.push_back({where + " holds no value that " + name + " takes: " + text,
                     "fennick set " + name + " VALUE" + value_hint(line.setting) +
                         ", or fennick reset " + name});
  }
}

// The prompt off is the default and no problem; the hook installed with it off is a prompt the
// user asked for that never shows.
void check_prompt_switch(Problems& found) {
  if (prompt_on()) return;
  std::string hooked;
  for (const RcFile& rc : kRcFiles) {
    const std::string path = home_dir() + "/" + rc.name;
    if (!path_exists(path) || !holds_hook_block(read_text_file(path))) continue;
    hooked += (hooked.empty() ? "" : " and ") + path;
  }
  if (hooked.empty()) return;
  found.push_back({hooked + " source" + (hooked.find(" and ") == std::string::npos ? "s" : "") +
                       " the prompt script, but the prompt is off (terminal.prompt_enabled is "
                       "false)",
                   "fennick set terminal.prompt_enabled true, or fennick prompt-remove"});
}

// The rc file of every shell that is in use: its rc file exists, or it is the login shell.
void check_shell_hooks(Problems& found) {
  if (!prompt_on()) return;
  const std::string login_shell = name_of(env_text("SHELL"));
  for (const RcFile& rc : kRcFiles) {
    const std::string path = home_dir() + "/" + rc.name;
    if (!path_exists(path)) {
      if (login_shell != rc.shell) continue;
      // The hook goes into an existing ~/.zshrc only; a missing ~/.bashrc is created.
      found.push_back({path + " does not exist, so " + rc.shell + ", your login shell, never " +
                           "reads the prompt",
                       std::string(std::string(rc.shell) == "zsh" ? "touch ~/.zshrc && " : "") +
                           "fennick prompt-install"});
      continue;
    }
    const std::string text = read_text_file(path);
    if (holds_hook_block(text)) continue;
    found.push_back(
        {path + (text.find(kHookStartMarker) == std::string::npos
                     ? " does not source the prompt script (no fennick hook)"
                     : " has a fennick hook that does not source " + prompt_script_path()),
         "fennick prompt-install"});
  }
}

// A missing file matters only when its settings are on; a file with other bytes always does.
void check_generated_files(Problems& found) {
  for (const GeneratedFile& generated : kGeneratedFiles) {
    const std::string path = generated.path();
    std::string bytes;
    if (!read_whole_file(path, bytes)) {
      if (generated.needed()) found.push_back({path + " is missing", "fennick apply"});
      continue;
    }
    if (bytes == generated.text()) continue;
    found.push_back({path + (older_than(path, settings_path()) ? " is older than " + settings_path()
                                                               : " is not what the settings make"),
                     "fennick apply"});
  }
}

// prompt.sh, for scope nemo, lets the prompt through in a shell whose parent is called nemo (or
// with FENNICK_FORCE=1): the shell here is the one that started this program.
void check_prompt_scope(Problems& found) {
  if (!prompt_on() || get_value("terminal", "scope") != "nemo") return;
  if (env_text("FENNICK_FORCE") == "1") return;
  if (command_name(parent_of(getppid())) == "nemo") return;
  found.push_back(
      {"the prompt shows only in terminals that Nemo opens (terminal.scope is nemo), and this "
       "shell was not started by Nemo",
       "fennick set terminal.scope all"});
}

// The powerline separators other than ascii are glyphs of a powerline font. Nemo's own terminal
// follows the system's monospace font, so the terminal profile matters only for scope all.
void check_prompt_font(Problems& found) {
  if (!prompt_on() || get_value("terminal", "style") != "powerline") return;
  if (get_value("terminal", "separator") == "ascii") return;
  const std::string fonts = powerline_font_list();
  if (fonts.empty()) {
    found.push_back(
        {"the powerline prompt needs a font with the powerline glyphs, and no installed font has "
         "them",
         "fennick font install"});
    return;
  }
  if (get_value("terminal", "scope") != "all") return;
  const ProfileFont profile = terminal_profile_font();
  if (!profile.found || lists_font(fonts, profile.font)) return;
  found.push_back({"the default terminal profile's font, " + printable(profile.font) +
                       (profile.system_font ? " (the system font)" : "") +
                       ", has no powerline glyphs",
                   "fennick font use"});
}

// The tuned Nemo reads fennick.css once it is the default; the stock Nemo through gtk.css or
// fennick's extension.
void check_pathbar_reader(Problems& found) {
  if (!pathbar_on() || pathbar_block_installed() || live_nemo_reader()) return;
  if (path_exists(tuned_nemo_path())) {
    found.push_back(
        {"the path bar is customised, but the tuned Nemo that reads it is not the default and "
         "gtk.css does not import it for the stock Nemo",
         "fennick enable, or fennick pathbar-install"});
    return;
  }
  // The import taken out on purpose leaves the stock look, which the switch can say as well.
  found.push_back(
      {"the path bar is customised, but the stock Nemo does not read it: " + gtk_css_path() +
           " does not import " + name_of(nemo_stylesheet_path()) +
           ", fennick's extension does not run in it, and the tuned Nemo is not installed",
       "fennick extension-install (live), fennick pathbar-install, or fennick set "
       "pathbar.enabled false"});
}

// Sidebar settings changed from their defaults ask for something that the stock Nemo shows only
// through fennick's extension.
void check_sidebar_reader(Problems& found) {
  bool changed = false;
  for (int i = 0; i < setting_count(); ++i) {
    const Setting& row = setting_at(i);
    changed = changed || (row.section == "sidebar" && stored_value(i) != row.default_value);
  }
  if (!changed || live_nemo_reader() || nemo_extension_state() != ExtensionState::Missing) return;
  found.push_back(
      {"sidebar settings are changed, but the stock Nemo shows them only through "
       "fennick's extension, which is not installed",
       "fennick extension-install"});
}

// The extension in place, but not what this fennick writes, or with nothing to load it.
void check_nemo_extension(Problems& found) {
  const ExtensionState state = nemo_extension_state();
  if (state == ExtensionState::Outdated) {
    found.push_back({printable(nemo_extension_path()) +
                         " is fennick's Nemo extension of another version or for another "
                         "fennick",
                     "fennick extension-install"});
  }
  if ((state == ExtensionState::Current || state == ExtensionState::Outdated) &&
      !nemo_python_installed()) {
    found.push_back(
        {"fennick's Nemo extension is installed, but nemo-python, which loads it "
         "into the stock Nemo, is not",
         "sudo apt install nemo-python"});
  }
}

// A service file whose program is gone leaves folders unopened. enable writes both again for
// the tuned Nemo where it is now, disable takes out ours; one of the user's own is theirs to
// remove.
void check_dbus_services(Problems& found) {
  for (const std::string& path : {nemo_service_path(), file_manager_service_path()}) {
    if (!path_exists(path)) continue;
    const std::string text = read_text_file(path);
    const std::string program = exec_program(text);
    if (program.empty() || program[0] != '/' || access(program.c_str(), X_OK) == 0) continue;
    const std::string fix = path_exists(tuned_nemo_path()) ? "fennick enable"
                            : is_ours(text)                ? "fennick disable"
                                                           : "rm " + shell_word(path);
    found.push_back(
        {path + " starts " + printable(program) + ", which does not exist or cannot run", fix});
  }
}

void check_running_nemo(Problems& found) {
  const std::string running = running_nemo_exe();
  if (running.empty()) return;
  const bool tuned_default = tuned_nemo_is_default();
  if (is_tuned_exe(running) == tuned_default) return;
  found.push_back(
      {"the running Nemo is " + printable(running) + ", not the default one (" +
           (tuned_default ? "the tuned Nemo, " + tuned_nemo_path() : "the system Nemo") + ")",
       "fennick restart"});
}

void check_program_on_path(Problems& found) {
  const std::string self = own_executable_path();
  const std::string dir = directory_of(self);
  const std::string first = find_on_path(name_of(self));
  if (!first.empty() && same_file(first, self)) return;
  found.push_back({first.empty()
                       ? dir + ", the folder of this " + name_of(self) + ", is not on PATH"
                       : name_of(self) + " on PATH is " + first + ", not this one in " + dir,
                   "add this line to ~/.profile, then log in again: " + path_export_line(dir)});
}

// A write killed midway leaves its temporary file; the next write in that folder takes it away.
void check_leftover_temporaries(Problems& found) {
  const std::string css = gtk_css_path();
  std::vector<std::string> looked_in;
  for (const std::string& folder : {config_dir(), home_dir(), directory_of(css), applications_dir(),
                                    dbus_services_dir(), actions_dir()}) {
    // Folders may coincide (FENNICK_DIR in the home folder): each is looked into once.
    if (std::find(looked_in.begin(), looked_in.end(), folder) != looked_in.end()) continue;
    looked_in.push_back(folder);
    for (const std::string& path : stale_temporaries(folder)) {
      found.push_back(
          {printable(path) + " is left from a write that was cut short", "rm " + shell_word(path)});
    }
  }
}

Problems find_problems() {
  using Check = void (*)(Problems&);
  static const Check kChecks[] = {
      check_settings_lines,       check_prompt_switch, check_shell_hooks,    check_generated_files,
      check_prompt_scope,         check_prompt_font,   check_pathbar_reader, check_sidebar_reader,
      check_nemo_extension,       check_dbus_services, check_running_nemo,   check_program_on_path,
      check_leftover_temporaries,
  };
  Problems found;
  for (const Check check : kChecks)
    check(found);
  return found;
}
