#include "cli/man_page.h"

#include <iterator>
#include <string_view>
#include <vector>

#include "cli/command_table.h"
#include "cli/man_roff.h"
#include "cli/usage.h"
#include "integrate/desktop_switch.h"
#include "integrate/pathbar_import.h"
#include "integrate/shell_hook.h"
#include "presets/palettes.h"
#include "settings/catalogue.h"
#include "settings/locations.h"
#include "settings/path_names.h"
#include "settings/settings_file.h"
#include "settings/value_access.h"

namespace {

// What the options of the command table do, for every command that takes them.
struct OptionMeaning {
  const char* option;
  const char* meaning;
};
const OptionMeaning kOptionMeanings[] = {
    {"--yes", "answer yes to every question instead of asking"},
};

// The variables the program reads, and prompt.sh's own.
struct Variable {
  const char* name;
  const char* meaning;
};
const Variable kVariables[] = {
    {"HOME",
     "The home folder, an absolute name. Every file fennick writes is below it, unless the "
     "variables below name other folders."},
    {"FENNICK_DIR", "The settings folder, in place of ~/.config/fennick."},
    {"XDG_CONFIG_HOME",
     "When it is an absolute name, it takes the place of ~/.config: for the settings folder and "
     "for GTK's gtk-3.0/gtk.css."},
    {"XDG_DATA_HOME",
     "When it is an absolute name, it takes the place of ~/.local/share: for the desktop entry, "
     "the D-Bus services, the Nemo action, the Nemo extension and the font folder."},
    {"XDG_CACHE_HOME",
     "When it is an absolute name, it takes the place of ~/.cache: for the list of the folders "
     "the Nemo windows show."},
    {"FENNICK_PREFIX",
     "The tuned Nemo's folder, in place of ~/.local/opt/fennick; its executable is bin/nemo "
     "below it."},
    {"FENNICK_SHARE",
     "The installer's folder, in place of ~/.local/share/fennick; uninstall runs "
     "fennick-install.sh from it."},
    {"FENNICK_UNINSTALLING",
     "Set to 1 by fennick-install.sh --uninstall for the removal commands it runs "
     "(prompt-remove, pathbar-remove, disable, font restore): their advice then names no fennick "
     "command, since fennick goes next; the installer says how to restart Nemo."},
    {"FENNICK_FONT_URL",
     "The address that font install downloads the four MesloLGS NF files from (each file's name "
     "is added after a /), in place of the default source; files from another source are not "
     "checked against the default source's checksums."},
    {"DISPLAY",
     "Without a command, fennick opens the settings window when DISPLAY is set and prints the "
     "overview of the commands otherwise. The window needs a display."},
    {"FENNICK_FORCE",
     "Set to 1, it makes prompt.sh show the prompt in a terminal that Nemo did not start, even "
     "when terminal.scope is nemo; doctor then does not report the terminal it runs in."},
    {"PATH",
     "The folders in which fennick finds the programs it runs (gsettings, fc-list, fc-cache, "
     "curl, pgrep, nemo) and doctor looks for them."},
    {"SHELL",
     "The login shell: doctor reports a missing hook in its rc file even when that file does not "
     "exist yet."},
};

std::string text_line(std::string_view text) {
  return roff_line(roff_escaped(text));
}

std::string marked_line(std::string_view text) {
  return roff_line(roff_marked(text));
}

// The text as a sentence: its first letter upper-case, a full stop at its end.
std::string sentence(std::string_view text) {
  std::string out(text);
  if (!out.empty() && out[0] >= 'a' && out[0] <= 'z') out[0] = static_cast<char>(out[0] - 32);
  if (!out.empty() && out.back() != '.' && out.back() != '?' && out.back() != '!') out += '.';
  return out;
}

// The path as the page shows it: the folder dir at its start written as shown_dir, which names
// the default of a folder that the environment may move elsewhere.
std::string shown_below(const std::string& shown_dir, const std::string& path,
                        const std::string& dir) {
  if (path.compare(0, dir.size(), dir) != 0) return path;
  return shown_dir + path.substr(dir.size());
}

bool is_word_char(char c) {
  return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '-' ||
         c == '_';
}

// A usage text in markup: what is typed as it stands (command names, options, fixed operands)
// in bold, what stands for a value of the user's (the upper-case operands) in italic, brackets,
// bars and dots in roman.
std::string usage_markup(std::string_view usage) {
  std::string out;
  for (size_t i = 0; i < usage.size();) {
    if (!is_word_char(usage[i])) {
      out += roff_escaped(usage.substr(i++, 1));
      continue;
    }
    size_t end = i;
    while (end < usage.size() && is_word_char(usage[end]))
      ++end;
    const std::string_view word = usage.substr(i, end - i);
    out += word[0] >= 'A' && word[0] <= 'Z' ? roff_italic(word) : roff_bold(word);
    i = end;
  }
  return out;
}

std::string header() {
  return ".TH FENNICK 1 \"\" \"fennick " + std::string(kVersion) + "\" \"User Commands\"\n" +
         // Names and paths are long words: no hyphenation, no stretched blanks around them.
         ".nh\n.ad l\n" + roff_fallbacks() + ".SH NAME\n" +
         text_line(
             "fennick - tune the Nemo file manager: path bar, terminal prompt, panes, "
             "sidebar");
}

std::string synopsis() {
  std::string out = ".SH SYNOPSIS\n.nf\n";
  for (const UsageLine& usage : usage_lines())
    out += roff_line("\\fBfennick\\fR " + usage_markup(usage_synopsis(usage)));
  return out + ".fi\n";
}

std::string description() {
  const std::string settings = name_of(settings_path());
  const std::string stylesheet = name_of(stylesheet_path());
  const std::string nemo_stylesheet = name_of(nemo_stylesheet_path());
  const std::string prompt = name_of(prompt_script_path());
  return ".SH DESCRIPTION\n" +
         marked_line(
             "fennick tunes the Nemo file manager for one user: the look of its path "
             "bar, a bash or zsh prompt (plain coloured text or powerline blocks), the "
             "settings that a tuned Nemo reads, and the desktop integration around it. "
             "It never needs root and writes only below the home folder.") +
         ".PP\n" +
         marked_line("Every choice lives in one settings file, `" + settings +
                     "`. A change rewrites the files made from it: the GTK 3 stylesheet `" +
                     stylesheet + "` (with `" + nemo_stylesheet +
                     "`, its rules scoped to the Nemo window, for the stock Nemo) and the prompt "
                     "script `" +
                     prompt +
                     "`, which ~/.bashrc and ~/.zshrc source once `fennick prompt-install` has "
                     "added the hook.") +
         ".PP\n" +
         marked_line(
             "The settings window (`fennick gui`, or `fennick` alone on a display) shows "
             "the settings page by page, with previews of the path bar and the prompt, "
             "and saves each change as it is made. GTK 3 is loaded only when the window "
             "opens; every other command works without it.") +
         ".PP\n" +
         marked_line(
             "The tuned Nemo is a separately built Nemo that reads the pane, sidebar, "
             "read-only and terminal-key settings; fennick manages only its desktop "
             "integration. With the stock Nemo the prompt, the context-menu entry and, "
             "through `pathbar-install`, the path bar work as they are.");
}

bool in_usage_lines(const CommandInfo& command) {
  for (const UsageLine& usage : usage_lines()) {
    for (const char* name : usage.commands) {
      if (name && find_command(name) == &command) return true;
    }
  }
  return false;
}

std::string palette_list() {
  std::string out = ".RS\n";
  for (size_t i = 0; i < kPaletteCount; ++i) {
    out += ".TP\n" + roff_line(roff_bold(kPalettes[i].name)) +
           text_line(sentence(kPalettes[i].description));
  }
  std::string keys;
  for (size_t i = 0; i < kPaletteKeyCount; ++i)
    keys += (keys.empty() ? "`" : "`, `") + std::string("sidebar.") + kPaletteKeys[i];
  return out + ".RE\n.IP\n" + marked_line("A palette sets " + keys + "`.");
}

std::string command_entry(const CommandInfo& command) {
  const char* operands = command.usage_operands ? command.usage_operands : command.operands;
  std::string out =
      ".TP\n" +
      roff_line(usage_markup(std::string(command.words[0]) + (*operands ? " " : "") + operands)) +
      text_line(sentence(command.description));
  std::string spellings;
  for (size_t i = 1; i < std::size(command.words) && command.words[i]; ++i)
    spellings += (spellings.empty() ? "`" : "`, `") + std::string(command.words[i]);
  if (!spellings.empty()) out += marked_line("Also written " + spellings + "`.");
  if (command.word_optional)
    out += text_line("It also runs when no command is given and DISPLAY is set.");
  if (command.takes_values) out += marked_line("A VALUE may begin with `-`.");
  for (std::string_view options = command.options; !options.empty();) {
    const size_t blank = options.find(' ');
    const std::string option(options.substr(0, blank));
    options = blank == std::string_view::npos ? "" : options.substr(blank + 1);
    if (option.empty()) continue;
    std::string meaning;
    for (const OptionMeaning& known : kOptionMeanings) {
      if (option == known.option) meaning = std::string(": ") + known.meaning;
    }
    out += marked_line("Option `" + option + "`" + meaning + ".");
  }
  if (std::string_view(command.words[0]) == "palette") out += palette_list();
  return out;
}

std::string commands() {
  std::string out =
      ".SH COMMANDS\n" +
      marked_line(
          "A command word may be written in any letter case. Every command also takes "
          "`-h` or `--help`, which prints its usage line and description and does "
          "nothing else; `--` ends the options, so that an operand may begin with `-`.");
  for (const UsageLine& usage : usage_lines()) {
    for (const char* name : usage.commands) {
      if (!name) continue;
      if (const CommandInfo* command = find_command(name)) out += command_entry(*command);
    }
  }
  for (const CommandInfo& command : command_table()) {
    if (!in_usage_lines(command)) out += command_entry(command);
  }
  return out;
}

// What values the row takes, as the start of a sentence.
std::string kind_words(const Setting& row) {
  switch (row.kind) {
    case SettingKind::Bool:
      return "On or off: `true` or `false`";
    case SettingKind::Int:
      return "A whole number from " + std::to_string(row.min) + " to " + std::to_string(row.max);
    case SettingKind::Text:
      return "Text";
    case SettingKind::Colour:
      return "A colour `#RRGGBB`, or empty";
    case SettingKind::Font:
      return "A font as family, style words and size, such as `DejaVu Sans Bold 11`, or empty";
    case SettingKind::Choice: {
      std::string words;
      for (std::string_view word : choice_words(row.choices))
        words += (words.empty() ? "`" : ", `") + std::string(word) + "`";
      return "One of " + words;
    }
    case SettingKind::Keys:
      return "A key combination in GTK's notation, such as `<Primary><Shift>F3`";
  }
  return "";
}

std::string setting_entry(int index) {
  const Setting& row = setting_at(index);
  const std::string value = escape_value(std::string(row.default_value));
  std::string out = ".TP\n" + roff_line(roff_bold(setting_name(index))) +
                    text_line(sentence(row.label)) +
                    roff_line(roff_marked(kind_words(row) + "; default ") +
                              (value.empty() ? std::string("empty") : roff_bold(value)) + ".");
  if (resolve_setting_name(std::string(row.key)) == -2) {
    out += text_line("Another section has the key " + std::string(row.key) +
                     " as well: give this one its full name.");
  }
  if (!row.hint.empty()) out += text_line(row.hint);
  return out;
}

std::string settings() {
  std::string out =
      ".SH SETTINGS\n" +
      text_line(
          "The settings file holds a [section] line for each section and a key=value line "
          "for each setting below it; a backslash in a value is written \\\\, a blank at "
          "either end of it \\s. A rewrite of the file leaves out every other line (a "
          "comment, a key it does not know) and keeps them in " +
          name_of(settings_path()) + ".bak first.") +
      ".PP\n" +
      marked_line(
          "`get`, `set` and `reset` name a setting as section.key, as below; the key "
          "alone works when no other section has it. `list` shows every setting, or "
          "those of one page, named by its title or its section. A switch also takes "
          "yes, no, on, off, 1 and 0; a number outside its range is set to the nearest "
          "end of it; a colour may leave out the #; a choice and a switch may be given "
          "in any letter case. An empty colour or font is the theme's.");
  std::string_view page;
  std::string_view group;
  for (int i = 0; i < setting_count(); ++i) {
    const Setting& row = setting_at(i);
    if (row.page != page || row.group != group) {
      page = row.page;
      group = row.group;
      out += roff_request(
          ".SS", group == page ? std::string(page) : std::string(page) + ": " + std::string(group));
    }
    out += setting_entry(i);
  }
  return out;
}

// A path in italic, which a narrow page may break after each "/".
std::string path_markup(const std::string& path) {
  std::string out;
  for (char c : roff_italic(path)) {
    out += c;
    if (c == '/') out += "\\:";
  }
  return out;
}

// A row of FILES: its paths, each shown on a line of its own, and what the file is (marked).
struct FileEntry {
  std::vector<std::string> paths;
  std::string text;
};

std::string files() {
  const std::string config = "~/.config/fennick";
  const std::string data = "~/.local/share";
  const std::string dir = config_dir();
  const std::string data_home = data_dir();
  const std::string written = "; written by `apply` and by every change of the settings.";
  const FileEntry entries[] = {
      {{shown_below(config, settings_path(), dir)},
       "The settings. The folder is $XDG_CONFIG_HOME/fennick when XDG_CONFIG_HOME is set; "
       "FENNICK_DIR names another."},
      {{shown_below(config, settings_path() + ".bak", dir)},
       "The settings as they were before an `import` or a `reset` of all, or the lines a "
       "rewrite dropped."},
      {{shown_below(config, stylesheet_path(), dir)},
       "The stylesheet the tuned Nemo reads" + written},
      {{shown_below(config, nemo_stylesheet_path(), dir)},
       "The path-bar rules scoped to the Nemo window, which gtk.css imports after "
       "`pathbar-install`" +
           written},
      {{shown_below(config, prompt_script_path(), dir)},
       "The prompt script, which the hook in the rc files sources" + written},
      {{shown_below(config, font_backup_path(), dir)},
       "The terminal profile's font from before `font use`, which `font restore` puts back."},
      {{"~/.bashrc", "~/.zshrc"},
       "`prompt-install` adds the hook, the lines from " + std::string(kHookStartMarker) + " to " +
           kHookEndMarker +
           ", and `prompt-remove` takes it out; every other byte stays as it was. A missing "
           "~/.zshrc is not made."},
      {{"~/.config/gtk-3.0/gtk.css"},
       "GTK 3's user stylesheet (below $XDG_CONFIG_HOME when it is set): `pathbar-install` puts "
       "the import of fennick-nemo.css at its top, from " +
           std::string(kPathbarStartMarker) + " to " + kPathbarEndMarker +
           ", and `pathbar-remove` takes it out."},
      {{"NAME.fennick-bak", "NAME.fennick-bak.N"},
       "A file of the user's (an rc file, gtk.css, or a desktop entry, D-Bus service or action "
       "file of the same name as one of fennick's) as it was before fennick changed or "
       "replaced it; a later, different version goes to the next number. A backup is never "
       "overwritten."},
      {{shown_below("~/.local/opt/fennick", tuned_nemo_path(), prefix_dir())},
       "The tuned Nemo's executable, which `enable` needs; FENNICK_PREFIX names another "
       "folder."},
      {{shown_below("~/.local/share/fennick", installer_script_path(), share_dir())},
       "The installer, with the README and the list of what it installed; `uninstall` runs it. "
       "FENNICK_SHARE names another folder; XDG_DATA_HOME does not move it."},
      {{shown_below(data, user_desktop_entry_path(), data_home)},
       "`enable` writes it: " + std::string(kSystemDesktopEntry) +
           " with its Exec lines pointing at the tuned Nemo; `disable` removes it. "
           "~/.local/share is $XDG_DATA_HOME when that is set, here and below."},
      {{shown_below(data, nemo_service_path(), data_home),
        shown_below(data, file_manager_service_path(), data_home)},
       "The D-Bus services that start the tuned Nemo; written by `enable`, removed by "
       "`disable`."},
      {{shown_below(data, action_file_path(), data_home)},
       "Nemo's right-click entry that opens the settings window; written by `action-install` "
       "and `enable`, removed by `action-remove` and `disable`."},
      {{shown_below(data, nemo_extension_path(), data_home)},
       "fennick's extension of the stock Nemo, loaded by nemo-python: it follows the path bar "
       "and sidebar settings live and adds the menu entries; written by `extension-install`, "
       "removed by `extension-remove`."},
      {{shown_below("~/.cache", nemo_windows_path(), cache_dir())},
       "The folders the windows of a Nemo with the extension show, which `restart` opens again "
       "(~/.cache is $XDG_CACHE_HOME when that is set)."},
      {{shown_below(data, font_dir(), data_home) + "/"},
       "The MesloLGS NF files that `font install` downloads."},
      {{data + "/bash-completion/completions/fennick", data + "/zsh/site-functions/_fennick"},
       "The tab completion for bash and zsh as `completion` prints it, installed by "
       "fennick-install.sh."},
      {{data + "/man/man1/fennick.1"},
       "This page as `man` prints it, installed by fennick-install.sh."},
  };
  std::string out = ".SH FILES\n";
  for (const FileEntry& entry : entries) {
    for (size_t i = 0; i < entry.paths.size(); ++i)
      out += (i == 0 ? ".TP\n" : ".TQ\n") + roff_line(path_markup(entry.paths[i]));
    out += marked_line(entry.text);
  }
  return out;
}

std::string environment() {
  std::string out = ".SH ENVIRONMENT\n";
  for (const Variable& variable : kVariables)
    out += ".TP\n" + roff_line(roff_bold(variable.name)) + text_line(variable.meaning);
  return out;
}

std::string exit_status() {
  const char* const statuses[][2] = {
      {"0", "Success."},
      {"1",
       "Failure, reported on one line that begins with \"fennick: \": an unknown or ambiguous "
       "setting name, a value a setting does not take, a file that cannot be read or written, "
       "output that cannot be written, a missing installer script for uninstall."},
      {"2",
       "A usage error: an unknown command, an option or operand the command does not take, a "
       "missing one, or an unknown page, palette, font step or shell; the message shows the usage "
       "or the names that are taken."},
      {"3",
       "The settings window cannot open because GTK 3 (libgtk-3.so.0) cannot be loaded; a missing "
       "display is a failure (1)."},
      {"255",
       "uninstall: the installer script failed, whatever status it ended with. When a signal "
       "ends the shell that runs it, uninstall exits with the number of that signal instead."},
  };
  std::string out = ".SH EXIT STATUS\n";
  for (const auto& status : statuses)
    out += ".TP\n" + roff_line(roff_bold(status[0])) + text_line(status[1]);
  return out;
}

std::string see_also() {
  return ".SH SEE ALSO\n" + marked_line("`nemo`(1), `bash`(1), `zsh`(1), `gsettings`(1)");
}

}  // namespace

std::string man_page() {
  return header() + synopsis() + description() + commands() + settings() + files() + environment() +
         exit_status() + see_also();
}
