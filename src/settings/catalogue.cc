#include "settings/catalogue.h"

#include <vector>

namespace {

std::vector<Setting> catalogue;

}  // namespace

void add_setting(const char* section, const char* key, SettingKind kind, const char* default_value,
                 int32_t min, int32_t max, const char* choices, const char* page, const char* group,
                 const char* label, const char* hint) {
  catalogue.push_back(
      Setting{section, key, kind, default_value, min, max, choices, page, group, label, hint});
}

void add_plain_setting(const char* section, const char* key, SettingKind kind,
                       const char* default_value, const char* page, const char* group,
                       const char* label, const char* hint) {
  add_setting(section, key, kind, default_value, 0, 0, "", page, group, label, hint);
}

int setting_count() {
  return static_cast<int>(catalogue.size());
}

const Setting& setting_at(int index) {
  return catalogue[static_cast<size_t>(index)];
}

std::string setting_name(int index) {
  const Setting& row = setting_at(index);
  std::string name(row.section);
  name += '.';
  name += row.key;
  return name;
}

void build_catalogue() {
  catalogue.clear();
  catalogue.reserve(62);
  add_plain_setting("pathbar", "enabled", SettingKind::Bool, "false", "Path bar", "Path bar",
                    "Customise the path bar",
                    "Off = Nemo keeps its theme look. On = the values below are applied (live).");
  add_setting("pathbar", "border_style", SettingKind::Choice, "solid", 0, 0,
              "none,solid,dashed,dotted,double,groove,ridge,inset,outset", "Path bar", "Border",
              "Border style", "");
  add_setting("pathbar", "border_width", SettingKind::Int, "1", 0, 8, "", "Path bar", "Border",
              "Border width (px)", "");
  add_setting("pathbar", "shape", SettingKind::Choice, "custom", 0, 0,
              "custom,square,soft,round,pill,tab,tab_bottom,leaf,leaf_reverse", "Path bar",
              "Border", "Crumb shape",
              "square = sharp corners; soft/round = rounded corners; pill = fully rounded ends; "
              "tab = rounded on top; tab_bottom = rounded at the bottom; leaf / leaf_reverse = two "
              "opposite corners rounded; custom = use the corner radius below.");
  add_setting("pathbar", "border_radius", SettingKind::Int, "3", 0, 40, "", "Path bar", "Border",
              "Corner radius (px, shape = custom)", "");
  add_setting("pathbar", "spacing", SettingKind::Int, "0", 0, 24, "", "Path bar", "Border",
              "Gap between crumbs (px)",
              "0 keeps the crumbs joined; a gap shows the shape of each crumb (pill, leaf).");
  add_plain_setting("pathbar", "border_color", SettingKind::Colour, "", "Path bar", "Border",
                    "Border colour", "Empty = theme colour.");
  add_plain_setting("pathbar", "normal_font", SettingKind::Font, "", "Path bar",
                    "Unselected crumbs", "Font (family, size, bold, italic)",
                    "Empty = theme font.");
  add_plain_setting("pathbar", "normal_color", SettingKind::Colour, "", "Path bar",
                    "Unselected crumbs", "Text colour", "");
  add_plain_setting("pathbar", "normal_bg", SettingKind::Colour, "", "Path bar",
                    "Unselected crumbs", "Background colour", "Empty = theme background.");
  add_setting("pathbar", "normal_height", SettingKind::Int, "0", 0, 80, "", "Path bar",
              "Unselected crumbs", "Height (px, 0 = theme)", "");
  add_plain_setting("pathbar", "selected_font", SettingKind::Font, "", "Path bar", "Selected crumb",
                    "Font (family, size, bold, italic)", "The crumb for the folder you are in.");
  add_plain_setting("pathbar", "selected_color", SettingKind::Colour, "", "Path bar",
                    "Selected crumb", "Text colour", "");
  add_plain_setting("pathbar", "selected_bg", SettingKind::Colour, "", "Path bar", "Selected crumb",
                    "Background colour", "Empty = theme background.");
  add_setting("pathbar", "selected_height", SettingKind::Int, "0", 0, 80, "", "Path bar",
              "Selected crumb", "Height (px, 0 = theme)", "");
  add_plain_setting(
      "terminal", "prompt_enabled", SettingKind::Bool, "false", "Terminal", "Prompt",
      "Customise the nemo-terminal prompt",
      "Needs \"fennick prompt-install\" once (adds a 3-line block to ~/.bashrc / ~/.zshrc).");
  add_setting(
      "terminal", "scope", SettingKind::Choice, "nemo", 0, 0, "nemo,all", "Terminal", "Prompt",
      "Apply to",
      "nemo = only the terminal built into Nemo (F4). all = every terminal on this account: the "
      "system terminal, other terminal programs, ssh sessions. Either way it needs the hook "
      "(button below, or fennick prompt-install) and shows in NEW terminals.");
  add_setting("terminal", "style", SettingKind::Choice, "plain", 0, 0, "plain,powerline",
              "Terminal", "Prompt", "Style",
              "plain = coloured text. powerline = each part ({user} {host} {cwd} {git} {time} "
              "{exit}) becomes a coloured block, joined by the separator shape below, all on the "
              "first line; the text after {nl} (your symbol) is printed as written. Needs a "
              "powerline / Nerd font in the terminal.");
  add_setting("terminal", "separator", SettingKind::Choice, "arrow", 0, 0,
              "arrow,rounded,slant,flame,ascii", "Terminal", "Prompt",
              "Separator shape (powerline)",
              "arrow, rounded, slant and flame are font glyphs; ascii is a plain > that works in "
              "any font.");
  add_plain_setting(
      "terminal", "template", SettingKind::Text, "{user}@{host} {cwd}{git}{nl}{sym} ", "Terminal",
      "Prompt", "Layout",
      "What the prompt shows and in which order. Tokens: {user} {host} {cwd} {git} {time} {exit} "
      "{sym} {nl} (new line). {git} shows the branch only inside a git folder; {exit} shows the "
      "code only after a failed command. Anything else is literal text.");
  add_setting(
      "terminal", "cwd_style", SettingKind::Choice, "full", 0, 0, "full,short,base", "Terminal",
      "Prompt", "Folder shown as",
      "How {cwd} prints the current folder. For ~/Projects/nemo/src:  full = ~/Projects/nemo/src   "
      "short = nemo/src (the last two folders)   base = src (only the last one).");
  add_plain_setting("terminal", "symbol", SettingKind::Text, "$", "Terminal", "Prompt",
                    "Prompt symbol",
                    "Printed where {sym} is, usually at the start of the line you type on.");
  add_plain_setting("terminal", "bold", SettingKind::Bool, "true", "Terminal", "Prompt",
                    "Bold text", "");
  add_plain_setting("terminal", "color_user", SettingKind::Colour, "#4EC9B0", "Terminal",
                    "Text colours", "User", "");
  add_plain_setting("terminal", "color_host", SettingKind::Colour, "#569CD6", "Terminal",
                    "Text colours", "Host", "");
  add_plain_setting("terminal", "color_cwd", SettingKind::Colour, "#DCDCAA", "Terminal",
                    "Text colours", "Folder", "");
  add_plain_setting("terminal", "color_git", SettingKind::Colour, "#C586C0", "Terminal",
                    "Text colours", "Git branch", "");
  add_plain_setting("terminal", "color_time", SettingKind::Colour, "#9CDCFE", "Terminal",
                    "Text colours", "Time", "");
  add_plain_setting("terminal", "color_exit", SettingKind::Colour, "#F44747", "Terminal",
                    "Text colours", "Exit code", "");
  add_plain_setting("terminal", "color_sym", SettingKind::Colour, "#CE9178", "Terminal",
                    "Text colours", "Symbol", "");
  add_plain_setting("terminal", "bg_user", SettingKind::Colour, "#1F3D3A", "Terminal",
                    "Block backgrounds (powerline)", "User", "Used only when Style = powerline.");
  add_plain_setting("terminal", "bg_host", SettingKind::Colour, "#1B2F45", "Terminal",
                    "Block backgrounds (powerline)", "Host", "");
  add_plain_setting("terminal", "bg_cwd", SettingKind::Colour, "#3B3B26", "Terminal",
                    "Block backgrounds (powerline)", "Folder", "");
  add_plain_setting("terminal", "bg_git", SettingKind::Colour, "#3A2A3A", "Terminal",
                    "Block backgrounds (powerline)", "Git branch", "");
  add_plain_setting("terminal", "bg_time", SettingKind::Colour, "#1F3340", "Terminal",
                    "Block backgrounds (powerline)", "Time", "");
  add_plain_setting("terminal", "bg_exit", SettingKind::Colour, "#4A1F1F", "Terminal",
                    "Block backgrounds (powerline)", "Exit code", "");
  add_plain_setting("terminal", "raw_bash", SettingKind::Text, "", "Terminal",
                    "Advanced (for experts)", "Your own prompt for bash",
                    "Write the bash prompt string yourself, e.g.  \\u@\\h:\\w\\$   (\\u user, \\h "
                    "host, \\w folder, \\$ the $ sign). When filled it replaces everything above "
                    "for bash. Leave empty to use the builder.");
  add_plain_setting("terminal", "raw_zsh", SettingKind::Text, "", "Terminal",
                    "Advanced (for experts)", "Your own prompt for zsh",
                    "The same for zsh, which spells it differently, e.g.  %n@%m:%~ %#   (%n user, "
                    "%m host, %~ folder, %# the $ sign). Leave empty to use the builder.");
  add_setting("terminal", "keys", SettingKind::Choice, "system", 0, 0, "system,default,custom",
              "Terminal", "Copy and paste keys (the terminal inside Nemo)", "Copy / paste keys",
              "system = the same keys as your system terminal (read live from the GNOME / Mint "
              "terminal settings). default = Nemo's own Ctrl+Shift+C / Ctrl+Shift+V. custom = the "
              "two keys below. Works on any keyboard layout. Needs the tuned Nemo.");
  add_plain_setting("terminal", "key_copy", SettingKind::Keys, "<Primary><Shift>c", "Terminal",
                    "Copy and paste keys (the terminal inside Nemo)", "Copy key (custom)",
                    "Click the box, press the keys. If it is plain Ctrl+C, Ctrl+C still interrupts "
                    "a program when nothing is selected.");
  add_plain_setting("terminal", "key_paste", SettingKind::Keys, "<Primary><Shift>v", "Terminal",
                    "Copy and paste keys (the terminal inside Nemo)", "Paste key (custom)", "");
  add_plain_setting("panes", "enabled", SettingKind::Bool, "true", "Panes", "Extra panes",
                    "Enable the pane shortcuts", "Needs the tuned Nemo.");
  add_setting("panes", "max_panes", SettingKind::Int, "6", 2, 12, "", "Panes", "Extra panes",
              "Most panes at once", "");
  add_plain_setting("panes", "key_add", SettingKind::Keys, "F3", "Panes", "Shortcuts",
                    "Add a pane at the end",
                    "Click the box, press the keys, Esc clears. While the pane keys are on, Nemo's "
                    "own F3 (Extra Pane) is switched off, and these keys also work while the "
                    "terminal has the focus. F3 to F6 replace Nemo's Extra Pane, Reload, and "
                    "Switch to Other Pane keys (the menus still work; Reload is also Ctrl+R).");
  add_plain_setting("panes", "key_remove", SettingKind::Keys, "F4", "Panes", "Shortcuts",
                    "Delete the selected pane",
                    "The selected pane is the one with the white background.");
  add_plain_setting("panes", "key_left", SettingKind::Keys, "F5", "Panes", "Shortcuts",
                    "Move the selected pane left", "");
  add_plain_setting("panes", "key_right", SettingKind::Keys, "F6", "Panes", "Shortcuts",
                    "Move the selected pane right", "");
  add_plain_setting(
      "sidebar", "places_extras", SettingKind::Bool, "true", "Sidebar", "Places view",
      "Also use these in the Places view",
      "The space bar, [size, files, folders] and the read-only colour also appear in the Places "
      "sidebar (your bookmarks, devices and special folders), not only in the Tree view.");
  add_plain_setting("sidebar", "space_bars", SettingKind::Bool, "true", "Sidebar", "Space bars",
                    "Used-space bar on mounted devices and partitions",
                    "The bar under File System, shown for every mount in the tree.");
  add_plain_setting("sidebar", "stats_enabled", SettingKind::Bool, "true", "Sidebar",
                    "Folder statistics", "Show [size, files, folders] after each name",
                    "Calculated in the background and cached.");
  add_plain_setting("sidebar", "stats_roots", SettingKind::Bool, "true", "Sidebar",
                    "Folder statistics", "Show used / total for devices",
                    "Uses the file system figures, no scanning.");
  add_plain_setting("sidebar", "stats_show_size", SettingKind::Bool, "true", "Sidebar",
                    "Folder statistics", "Show the size", "");
  add_plain_setting("sidebar", "stats_show_files", SettingKind::Bool, "true", "Sidebar",
                    "Folder statistics", "Show the file count", "");
  add_plain_setting("sidebar", "stats_show_dirs", SettingKind::Bool, "true", "Sidebar",
                    "Folder statistics", "Show the folder count", "");
  add_setting("sidebar", "stats_max_entries", SettingKind::Int, "200000", 1000, 5000000, "",
              "Sidebar", "Folder statistics", "Stop counting after (entries)",
              "A folder bigger than this shows a lower bound (≥).");
  add_setting("sidebar", "stats_max_seconds", SettingKind::Int, "20", 1, 600, "", "Sidebar",
              "Folder statistics", "Stop counting after (seconds)", "");
  add_setting("sidebar", "stats_ttl_seconds", SettingKind::Int, "180", 5, 86400, "", "Sidebar",
              "Folder statistics", "Recount after (seconds)", "");
  add_plain_setting("sidebar", "readonly_enabled", SettingKind::Bool, "true", "Sidebar",
                    "Folders you cannot write to", "Colour folders without write permission", "");
  add_plain_setting("sidebar", "readonly_color_light", SettingKind::Colour, "#B05A00", "Sidebar",
                    "Folders you cannot write to", "Colour on a light theme",
                    "Default is colour-blind safe (orange, not red/green).");
  add_plain_setting("sidebar", "readonly_color_dark", SettingKind::Colour, "#E69F00", "Sidebar",
                    "Folders you cannot write to", "Colour on a dark theme", "");
  add_plain_setting("sidebar", "readonly_italic", SettingKind::Bool, "true", "Sidebar",
                    "Folders you cannot write to", "Also use italic",
                    "A second cue that does not depend on colour.");
  add_setting("sidebar", "readonly_marker", SettingKind::Choice, "none", 0, 0,
              "none,underline,lock", "Sidebar", "Folders you cannot write to", "Extra marker",
              "underline or a lock symbol after the name: a cue that works even with no colour "
              "vision at all.");
}
