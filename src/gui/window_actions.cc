#include "gui/window_actions.h"

#include <cctype>
#include <stdexcept>

#include "fonts/powerline_font.h"
#include "fonts/terminal_font.h"
#include "generate/apply.h"
#include "gui/control_names.h"
#include "gui/control_wheel.h"
#include "gui/previews.h"
#include "gui/setting_controls.h"
#include "gui/settings_sync.h"
#include "gui/settings_window.h"
#include "gui/window_state.h"
#include "integrate/context_action.h"
#include "integrate/desktop_switch.h"
#include "integrate/nemo_extension.h"
#include "integrate/outside_programs.h"
#include "integrate/pathbar_import.h"
#include "integrate/running_nemo.h"
#include "integrate/shell_hook.h"
#include "integrate/text_file.h"
#include "presets/export_import.h"
#include "presets/palettes.h"
#include "settings/ascii_text.h"
#include "settings/atomic_file.h"
#include "settings/locations.h"
#include "settings/path_names.h"
#include "settings/settings_file.h"
#include "settings/settings_lock.h"
#include "settings/value_access.h"

namespace {

const guint kFontCheckDelayMs = 9000;
const char kDownloadedFamily[] = "MesloLGS NF";
const char kFontInstalledLabel[] = "MesloLGS NF font installed";
const char kDownloadingText[] =
    "Downloading MesloLGS NF (4 files, about 10 MB) into ~/.local/share/fonts/fennick \xE2\x80\xA6";

int value_of(gpointer data) {
  return static_cast<int>(reinterpret_cast<intptr_t>(data));
}

// Runs a handler's work; an error from below never ends the window: it shows in the status line,
// and a change waiting for the save timer is still written by it.
template <class Action>
void guarded(Action&& action) {
  try {
    action();
  } catch (const std::runtime_error& error) {
    show_status(error.what());
  }
}

// The name of the backup of the settings file, as the status line shows it; fennick.ini.bak also
// when there was no settings file to keep.
std::string backup_file_name(const std::string& backup) {
  return backup.empty() ? "fennick.ini.bak" : printable(name_of(backup));
}

// A path under the home folder as "~/..." for a short status line.
std::string home_relative(const std::string& path) {
  const std::string home = home_dir() + "/";
  return path.compare(0, home.size(), home) == 0 ? "~/" + path.substr(home.size()) : path;
}

// What the hook buttons did, file by file, and nothing that did not happen.
std::string hook_status(const std::vector<BlockUpdate>& updates) {
  std::string text;
  bool added = false;
  for (const BlockUpdate& update : updates) {
    std::string part;
    const std::string path = home_relative(update.path);
    switch (update.change) {
      case BlockChange::Added:
        part = "hook added to " + path;
        added = true;
        break;
      case BlockChange::Removed:
        part = "hook removed from " + path;
        break;
      case BlockChange::Unchanged:
        part = path + " unchanged";
        break;
      case BlockChange::Skipped:
        part = path + " skipped (no such file)";
        break;
    }
    if (!update.backup.empty()) part += " (backup: " + home_relative(update.backup) + ")";
    text += (text.empty() ? "" : "; ") + part;
  }
  if (!text.empty()) text[0] = static_cast<char>(std::toupper(static_cast<unsigned char>(text[0])));
  return text + (added ? ". Open a new terminal." : ".");
}

// Lets the running window draw with the fonts just downloaded into the program's font folder:
// fontconfig takes them in as the application's own, and Pango forgets the fonts it has chosen.
void take_in_downloaded_fonts() {
  gtk.FcConfigAppFontAddDir(nullptr, reinterpret_cast<const FcChar8*>(font_dir().c_str()));
  gtk.pango_fc_font_map_config_changed(
      reinterpret_cast<PangoFcFontMap*>(gtk.pango_cairo_font_map_get_default()));
}

}  // namespace

GtkWidget* action_button(const char* label, GCallback handler, int value) {
  GtkWidget* button = gtk.gtk_button_new_with_label(label);
  connect_signal(button, "clicked", handler,
                 reinterpret_cast<gpointer>(static_cast<intptr_t>(value)));
  return button;
}

std::string choose_settings_file(const std::string& title, bool saving) {
  GtkFileChooserNative* chooser = gtk.gtk_file_chooser_native_new(
      title.c_str(), as<GtkWindow>(window.main_window),
      saving ? GTK_FILE_CHOOSER_ACTION_SAVE : GTK_FILE_CHOOSER_ACTION_OPEN,
      saving ? "_Save" : "_Open", "_Cancel");
  GtkFileChooser* files = reinterpret_cast<GtkFileChooser*>(chooser);
  if (saving) {
    gtk.gtk_file_chooser_set_current_name(files, "fennick-settings.ini");
    gtk.gtk_file_chooser_set_do_overwrite_confirmation(files, TRUE);
  }
  std::string path;
  if (gtk.gtk_native_dialog_run(reinterpret_cast<GtkNativeDialog*>(chooser)) ==
      GTK_RESPONSE_ACCEPT) {
    if (gchar* name = gtk.gtk_file_chooser_get_filename(files)) {
      path = name;
      gtk.g_free(name);
    }
  }
  gtk.g_object_unref(chooser);
  return path;
}

void refresh_font_status() {
  window.detected_font = find_powerline_font();
  // Once the font the button downloads is there, the button has nothing left to do.
  if (window.install_font_button && window.detected_font == kDownloadedFamily) {
    gtk.gtk_button_set_label(as<GtkButton>(window.install_font_button), kFontInstalledLabel);
    gtk.gtk_widget_set_sensitive(window.install_font_button, FALSE);
  }
  if (window.font_status) {
    const std::string text =
        window.detected_font.empty()
            ? "No installed font has the powerline glyphs, so the prompt blocks would show as "
              "empty boxes. Install one with the button."
            : "Powerline font found: " + window.detected_font +
                  ". The prompt blocks will draw correctly in a terminal that uses it.";
    gtk.gtk_label_set_text(as<GtkLabel>(window.font_status), text.c_str());
  }
  refresh_previews();
}

GtkWidget* create_palette_picker() {
  GtkWidget* picker = gtk.gtk_combo_box_text_new();
  for (size_t i = 0; i < kPaletteCount; ++i) {
    gtk.gtk_combo_box_text_append(as<GtkComboBoxText>(picker), kPalettes[i].name,
                                  kPalettes[i].description);
  }
  connect_signal(picker, "changed", G_CALLBACK(on_palette_changed), nullptr);
  leave_wheel_to_page_until_focused(picker);
  name_for_assistive_technologies(picker, "Colour-blind-safe presets for the read-only colour", "");
  window.palette_picker = picker;
  return picker;
}

void on_export_clicked(GtkWidget*, gpointer) {
  const std::string path = choose_settings_file("Export fennick settings", true);
  if (path.empty()) return;
  try {
    export_settings(path);
    show_status("Exported to " + path);
  } catch (const std::runtime_error& error) {
    show_status(std::string("Export failed: ") + error.what());
  }
}

void on_import_clicked(GtkWidget*, gpointer) {
  const std::string path = choose_settings_file("Import fennick settings", false);
  if (path.empty()) return;
  guarded([&] {
    const SettingsLock lock(LockWait::Never);
    if (!lock.held) return show_status(lock_busy_text());
    const ImportOutcome outcome = import_settings(path);
    if (outcome.imported) {
      note_settings_synced();
      refresh_all_controls();
      show_status("Imported " + printable(path) +
                  " (previous settings: " + backup_file_name(outcome.backup) + ")");
    } else {
      show_status(outcome.refusal);
    }
  });
}

void on_reset_everything_clicked(GtkWidget*, gpointer) {
  guarded([] {
    const std::string backup = back_up_settings_file();
    reset_all_to_defaults();
    refresh_all_controls();
    schedule_apply();
    show_status("All settings reset to defaults (previous: " + backup_file_name(backup) + ")");
    // The settings as they were are one click away, while this message stands.
    if (backup.empty()) return;
    window.undo_backup = backup;
    gtk.gtk_widget_set_visible(window.undo_button, TRUE);
    window.undo_offered = true;
  });
}

void on_extension_clicked(GtkWidget*, gpointer value) {
  const bool remove = value_of(value) == 2;
  guarded([remove] {
    const std::string path = home_relative(nemo_extension_path());
    if (!remove) {
      const bool written = install_nemo_extension().written;
      show_status(
          (written ? "Nemo extension installed (" + path +
                         "). A running Nemo loads it when restarted (\"Restart Nemo\")."
                   : std::string("The Nemo extension is installed already.")) +
          (nemo_python_installed() ? "" : " It needs nemo-python: sudo apt install nemo-python."));
      return;
    }
    switch (remove_nemo_extension()) {
      case ExtensionState::Missing:
        return show_status("No Nemo extension to remove.");
      case ExtensionState::NotOurs:
        return show_status("Left alone (not ours): " + path);
      case ExtensionState::Current:
      case ExtensionState::Outdated:
        return show_status("Nemo extension removed; a running Nemo keeps it until restarted.");
    }
  });
}

void on_undo_reset_clicked(GtkWidget*, gpointer) {
  guarded([] {
    const SettingsLock lock(LockWait::Never);
    if (!lock.held) return show_status(lock_busy_text());
    const ImportOutcome outcome = import_settings(window.undo_backup);
    if (!outcome.imported) return show_status(outcome.refusal);
    note_settings_synced();
    refresh_all_controls();
    show_status("Reset undone: the settings are back from " + backup_file_name(window.undo_backup));
  });
}

void on_hook_clicked(GtkWidget*, gpointer value) {
  const bool remove = value_of(value) == 2;
  // A file that failed is reported after those that were done before it.
  std::vector<BlockUpdate> done;
  try {
    update_shell_hooks(remove, [&done](const BlockUpdate& update) { done.push_back(update); });
    show_status(hook_status(done));
  } catch (const std::runtime_error& error) {
    show_status((done.empty() ? "" : hook_status(done) + " ") + error.what());
  }
}

void on_pathbar_clicked(GtkWidget*, gpointer value) {
  const bool remove = value_of(value) == 2;
  guarded([remove] {
    const SettingsLock lock(LockWait::Never);
    if (!lock.held) return show_status(lock_busy_text());
    if (!remove && nemo_extension_runs()) {
      return show_status(
          "fennick's Nemo extension styles the stock Nemo's path bar, live: "
          "gtk.css is left as it is.");
    }
    // The import must find the scoped rules of the current settings.
    if (!remove) save_window_settings();
    const BlockUpdate update = update_pathbar_block(remove);
    std::string text =
        update.change == BlockChange::Unchanged
            ? home_relative(update.path) + " unchanged."
            : std::string(remove ? "Path-bar import removed from " : "Path-bar import added to ") +
                  home_relative(update.path) +
                  (update.backup.empty() ? std::string()
                                         : " (backup: " + home_relative(update.backup) + ")") +
                  ".";
    show_status(text + " A running Nemo shows it when restarted (\"Restart Nemo\").");
  });
}

void on_install_font_clicked(GtkWidget*, gpointer) {
  if (!window.detected_font.empty()) {
    show_status("A powerline font is already installed: " + window.detected_font);
    return;
  }
  // One download at a time: a second press while it runs only says so again, and checks once
  // more later when the earlier check has already reported.
  const bool start = window.font_download == 0 || has_ended(window.font_download);
  if (start)
    window.font_download = start_program(own_executable_path(), {"font", "install", "--yes"});
  if (start || !window.font_check_pending) {
    window.font_check_pending = true;
    gtk.g_timeout_add(kFontCheckDelayMs, on_font_timer, nullptr);
  }
  show_status(kDownloadingText);
}

gboolean on_font_timer(gpointer) {
  window.font_check_pending = false;
  const bool ended = window.font_download != 0 && has_ended(window.font_download);
  if (ended) window.font_download = 0;
  if (ended) take_in_downloaded_fonts();
  refresh_font_status();
  show_status(window.detected_font.empty()
                  ? "Font download did not finish (see: fennick font install)"
                  : "Font ready: " + window.detected_font);
  return FALSE;
}

void on_terminal_font_clicked(GtkWidget*, gpointer value) {
  if (window.detected_font.empty()) {
    show_status("Install a powerline font first.");
    return;
  }
  if (value_of(value) == 2) {
    guarded([] {
      const FontRestore restored = restore_terminal_font();
      show_status(restored == FontRestore::Restored ? "Terminal font restored to what it was."
                  : restored == FontRestore::NoBackup
                      ? "Nothing to restore: the terminal font was not changed."
                      : "The font backup " + font_backup_path() +
                            " is not one of ours: left as it is.");
    });
    return;
  }
  guarded([] {
    use_terminal_font(window.detected_font);
    show_status("The default terminal profile now uses " + window.detected_font +
                " (open a new terminal). Undo: Restore.");
  });
}

void on_restart_clicked(GtkWidget*, gpointer) {
  guarded([] {
    restart_nemo();
    show_status("Restarting Nemo: every Nemo window closes and Nemo starts again in a moment.");
  });
}

void on_default_switch_clicked(GtkWidget*, gpointer value) {
  if (value_of(value) == 2) {
    guarded([] {
      const bool disabled = disable_tuned_nemo();
      // A desktop entry or service file of the user's own, left in place, decides instead.
      if (user_override_present()) {
        show_status(disabled ? "Fennick's files are removed, but files of your own in "
                               "~/.local/share still decide which Nemo opens folders "
                               "(see: fennick status)."
                             : "Nothing was enabled by fennick: files of your own in "
                               "~/.local/share decide which Nemo opens folders (see: fennick "
                               "status).");
        return;
      }
      show_status(disabled
                      ? "The system Nemo is the default again. Use \"Restart Nemo\" to switch now."
                      : "Nothing was enabled: the system Nemo is already the default.");
    });
    return;
  }
  guarded([] {
    const std::string tuned = tuned_nemo_path();
    if (!path_exists(tuned)) {
      show_status(
          "The tuned Nemo is not installed: it is a separately built Nemo that reads the "
          "pane, sidebar, read-only and terminal-key settings.\nPlace its executable at " +
          home_relative(tuned) +
          ". Without it the prompt, the right-click entry and the path bar (\"Use in the "
          "stock Nemo\") work.");
      return;
    }
    enable_tuned_nemo();
    show_status("The tuned Nemo is now the default. Use \"Restart Nemo\" to switch now.");
  });
}

void on_palette_changed(GtkWidget* picker, gpointer) {
  if (window.updating_controls) return;
  const gchar* id = gtk.gtk_combo_box_get_active_id(as<GtkComboBox>(picker));
  if (!id || !apply_palette(id)) return;
  for (size_t i = 0; i < kPaletteKeyCount; ++i)
    refresh_control(find_setting("sidebar", kPaletteKeys[i]));
  schedule_apply();
}
