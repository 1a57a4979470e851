// The window's buttons and the palette picker: each runs the command line's operation and reports
// in the status line; an error below a handler shows there and the window goes on.
#include <arpa/inet.h>
#include <dirent.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <poll.h>
#include <signal.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include "generate/apply.h"
#include "gui/setting_controls.h"
#include "gui/settings_sync.h"
#include "gui/settings_window.h"
#include "gui/window_actions.h"
#include "gui/window_test_support.h"
#include "integrate/desktop_switch.h"
#include "integrate/nemo_extension.h"
#include "integrate/pathbar_import.h"
#include "integrate/shell_hook.h"
#include "settings/catalogue.h"
#include "settings/locations.h"
#include "settings/settings_file.h"

namespace {

const char kEllipsis[] = "\xE2\x80\xA6";
const char kSavedPrefix[] = "Saved and applied \xE2\x80\x94 ";
const char kDownloading[] =
    "Downloading MesloLGS NF (4 files, about 10 MB) into ~/.local/share/fonts/fennick "
    "\xE2\x80\xA6";

std::string ellipsis(const std::string& label) {
  return label + kEllipsis;
}

bool saved_by_timer() {
  return run_main_loop_until([] { return !window.save_pending; }, kPatienceMs);
}

void expect_written_from_store() {
  EXPECT_EQ(read_file(settings_path()), settings_text());
  EXPECT_TRUE(file_exists(stylesheet_path()));
  EXPECT_TRUE(file_exists(prompt_script_path()));
}

std::string entry_text(const std::string& name) {
  return gtk.gtk_entry_get_text(as<GtkEntry>(control_of(name)));
}

bool is_active(const std::string& name) {
  return gtk.gtk_toggle_button_get_active(as<GtkToggleButton>(control_of(name)));
}

std::string active_id(GtkWidget* combo) {
  const gchar* id = gtk.gtk_combo_box_get_active_id(as<GtkComboBox>(combo));
  return id ? id : "(none)";
}

std::string shown_colour(const std::string& name) {
  GdkRGBA rgba;
  gtk.gtk_color_chooser_get_rgba(as<GtkColorChooser>(control_of(name)), &rgba);
  char text[16];
  snprintf(text, sizeof text, "#%02X%02X%02X", static_cast<unsigned>(rgba.red * 255 + 0.5),
           static_cast<unsigned>(rgba.green * 255 + 0.5),
           static_cast<unsigned>(rgba.blue * 255 + 0.5));
  return text;
}

// A pending change, for the checks that an error in a handler does not lose it.
void make_a_change() {
  gtk.gtk_toggle_button_set_active(as<GtkToggleButton>(control_of("panes.enabled")), FALSE);
  ASSERT_TRUE(window.save_pending);
}

// The change above, written by the save timer while the window goes on. A file dialog runs the
// main loop while it is open, so the save may come before the action's own status text.
void expect_change_saved(bool status_follows = true) {
  ASSERT_TRUE(saved_by_timer());
  if (status_follows) {
    EXPECT_EQ(status_text(), kSavedPrefix + settings_path());
  }
  EXPECT_NE(read_file(settings_path()).find("\n[panes]\nenabled=false\n"), std::string::npos);
}

void put_tuned_nemo_in_place() {
  const std::string tuned = tuned_nemo_path();
  write_file(tuned, read_file(kNemoStandIn));
  ASSERT_EQ(chmod(tuned.c_str(), 0755), 0);
}

}  // namespace

TEST_F(WindowTest, HookButtonsAddAndRemoveTheBlock) {
  write_file(home() + "/.bashrc", "alias ll='ls -l'\n");
  click(button_labelled("Add the hook to ~/.bashrc and ~/.zshrc"));
  EXPECT_EQ(status_text(),
            "Hook added to ~/.bashrc (backup: ~/.bashrc.fennick-bak); ~/.zshrc skipped (no such "
            "file). Open a new terminal.");
  EXPECT_EQ(read_file(home() + "/.bashrc"), "alias ll='ls -l'\n" + hook_block());
  EXPECT_EQ(read_file(home() + "/.bashrc.fennick-bak"), "alias ll='ls -l'\n");
  // Only what happened is reported: nothing was written the second time.
  click(button_labelled("Add the hook to ~/.bashrc and ~/.zshrc"));
  EXPECT_EQ(status_text(), "~/.bashrc unchanged; ~/.zshrc skipped (no such file).");
  write_file(home() + "/.zshrc", "");
  click(button_labelled("Add the hook to ~/.bashrc and ~/.zshrc"));
  EXPECT_EQ(status_text(),
            "~/.bashrc unchanged; hook added to ~/.zshrc (backup: ~/.zshrc.fennick-bak). Open a "
            "new terminal.");

  click(button_labelled("Remove the hook"));
  // The removal keeps every byte of the user's: no backup of their text plus the block.
  EXPECT_EQ(status_text(), "Hook removed from ~/.bashrc; hook removed from ~/.zshrc.");
  EXPECT_EQ(read_file(home() + "/.bashrc"), "alias ll='ls -l'\n");
  click(button_labelled("Remove the hook"));
  EXPECT_EQ(status_text(), "~/.bashrc unchanged; ~/.zshrc unchanged.");
}

// The stock Nemo buttons of the Path bar page: the import goes into GTK's user stylesheet, which
// keeps the user's own rules, and finds the scoped rules already written.
TEST_F(WindowTest, StockNemoButtonsImportAndRemoveThePathBarRules) {
  const std::string gtk_css = home() + "/.config/gtk-3.0/gtk.css";
  write_file(gtk_css, ".mine { color: red; }\n");
  click(button_labelled("Use in the stock Nemo", 0));
  EXPECT_EQ(status_text(),
            "Path-bar import added to ~/.config/gtk-3.0/gtk.css (backup: "
            "~/.config/gtk-3.0/gtk.css.fennick-bak). A running Nemo shows it when restarted "
            "(\"Restart Nemo\").");
  EXPECT_EQ(read_file(gtk_css), pathbar_block() + ".mine { color: red; }\n");
  EXPECT_TRUE(file_exists(config() + "/fennick-nemo.css"));
  click(button_labelled("Use in the stock Nemo", 0));
  EXPECT_EQ(status_text(),
            "~/.config/gtk-3.0/gtk.css unchanged. A running Nemo shows it when "
            "restarted (\"Restart Nemo\").");
  click(button_labelled("Remove from the stock Nemo", 0));
  EXPECT_EQ(read_file(gtk_css), ".mine { color: red; }\n");
}

// The stock Nemo buttons of the Sidebar page install and remove fennick's extension; while it
// runs (with nemo-python), it takes the import's place in gtk.css.
TEST_F(WindowTest, SidebarButtonsInstallAndRemoveTheExtension) {
  click(button_labelled("Use in the stock Nemo", 0));
  click(button_labelled("Use in the stock Nemo", 3));
  EXPECT_EQ(status_text(),
            "Nemo extension installed (~/.local/share/nemo-python/extensions/fennick.py). A "
            "running Nemo loads it when restarted (\"Restart Nemo\").");
  EXPECT_FALSE(pathbar_block_installed());
  click(button_labelled("Use in the stock Nemo", 3));
  EXPECT_EQ(status_text(), "The Nemo extension is installed already.");
  click(button_labelled("Use in the stock Nemo", 0));
  EXPECT_EQ(status_text(),
            "fennick's Nemo extension styles the stock Nemo's path bar, live: gtk.css is left as "
            "it is.");
  click(button_labelled("Remove from the stock Nemo", 3));
  EXPECT_EQ(status_text(), "Nemo extension removed; a running Nemo keeps it until restarted.");
  EXPECT_FALSE(file_exists(nemo_extension_path()));
}

TEST_F(WindowTest, AHookErrorShowsInTheStatusLineAndTheWindowGoesOn) {
  make_dir(home() + "/.bashrc");
  make_a_change();
  click(button_labelled("Add the hook to ~/.bashrc and ~/.zshrc"));
  EXPECT_EQ(status_text(), "Unable to open file \"" + home() + "/.bashrc\": Is a directory");
  click(button_labelled("Remove the hook"));
  EXPECT_EQ(status_text(), "Unable to open file \"" + home() + "/.bashrc\": Is a directory");
  expect_change_saved();
}

TEST_F(WindowTest, MakingTheTunedNemoTheDefaultAndGoingBack) {
  put_tuned_nemo_in_place();
  ASSERT_TRUE(file_exists(kSystemDesktopEntry)) << "install the nemo package";
  click(button_labelled("Make the tuned Nemo the default"));
  EXPECT_EQ(status_text(),
            "The tuned Nemo is now the default. Use \"Restart Nemo\" to switch now.");
  EXPECT_TRUE(file_exists(user_desktop_entry_path()));
  EXPECT_TRUE(file_exists(nemo_service_path()));
  EXPECT_TRUE(file_exists(file_manager_service_path()));

  click(button_labelled("Back to the system Nemo"));
  EXPECT_EQ(status_text(),
            "The system Nemo is the default again. Use \"Restart Nemo\" to switch now.");
  EXPECT_FALSE(file_exists(user_desktop_entry_path()));
  EXPECT_FALSE(file_exists(nemo_service_path()));
  click(button_labelled("Back to the system Nemo"));
  EXPECT_EQ(status_text(), "Nothing was enabled: the system Nemo is already the default.");
  // A service file of the user's own decides: the window says so rather than naming the system.
  write_file(nemo_service_path(), "[D-BUS Service]\nName=org.Nemo\nExec=/opt/my/nemo\n");
  click(button_labelled("Back to the system Nemo"));
  EXPECT_EQ(status_text(),
            "Nothing was enabled by fennick: files of your own in ~/.local/share decide which Nemo "
            "opens folders (see: fennick status).");
}

// "Restart Nemo" asks every Nemo to quit through the `nemo` on the search path and starts the
// default one again, detached: here the tuned Nemo, made the default just before.
TEST_F(WindowTest, RestartQuitsNemoAndStartsTheTunedOneAgain) {
  put_tuned_nemo_in_place();
  ASSERT_TRUE(file_exists(kSystemDesktopEntry)) << "install the nemo package";
  click(button_labelled("Make the tuned Nemo the default"));
  const std::string path_nemo = home() + "/path/nemo";
  write_file(path_nemo, read_file(kNemoStandIn));
  ASSERT_EQ(chmod(path_nemo.c_str(), 0755), 0);
  const std::string log = home() + "/nemo.log";
  const char* path = getenv("PATH");
  const std::string saved_path = path ? path : "/usr/bin:/bin";
  setenv("PATH", (home() + "/path:" + saved_path).c_str(), 1);
  setenv("FENNICK_STAND_IN_LOG", log.c_str(), 1);
  setenv("FENNICK_STAND_IN_SECONDS", "0", 1);
  click(button_labelled("Restart Nemo"));
  setenv("PATH", saved_path.c_str(), 1);
  unsetenv("FENNICK_STAND_IN_LOG");
  unsetenv("FENNICK_STAND_IN_SECONDS");
  EXPECT_EQ(status_text(),
            "Restarting Nemo: every Nemo window closes and Nemo starts again in a moment.");
  // The quit comes at once, the start about 1.5 s later; the window answers meanwhile.
  ASSERT_TRUE(run_main_loop_until(
      [&] { return file_exists(log) && split_lines(read_file(log)).size() >= 2; }, kPatienceMs))
      << (file_exists(log) ? read_file(log) : "nothing started");
  const std::vector<std::string> lines = split_lines(read_file(log));
  ASSERT_EQ(lines.size(), 2u) << read_file(log);
  EXPECT_NE(lines[0].find(" exe=" + path_nemo + " args=-q"), std::string::npos) << lines[0];
  const std::string tuned_start = " exe=" + tuned_nemo_path() + " args=";
  ASSERT_GE(lines[1].size(), tuned_start.size());
  EXPECT_EQ(lines[1].substr(lines[1].size() - tuned_start.size()), tuned_start) << lines[1];
}

// Without a tuned Nemo the button says what it is, where it goes (under the home folder as
// "~/...") and what works without it, and writes nothing.
TEST_F(WindowTest, WithoutTheTunedNemoTheButtonSaysWhatItIs) {
  const std::string without_it =
      ". Without it the prompt, the right-click entry and the path bar (\"Use in the stock "
      "Nemo\") work.";
  click(button_labelled("Make the tuned Nemo the default"));
  EXPECT_EQ(status_text(),
            "The tuned Nemo is not installed: it is a separately built Nemo that reads the pane, "
            "sidebar, read-only and terminal-key settings.\nPlace its executable at "
            "~/prefix/bin/nemo" +
                without_it);
  EXPECT_FALSE(file_exists(home() + "/.local/share/applications"));
  EXPECT_FALSE(file_exists(home() + "/.local/share/dbus-1"));

  // Outside the home folder the path is written out.
  setenv("FENNICK_PREFIX", (home() + "-elsewhere").c_str(), 1);
  click(button_labelled("Make the tuned Nemo the default"));
  EXPECT_NE(status_text().find(" at " + home() + "-elsewhere/bin/nemo" + without_it),
            std::string::npos)
      << status_text();
  // A prefix that cannot be used is reported like any error, and the window goes on.
  setenv("FENNICK_PREFIX", (home() + "/pre\nfix").c_str(), 1);
  click(button_labelled("Make the tuned Nemo the default"));
  EXPECT_EQ(status_text(), "FENNICK_PREFIX holds a line break; fennick does not use such a folder");
  ASSERT_NE(window.main_window, nullptr);
}

// Enabling that fails below the handler reports the error and keeps the window (and a change
// waiting to be saved).
TEST_F(WindowTest, AFailedEnableShowsItsErrorAndTheWindowGoesOn) {
  put_tuned_nemo_in_place();
  // A file where the folder of the user's desktop entries belongs: no write there succeeds.
  write_file(home() + "/.local/share/applications", "in the way\n");
  make_a_change();
  click(button_labelled("Make the tuned Nemo the default"));
  const std::string expected =
      file_exists(kSystemDesktopEntry)
          ? "cannot write " + user_desktop_entry_path() + ": Not a directory"
          : std::string(kSystemDesktopEntry) + " not found";
  EXPECT_EQ(status_text(), expected);
  EXPECT_NE(status_text().substr(0, 9), "fennick: ");
  ASSERT_NE(window.main_window, nullptr);
  expect_change_saved();
}

TEST_F(WindowTest, ExportWritesTheSettingsWhereTheDialogSays) {
  set_value("terminal.symbol", "%");
  const std::string target = home() + "/exports/mine.ini";
  make_dir(home() + "/exports");
  answer_next_file_dialog(target);
  click(button_labelled(ellipsis("Export")));
  const SeenDialog& dialog = last_file_dialog();
  EXPECT_TRUE(dialog.seen);
  EXPECT_TRUE(dialog.saving);
  EXPECT_EQ(dialog.title, "Export fennick settings");
  EXPECT_EQ(dialog.proposed_name, "fennick-settings.ini");
  EXPECT_TRUE(dialog.confirms_overwrite);
  EXPECT_FALSE(dialog.asked_to_replace);
  EXPECT_EQ(status_text(), "Exported to " + target);
  EXPECT_EQ(read_file(target), settings_text());
  EXPECT_FALSE(window.save_pending);
}

TEST_F(WindowTest, ExportOverAnExistingFileAsksFirst) {
  const std::string target = home() + "/old.ini";
  write_file(target, "old\n");
  const FileStamp old = stamp_of(target);
  answer_next_file_dialog(target);
  click(button_labelled(ellipsis("Export")));
  EXPECT_TRUE(last_file_dialog().asked_to_replace);
  EXPECT_EQ(status_text(), "Exported to " + target);
  EXPECT_EQ(read_file(target), settings_text());
  // Written through a temporary sibling: a new file took the old one's place.
  EXPECT_NE(stamp_of(target).inode, old.inode);
}

TEST_F(WindowTest, AFailedExportIsReported) {
  make_a_change();
  // A name the file dialog takes, but that leaves no room for the temporary sibling's suffix.
  const std::string target = home() + "/" + std::string(250, 'x');
  answer_next_file_dialog(target);
  click(button_labelled(ellipsis("Export")));
  EXPECT_EQ(status_text(), "Export failed: cannot write " + target + ": File name too long");
  expect_change_saved(false);
}

TEST_F(WindowTest, CancellingTheDialogsChangesNothing) {
  show_status("before");
  answer_next_file_dialog("");
  click(button_labelled(ellipsis("Export")));
  EXPECT_TRUE(last_file_dialog().seen);
  EXPECT_EQ(status_text(), "before");
  answer_next_file_dialog("");
  click(button_labelled(ellipsis("Import")));
  EXPECT_TRUE(last_file_dialog().seen);
  EXPECT_FALSE(last_file_dialog().saving);
  EXPECT_EQ(status_text(), "before");
  EXPECT_FALSE(file_exists(settings_path()));
  EXPECT_FALSE(window.save_pending);
}

TEST_F(WindowTest, ImportReplacesTheSettingsAndRefreshesTheControls) {
  set_value("terminal.symbol", "#");
  set_value("sidebar.readonly_marker", "lock");
  apply_settings();
  const std::string previous = read_file(settings_path());
  refresh_all_controls();
  ASSERT_EQ(entry_text("terminal.symbol"), "#");

  const std::string source = home() + "/shared.ini";
  write_file(source, "[terminal]\nsymbol=%\n\n[pathbar]\nenabled=true\nselected_bg=#00FF00\n");
  answer_next_file_dialog(source);
  click(button_labelled(ellipsis("Import")));
  const SeenDialog& dialog = last_file_dialog();
  EXPECT_TRUE(dialog.seen);
  EXPECT_FALSE(dialog.saving);
  EXPECT_EQ(dialog.title, "Import fennick settings");
  EXPECT_EQ(status_text(), "Imported " + source + " (previous settings: fennick.ini.bak)");
  EXPECT_EQ(read_file(settings_path() + ".bak"), previous);
  // The file's values, and the defaults for the settings it does not name.
  EXPECT_EQ(stored("terminal.symbol"), "%");
  EXPECT_EQ(entry_text("terminal.symbol"), "%");
  EXPECT_TRUE(is_active("pathbar.enabled"));
  EXPECT_EQ(state_of("pathbar.selected_bg"), "#00FF00");
  EXPECT_EQ(active_id(control_of("sidebar.readonly_marker")), "none");
  EXPECT_EQ(label_text(window.prompt_preview), "quill@rig ~/Projects/nemo (main)\n% ");
  expect_written_from_store();
}

TEST_F(WindowTest, ImportRefusesAFileThatIsNoSettingsFile) {
  set_value("terminal.symbol", "#");
  refresh_all_controls();
  const std::string source = home() + "/notes.txt";
  write_file(source, "shopping: milk, bread\n");
  answer_next_file_dialog(source);
  click(button_labelled(ellipsis("Import")));
  // The same text as the command line gives.
  EXPECT_EQ(status_text(), source + " does not look like a fennick settings file; nothing changed");
  EXPECT_EQ(stored("terminal.symbol"), "#");
  EXPECT_EQ(entry_text("terminal.symbol"), "#");
  EXPECT_FALSE(file_exists(settings_path()));
  EXPECT_FALSE(file_exists(settings_path() + ".bak"));
}

// The file chosen in the dialog turns out to be a folder when it is read: the error shows in the
// status line and the window goes on.
TEST_F(WindowTest, AnImportErrorShowsInTheStatusLine) {
  make_a_change();
  const std::string source = home() + "/settings.ini";
  write_file(source, "[terminal]\nsymbol=%\n");
  answer_next_file_dialog(source, [source] {
    unlink(source.c_str());
    make_dir(source);
  });
  click(button_labelled(ellipsis("Import")));
  EXPECT_EQ(status_text(), "Unable to open file \"" + source + "\": Is a directory");
  EXPECT_EQ(stored("terminal.symbol"), "$");
  EXPECT_EQ(stored("panes.enabled"), "false");
  expect_change_saved(false);
}

TEST_F(WindowTest, ResetEverythingKeepsABackupAndResetsEveryControl) {
  set_value("pathbar.enabled", "true");
  set_value("terminal.symbol", "%");
  set_value("pathbar.border_color", "#112233");
  set_value("panes.key_add", "F9");
  set_value("sidebar.stats_max_seconds", "99");
  apply_settings();
  note_settings_synced();  // as the window does once it has written the file
  const std::string previous = read_file(settings_path());
  refresh_all_controls();
  show_status("before");

  click(button_labelled("Reset everything"));
  EXPECT_EQ(status_text(), "All settings reset to defaults (previous: fennick.ini.bak)");
  EXPECT_EQ(read_file(settings_path() + ".bak"), previous);
  for (int i = 0; i < setting_count(); ++i)
    EXPECT_EQ(stored_value(i), std::string(setting_at(i).default_value)) << setting_name(i);
  EXPECT_FALSE(is_active("pathbar.enabled"));
  EXPECT_EQ(entry_text("terminal.symbol"), "$");
  EXPECT_EQ(state_of("pathbar.border_color"), "theme");
  EXPECT_EQ(entry_text("panes.key_add"), "F3");
  EXPECT_EQ(gtk.gtk_spin_button_get_value_as_int(
                as<GtkSpinButton>(control_of("sidebar.stats_max_seconds"))),
            20);
  EXPECT_EQ(label_text(window.prompt_preview), "quill@rig ~/Projects/nemo (main)\n$ ");
  // The files follow with the save timer.
  EXPECT_EQ(read_file(settings_path()), previous);
  EXPECT_TRUE(window.save_pending);
  ASSERT_TRUE(saved_by_timer());
  expect_written_from_store();
  // The reset's message and its undo stand after the save; the undo brings everything back.
  EXPECT_EQ(status_text(), "All settings reset to defaults (previous: fennick.ini.bak)");
  ASSERT_TRUE(window.undo_offered);
  EXPECT_EQ(read_file(settings_path()), settings_text());
  click(window.undo_button);
  EXPECT_EQ(status_text(), "Reset undone: the settings are back from fennick.ini.bak");
  EXPECT_FALSE(window.undo_offered);
  EXPECT_EQ(read_file(settings_path()), previous);
  EXPECT_EQ(entry_text("terminal.symbol"), "%");
  // Another state goes to the next free number (the undo kept the defaults in .1).
  set_value("terminal.symbol", "#");
  apply_settings();
  note_settings_synced();
  click(button_labelled("Reset everything"));
  EXPECT_EQ(status_text(), "All settings reset to defaults (previous: fennick.ini.bak.2)");

  EXPECT_EQ(read_file(settings_path() + ".bak"), previous);
  ASSERT_TRUE(saved_by_timer());
}

TEST_F(WindowTest, ResetEverythingWithoutASettingsFileMakesNoBackup) {
  set_value("terminal.bold", "false");
  refresh_all_controls();
  click(button_labelled("Reset everything"));
  EXPECT_EQ(status_text(), "All settings reset to defaults (previous: fennick.ini.bak)");
  EXPECT_FALSE(window.undo_offered);  // nothing to bring back
  EXPECT_FALSE(file_exists(settings_path() + ".bak"));
  EXPECT_TRUE(is_active("terminal.bold"));
  EXPECT_FALSE(file_exists(settings_path()));
  ASSERT_TRUE(saved_by_timer());
  expect_written_from_store();
  EXPECT_FALSE(file_exists(settings_path() + ".bak"));
}

TEST_F(WindowTest, APaletteRefreshesEveryControlItChanged) {
  set_value("sidebar.readonly_italic", "false");
  set_value("sidebar.readonly_marker", "lock");
  refresh_all_controls();
  show_status("before");

  gtk.gtk_combo_box_set_active_id(as<GtkComboBox>(window.palette_picker), "achroma");
  EXPECT_EQ(stored("sidebar.readonly_color_light"), "#6E6E6E");
  EXPECT_EQ(shown_colour("sidebar.readonly_color_light"), "#6E6E6E");
  EXPECT_EQ(state_of("sidebar.readonly_color_light"), "#6E6E6E");
  EXPECT_EQ(shown_colour("sidebar.readonly_color_dark"), "#A8A8A8");
  EXPECT_EQ(state_of("sidebar.readonly_color_dark"), "#A8A8A8");
  EXPECT_TRUE(is_active("sidebar.readonly_italic"));
  EXPECT_EQ(active_id(control_of("sidebar.readonly_marker")), "underline");
  // No status text of its own; the save follows.
  EXPECT_EQ(status_text(), "before");
  EXPECT_TRUE(window.save_pending);

  // A palette without a marker of its own keeps the one there is.
  gtk.gtk_combo_box_set_active_id(as<GtkComboBox>(window.palette_picker), "okabe");
  EXPECT_EQ(state_of("sidebar.readonly_color_light"), "#B05A00");
  EXPECT_EQ(state_of("sidebar.readonly_color_dark"), "#E69F00");
  EXPECT_EQ(stored("sidebar.readonly_marker"), "underline");
  EXPECT_EQ(active_id(control_of("sidebar.readonly_marker")), "underline");
  ASSERT_TRUE(saved_by_timer());
  // No Nemo here follows the read-only colours by itself: the line says what would.
  EXPECT_EQ(status_text(), kSavedPrefix + settings_path() +
                               "; the stock Nemo shows sidebar settings only with fennick's "
                               "extension: fennick extension-install");
  expect_written_from_store();
  EXPECT_NE(read_file(settings_path()).find("readonly_color_dark=#E69F00\n"), std::string::npos);
}

TEST_F(WindowTest, ProtanChangesBothColourButtonsAndIsSavedLater) {
  gtk.gtk_combo_box_set_active_id(as<GtkComboBox>(window.palette_picker), "protan");
  EXPECT_EQ(shown_colour("sidebar.readonly_color_light"), "#0B5FA5");
  EXPECT_EQ(shown_colour("sidebar.readonly_color_dark"), "#6CB4F5");
  EXPECT_FALSE(file_exists(settings_path()));
  ASSERT_TRUE(saved_by_timer());
  EXPECT_NE(read_file(settings_path()).find("readonly_color_light=#0B5FA5\n"), std::string::npos);
}

TEST_F(WindowTest, FontButtonsNeedAPowerlineFont) {
  window.detected_font = "";
  click(button_labelled("Use it in my terminal"));
  EXPECT_EQ(status_text(), "Install a powerline font first.");
  show_status("before");
  click(button_labelled("Restore terminal font"));
  EXPECT_EQ(status_text(), "Install a powerline font first.");
  EXPECT_FALSE(file_exists(config() + "/font-backup.txt"));
}

// The window shows the command line's own error texts.
TEST_F(FontWindowTest, FontButtonsShowTheRefusal) {
  window.detected_font = "MesloLGS NF";
  // gsettings without any schema: no terminal profile can be found or changed.
  make_dir(home() + "/no-schemas");
  setenv("XDG_DATA_DIRS", (home() + "/no-schemas").c_str(), 1);
  click(button_labelled("Use it in my terminal"));
  EXPECT_EQ(status_text(), "no GNOME/Mint terminal profile found (gsettings), nothing changed.");
  const std::string backup = config() + "/font-backup.txt";
  EXPECT_FALSE(file_exists(backup));

  const std::string kept =
      "org.gnome.Terminal.Legacy.Profile:/org/gnome/terminal/legacy/profiles:/:x/\n"
      "'Ubuntu Mono 13'\ntrue\n";
  write_file(backup, kept);
  click(button_labelled("Restore terminal font"));
  EXPECT_EQ(status_text(),
            "gsettings could not restore the terminal profile font; the previous values stay in " +
                backup);
  EXPECT_EQ(read_file(backup), kept);
  unlink(backup.c_str());
  click(button_labelled("Restore terminal font"));
  EXPECT_EQ(status_text(), "Nothing to restore: the terminal font was not changed.");
}

TEST_F(FontWindowTest, FontButtonsUseAndRestoreTheTerminalFont) {
  const char kProfileId[] = "6d1e3c2a-58f4-4b7e-9a0c-2f9e8d7c6b5a";
  const std::string profile =
      std::string("org.gnome.Terminal.Legacy.Profile:/org/gnome/terminal/legacy/profiles:/:") +
      kProfileId + "/";
  RunResult schemas = run_program({"gsettings", "list-schemas"});
  ASSERT_NE(schemas.out.find("org.gnome.Terminal.ProfilesList\n"), std::string::npos)
      << "gsettings with GNOME Terminal's schemas is needed (Debian: libglib2.0-bin, "
         "gnome-terminal)";
  for (const std::vector<std::string>& set :
       {std::vector<std::string>{"org.gnome.Terminal.ProfilesList", "list",
                                 std::string("['") + kProfileId + "']"},
        std::vector<std::string>{"org.gnome.Terminal.ProfilesList", "default",
                                 std::string("'") + kProfileId + "'"},
        std::vector<std::string>{profile, "font", "'Ubuntu Mono 13'"},
        std::vector<std::string>{profile, "use-system-font", "true"}}) {
    RunResult done = run_program({"gsettings", "set", set[0], set[1], set[2]});
    ASSERT_EQ(done.status, 0) << done.err;
  }
  install_font_by_hand();
  refresh_font_status();
  ASSERT_EQ(window.detected_font, "MesloLGS NF");

  click(button_labelled("Use it in my terminal"));
  EXPECT_EQ(status_text(),
            "The default terminal profile now uses MesloLGS NF (open a new terminal). Undo: "
            "Restore.");
  // The profile keeps its size.
  EXPECT_EQ(run_program({"gsettings", "get", profile, "font"}).out, "'MesloLGS NF 13'\n");
  click(button_labelled("Restore terminal font"));
  EXPECT_EQ(status_text(), "Terminal font restored to what it was.");
  EXPECT_EQ(run_program({"gsettings", "get", profile, "font"}).out, "'Ubuntu Mono 13'\n");
  EXPECT_EQ(run_program({"gsettings", "get", profile, "use-system-font"}).out, "true\n");
}

namespace {

// A port on 127.0.0.1 that takes connections and answers nothing, so that a download from it
// waits until the test lets it go.
class SilentServer {
 public:
  SilentServer() {
    listener_ = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
    sockaddr_in address = {};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t size = sizeof address;
    if (listener_ < 0 || bind(listener_, reinterpret_cast<sockaddr*>(&address), size) != 0 ||
        listen(listener_, 8) != 0 ||
        getsockname(listener_, reinterpret_cast<sockaddr*>(&address), &size) != 0) {
      ADD_FAILURE() << "no listening socket";
      return;
    }
    port_ = ntohs(address.sin_port);
  }
  ~SilentServer() {
    for (int connection : connections_)
      close(connection);
    if (listener_ >= 0) close(listener_);
  }
  SilentServer(const SilentServer&) = delete;
  SilentServer& operator=(const SilentServer&) = delete;

  std::string origin() const { return "http://127.0.0.1:" + std::to_string(port_); }

  // Takes the next connection within the time (the window's main loop runs meanwhile) and
  // returns its first request line; empty when none came.
  std::string next_request(int milliseconds) {
    int connection = -1;
    run_main_loop_until(
        [&] {
          connection = accept4(listener_, nullptr, nullptr, SOCK_CLOEXEC);
          return connection >= 0;
        },
        milliseconds);
    if (connection < 0) return "";
    connections_.push_back(connection);
    std::string request;
    const long long end = now_ms() + 5000;
    while (request.find("\r\n") == std::string::npos && now_ms() < end) {
      pollfd ready = {connection, POLLIN, 0};
      if (poll(&ready, 1, 100) <= 0) continue;
      char buffer[512];
      const ssize_t got = read(connection, buffer, sizeof buffer);
      if (got <= 0) break;
      request.append(buffer, static_cast<size_t>(got));
    }
    return request.substr(0, request.find("\r\n"));
  }

  // Hangs up on every connection taken so far.
  void hang_up() {
    for (int connection : connections_)
      close(connection);
    connections_.clear();
  }

 private:
  int listener_ = -1;
  int port_ = 0;
  std::vector<int> connections_;
};

// The processes whose parent is this test program.
std::vector<pid_t> own_children() {
  std::vector<pid_t> children;
  DIR* proc = opendir("/proc");
  if (!proc) return children;
  while (dirent* entry = readdir(proc)) {
    const pid_t pid = static_cast<pid_t>(atoi(entry->d_name));
    if (pid <= 0) continue;
    const std::string stat = read_file("/proc/" + std::to_string(pid) + "/stat");
    const size_t close_paren = stat.rfind(')');
    if (close_paren == std::string::npos) continue;
    int parent = 0;
    char state = '?';
    if (sscanf(stat.c_str() + close_paren + 1, " %c %d", &state, &parent) == 2 &&
        parent == getpid()) {
      children.push_back(pid);
    }
  }
  closedir(proc);
  return children;
}

bool has_finished(pid_t pid) {
  const std::string stat = read_file("/proc/" + std::to_string(pid) + "/stat");
  const size_t close_paren = stat.rfind(')');
  return close_paren == std::string::npos || stat.compare(close_paren, 3, ") Z") == 0;
}

int font_timers() {
  int count = 0;
  for (const WindowTimer& timer : window_timers())
    count += timer.function == on_font_timer;
  return count;
}

std::string executable_of(pid_t pid) {
  char path[4096];
  const ssize_t length =
      readlink(("/proc/" + std::to_string(pid) + "/exe").c_str(), path, sizeof path - 1);
  return length > 0 ? std::string(path, static_cast<size_t>(length)) : "";
}

}  // namespace

TEST_F(FontWindowTest, OneFontDownloadAtATime) {
  ASSERT_EQ(window.detected_font, "");
  SilentServer server;
  setenv("FENNICK_FONT_URL", (server.origin() + "/fonts").c_str(), 1);
  GtkWidget* install = button_labelled(ellipsis("Install MesloLGS NF font"));

  click(install);
  EXPECT_EQ(status_text(), kDownloading);
  const pid_t first = window.font_download;
  ASSERT_GT(first, 0);
  // The child is the program's own `font install --yes`: its download reaches the server.
  EXPECT_EQ(server.next_request(kPatienceMs), "GET /fonts/MesloLGS%20NF%20Regular.ttf HTTP/1.1");
  EXPECT_EQ(executable_of(first), kFennickBinary);
  EXPECT_EQ(font_timers(), 1);

  // Pressed again while it runs: the same child, no second download, the same text.
  show_status("meanwhile");
  click(install);
  EXPECT_EQ(status_text(), kDownloading);
  EXPECT_EQ(window.font_download, first);
  EXPECT_EQ(own_children(), std::vector<pid_t>{first});
  EXPECT_EQ(server.next_request(300), "");
  EXPECT_EQ(font_timers(), 1);

  // The check after the delay while the download is still going.
  EXPECT_FALSE(on_font_timer(nullptr));
  EXPECT_EQ(status_text(), "Font download did not finish (see: fennick font install)");
  EXPECT_EQ(window.font_download, first);
  // Pressed once more: still no second download, but a new check, so that the outcome shows.
  click(install);
  EXPECT_EQ(status_text(), kDownloading);
  EXPECT_EQ(window.font_download, first);
  EXPECT_EQ(server.next_request(300), "");
  EXPECT_EQ(font_timers(), 2);

  // The download fails; the next check collects the child.
  server.hang_up();
  ASSERT_TRUE(run_main_loop_until([&] { return has_finished(first); }, kPatienceMs));
  EXPECT_FALSE(on_font_timer(nullptr));
  EXPECT_EQ(status_text(), "Font download did not finish (see: fennick font install)");
  EXPECT_EQ(window.font_download, 0);
  EXPECT_EQ(own_children(), std::vector<pid_t>());

  // Once it has ended, a press starts a new download.
  click(install);
  const pid_t second = window.font_download;
  EXPECT_GT(second, 0);
  EXPECT_NE(second, first);
  EXPECT_EQ(server.next_request(kPatienceMs), "GET /fonts/MesloLGS%20NF%20Regular.ttf HTTP/1.1");
  EXPECT_EQ(font_timers(), 3);
  server.hang_up();
  if (second > 0) {
    int status;
    EXPECT_EQ(waitpid(second, &status, 0), second);
  }
}

TEST_F(FontWindowTest, InstallingWithAFontPresentStartsNothing) {
  install_font_by_hand();
  refresh_font_status();
  ASSERT_EQ(window.detected_font, "MesloLGS NF");
  // The button reads as done; pressed all the same, it only says so.
  GtkWidget* install = button_labelled("MesloLGS NF font installed");
  EXPECT_FALSE(more.gtk_widget_get_sensitive(install));
  click(install);
  EXPECT_EQ(status_text(), "A powerline font is already installed: MesloLGS NF");
  EXPECT_EQ(window.font_download, 0);
  EXPECT_EQ(font_timers(), 0);
  EXPECT_EQ(own_children(), std::vector<pid_t>());
}

TEST_F(FontWindowTest, TheFontCheckNamesAFontThatArrived) {
  install_font_by_hand();
  EXPECT_FALSE(on_font_timer(nullptr));
  EXPECT_EQ(status_text(), "Font ready: MesloLGS NF");
  EXPECT_EQ(label_text(window.font_status),
            "Powerline font found: MesloLGS NF. The prompt blocks will draw correctly in a "
            "terminal that uses it.");
}
