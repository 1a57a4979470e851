// Live apply: every control shows the stored value, a change in it is normalised and stored at
// once, previewed at once, and written with the stylesheet and the prompt script by one save
// about 350 ms after the first change; key fields capture key combinations.
#include <unistd.h>

#include "generate/prompt_script.h"
#include "generate/stylesheet.h"
#include "gui/setting_controls.h"
#include "gui/settings_window.h"
#include "gui/window_test_support.h"
#include "settings/catalogue.h"
#include "settings/locations.h"
#include "settings/settings_file.h"
#include "settings/value_access.h"

namespace {

const char kSavedPrefix[] = "Saved and applied \xE2\x80\x94 ";

void pick_colour(const std::string& name, double red, double green, double blue,
                 double alpha = 1.0) {
  const GdkRGBA rgba = {red, green, blue, alpha};
  gtk.gtk_color_chooser_set_rgba(as<GtkColorChooser>(control_of(name)), &rgba);
  more.g_signal_emit_by_name(control_of(name), "color-set");
}

void pick_font(const std::string& name, const std::string& description) {
  gtk.gtk_font_chooser_set_font(as<GtkFontChooser>(control_of(name)), description.c_str());
  more.g_signal_emit_by_name(control_of(name), "font-set");
}

// The colour a colour button shows, as 0-255 channels and alpha.
std::string shown_colour(const std::string& name) {
  GdkRGBA rgba;
  gtk.gtk_color_chooser_get_rgba(as<GtkColorChooser>(control_of(name)), &rgba);
  char text[64];
  snprintf(text, sizeof text, "%.1f %.1f %.1f %.1f", rgba.red * 255, rgba.green * 255,
           rgba.blue * 255, rgba.alpha);
  return text;
}

std::string shown_font(const std::string& name) {
  gchar* font = gtk.gtk_font_chooser_get_font(as<GtkFontChooser>(control_of(name)));
  std::string text = font ? font : "(none)";
  gtk.g_free(font);
  return text;
}

std::string entry_text(const std::string& name) {
  return gtk.gtk_entry_get_text(as<GtkEntry>(control_of(name)));
}

// Inserts text at the end of an entry as typing does (ASCII text only).
void type_into(const std::string& name, const std::string& text) {
  gint position = static_cast<gint>(entry_text(name).size());
  more.gtk_editable_insert_text(reinterpret_cast<GtkEditable*>(control_of(name)), text.c_str(), -1,
                                &position);
}

bool waits_for_save() {
  return window.save_pending && pending_window_timers() == 1;
}

// Nothing of the three output files is on disk.
bool nothing_written() {
  return !file_exists(settings_path()) && !file_exists(stylesheet_path()) &&
         !file_exists(prompt_script_path());
}

// The three files hold exactly what the store gives now.
void expect_written_from_store() {
  EXPECT_EQ(read_file(settings_path()), settings_text());
  EXPECT_EQ(read_file(stylesheet_path()), generate_stylesheet());
  EXPECT_EQ(read_file(prompt_script_path()), prompt_script());
}

struct OutputStamps {
  FileStamp settings, stylesheet, prompt;
  bool operator==(const OutputStamps&) const = default;
};
OutputStamps output_stamps() {
  return {stamp_of(settings_path()), stamp_of(stylesheet_path()), stamp_of(prompt_script_path())};
}

bool saved_by_timer() {
  return run_main_loop_until([] { return !window.save_pending; }, kPatienceMs);
}

}  // namespace

TEST_F(WindowTest, StartUpShowsEveryStoredValueAndSchedulesNothing) {
  set_value("pathbar.enabled", "true");
  set_value("pathbar.border_width", "5");
  set_value("terminal.symbol", "%> ");
  set_value("pathbar.border_color", "#123456");
  set_value("pathbar.normal_color", "");
  set_value("pathbar.normal_font", "DejaVu Sans Bold 11");
  set_value("pathbar.selected_font", "");
  set_value("pathbar.shape", "pill");
  set_value("terminal.key_copy", "<Primary><Shift>c");
  set_value("panes.key_add", "<Hyper>x");
  set_value("panes.key_remove", "");
  // Not a number (never written by the program): 0, which the spin button's range lifts to 2.
  store_value(row_index("panes.max_panes"), "many");
  std::vector<std::string> before;
  for (int i = 0; i < setting_count(); ++i)
    before.push_back(stored_value(i));

  close_test_window();
  ASSERT_TRUE(open_test_window());

  EXPECT_TRUE(gtk.gtk_toggle_button_get_active(as<GtkToggleButton>(control_of("pathbar.enabled"))));
  EXPECT_FALSE(
      gtk.gtk_toggle_button_get_active(as<GtkToggleButton>(control_of("terminal.prompt_enabled"))));
  EXPECT_EQ(gtk.gtk_spin_button_get_value_as_int(as<GtkSpinButton>(control_of("border_width"))), 5);
  EXPECT_EQ(gtk.gtk_spin_button_get_value_as_int(as<GtkSpinButton>(control_of("max_panes"))), 2);
  EXPECT_EQ(entry_text("terminal.symbol"), "%> ");
  EXPECT_EQ(shown_colour("pathbar.border_color"), "18.0 52.0 86.0 1.0");
  EXPECT_EQ(state_of("pathbar.border_color"), "#123456");
  EXPECT_EQ(shown_colour("pathbar.normal_color"), "127.5 127.5 127.5 1.0");
  EXPECT_EQ(state_of("pathbar.normal_color"), "theme");
  EXPECT_EQ(shown_font("pathbar.normal_font"), "DejaVu Sans Bold 11");
  EXPECT_EQ(state_of("pathbar.normal_font"), "DejaVu Sans Bold 11");
  EXPECT_EQ(shown_font("pathbar.selected_font"), "Sans 10");
  EXPECT_EQ(state_of("pathbar.selected_font"), "theme");
  EXPECT_STREQ(gtk.gtk_combo_box_get_active_id(as<GtkComboBox>(control_of("shape"))), "pill");
  EXPECT_STREQ(gtk.gtk_combo_box_get_active_id(as<GtkComboBox>(control_of("terminal.keys"))),
               "system");
  EXPECT_EQ(entry_text("terminal.key_copy"), "Ctrl+Shift+c");
  EXPECT_EQ(entry_text("terminal.key_paste"), "Ctrl+Shift+v");
  EXPECT_EQ(entry_text("panes.key_add"), "Hyper+x");
  EXPECT_EQ(entry_text("panes.key_remove"), "");
  EXPECT_EQ(entry_text("panes.key_left"), "F5");

  // Showing the values changed nothing and wrote nothing.
  for (int i = 0; i < setting_count(); ++i)
    EXPECT_EQ(stored_value(i), before[static_cast<size_t>(i)]) << setting_name(i);
  EXPECT_FALSE(window.save_pending);
  EXPECT_EQ(pending_window_timers(), 0);
  EXPECT_TRUE(nothing_written());
}

TEST_F(WindowTest, RefreshingAllControlsNeverSchedulesASave) {
  set_value("sidebar.readonly_italic", "false");
  set_value("sidebar.readonly_marker", "lock");
  set_value("sidebar.stats_max_seconds", "45");
  set_value("terminal.template", "{user}:{sym}");
  set_value("sidebar.readonly_color_dark", "#0A0B0C");
  set_value("pathbar.selected_font", "Serif Italic 9");
  refresh_all_controls();
  EXPECT_FALSE(
      gtk.gtk_toggle_button_get_active(as<GtkToggleButton>(control_of("readonly_italic"))));
  EXPECT_STREQ(gtk.gtk_combo_box_get_active_id(as<GtkComboBox>(control_of("readonly_marker"))),
               "lock");
  EXPECT_EQ(
      gtk.gtk_spin_button_get_value_as_int(as<GtkSpinButton>(control_of("stats_max_seconds"))), 45);
  EXPECT_EQ(entry_text("terminal.template"), "{user}:{sym}");
  EXPECT_EQ(state_of("readonly_color_dark"), "#0A0B0C");
  EXPECT_EQ(shown_font("selected_font"), "Serif Italic 9");
  // The previews follow the store too.
  EXPECT_EQ(label_text(window.prompt_preview), "quill:$");
  // Nothing went back into the store, and nothing is to be saved.
  EXPECT_EQ(stored("readonly_italic"), "false");
  EXPECT_EQ(stored("readonly_marker"), "lock");
  EXPECT_EQ(stored("stats_max_seconds"), "45");
  EXPECT_EQ(stored("readonly_color_dark"), "#0A0B0C");
  EXPECT_EQ(stored("selected_font"), "Serif Italic 9");
  EXPECT_FALSE(window.save_pending);
  EXPECT_EQ(pending_window_timers(), 0);
  run_main_loop_for(20);
  EXPECT_TRUE(nothing_written());
  EXPECT_EQ(status_text(), "Settings: " + settings_path());
}

TEST_F(WindowTest, EveryKindOfControlStoresItsNormalisedValueAtOnce) {
  gtk.gtk_toggle_button_set_active(as<GtkToggleButton>(control_of("pathbar.enabled")), TRUE);
  EXPECT_EQ(stored("pathbar.enabled"), "true");
  EXPECT_TRUE(waits_for_save());
  gtk.gtk_toggle_button_set_active(as<GtkToggleButton>(control_of("sidebar.stats_roots")), FALSE);
  EXPECT_EQ(stored("sidebar.stats_roots"), "false");

  gtk.gtk_spin_button_set_value(as<GtkSpinButton>(control_of("pathbar.border_width")), 5);
  EXPECT_EQ(stored("pathbar.border_width"), "5");
  // The spin button keeps to the setting's range.
  gtk.gtk_spin_button_set_value(as<GtkSpinButton>(control_of("pathbar.border_width")), 99);
  EXPECT_EQ(stored("pathbar.border_width"), "8");
  gtk.gtk_spin_button_set_value(as<GtkSpinButton>(control_of("sidebar.stats_max_entries")), 4.6);
  EXPECT_EQ(stored("sidebar.stats_max_entries"), "1000");

  gtk.gtk_entry_set_text(as<GtkEntry>(control_of("terminal.template")), "{host} {sym}");
  EXPECT_EQ(stored("terminal.template"), "{host} {sym}");
  gtk.gtk_entry_set_text(as<GtkEntry>(control_of("terminal.raw_zsh")), "");
  EXPECT_EQ(stored("terminal.raw_zsh"), "");

  gtk.gtk_combo_box_set_active_id(as<GtkComboBox>(control_of("pathbar.shape")), "leaf_reverse");
  EXPECT_EQ(stored("pathbar.shape"), "leaf_reverse");
  gtk.gtk_combo_box_set_active_id(as<GtkComboBox>(control_of("terminal.style")), "powerline");
  EXPECT_EQ(stored("terminal.style"), "powerline");

  // 127.5 goes to the even 128; alpha plays no part.
  pick_colour("pathbar.selected_bg", 0.5, 0.5, 0.5, 0.25);
  EXPECT_EQ(stored("pathbar.selected_bg"), "#808080");
  EXPECT_EQ(state_of("pathbar.selected_bg"), "#808080");
  pick_colour("terminal.color_git", 171 / 255.0, 205 / 255.0, 239 / 255.0);
  EXPECT_EQ(stored("terminal.color_git"), "#ABCDEF");
  EXPECT_EQ(state_of("terminal.color_git"), "#ABCDEF");

  pick_font("pathbar.normal_font", "DejaVu Sans Mono Bold Italic 12");
  EXPECT_EQ(stored("pathbar.normal_font"), "DejaVu Sans Mono Bold Italic 12");
  EXPECT_EQ(state_of("pathbar.normal_font"), "DejaVu Sans Mono Bold Italic 12");

  // One save for all of them, not yet on disk.
  EXPECT_TRUE(waits_for_save());
  EXPECT_EQ(window_timers().size(), 1u);
  EXPECT_TRUE(nothing_written());
}

TEST_F(WindowTest, AChangeIsPreviewedAtOnceAndWrittenAbout350msLater) {
  EXPECT_EQ(label_text(window.prompt_preview), "quill@rig ~/Projects/nemo (main)\n$ ");
  const long long start = now_ms();
  gtk.gtk_entry_set_text(as<GtkEntry>(control_of("terminal.symbol")), "%");
  EXPECT_EQ(label_text(window.prompt_preview), "quill@rig ~/Projects/nemo (main)\n% ");
  EXPECT_TRUE(waits_for_save());
  EXPECT_TRUE(nothing_written());
  EXPECT_EQ(status_text(), "Settings: " + settings_path());

  ASSERT_EQ(window_timers()[0].interval, 350u);
  ASSERT_TRUE(run_main_loop_until([] { return file_exists(settings_path()); }, kPatienceMs));
  EXPECT_GE(now_ms() - start, 340);
  EXPECT_FALSE(window.save_pending);
  expect_written_from_store();
  EXPECT_EQ(status_text(), kSavedPrefix + settings_path());
  EXPECT_EQ(status_text(), kSavedPrefix + home() + "/config/fennick.ini");
}

TEST_F(WindowTest, ThreeQuickKeystrokesAreWrittenOnce) {
  set_value("terminal.template", "");
  refresh_all_controls();
  ASSERT_EQ(entry_text("terminal.template"), "");

  const long long start = now_ms();
  type_into("terminal.template", "{");
  type_into("terminal.template", "sym");
  EXPECT_EQ(label_text(window.prompt_preview), "{sym");
  type_into("terminal.template", "}");
  EXPECT_EQ(label_text(window.prompt_preview), "$");
  EXPECT_EQ(stored("terminal.template"), "{sym}");
  EXPECT_EQ(window_timers().size(), 1u);

  run_main_loop_until([&] { return now_ms() - start >= 300; }, 1000);
  EXPECT_TRUE(nothing_written()) << "written before 300 ms";
  ASSERT_EQ(window_timers()[0].interval, 350u);
  ASSERT_TRUE(run_main_loop_until([] { return file_exists(prompt_script_path()); }, kPatienceMs));
  const OutputStamps first_write = output_stamps();
  expect_written_from_store();
  run_main_loop_for(400);
  EXPECT_TRUE(output_stamps() == first_write) << "written a second time";
  EXPECT_EQ(window_timers().size(), 1u);
}

// A change made while a save is waiting does not put the save off: it is written by it.
TEST_F(WindowTest, ALaterChangeDoesNotPostponeTheSave) {
  const long long start = now_ms();
  gtk.gtk_spin_button_set_value(as<GtkSpinButton>(control_of("pathbar.spacing")), 4);
  run_main_loop_for(1);
  ASSERT_TRUE(window.save_pending);
  gtk.gtk_spin_button_set_value(as<GtkSpinButton>(control_of("pathbar.spacing")), 6);
  // The second change starts no timer of its own: the first one writes both.
  EXPECT_EQ(window_timers().size(), 1u);
  ASSERT_TRUE(run_main_loop_until([] { return file_exists(settings_path()); }, kPatienceMs));
  EXPECT_GE(now_ms() - start, 340);
  EXPECT_NE(read_file(settings_path()).find("\nspacing=6\n"), std::string::npos);
  EXPECT_NE(read_file(stylesheet_path()), "");
  EXPECT_EQ(window_timers().size(), 1u);
}

TEST_F(WindowTest, ResetButtonsGoBackToTheDefault) {
  pick_colour("pathbar.border_color", 1, 0, 0);
  EXPECT_EQ(stored("pathbar.border_color"), "#FF0000");
  EXPECT_EQ(state_of("pathbar.border_color"), "#FF0000");
  click(reset_button_of("pathbar.border_color"));
  EXPECT_EQ(stored("pathbar.border_color"), "");
  EXPECT_EQ(state_of("pathbar.border_color"), "theme");
  EXPECT_EQ(shown_colour("pathbar.border_color"), "127.5 127.5 127.5 1.0");
  EXPECT_TRUE(waits_for_save());

  pick_colour("terminal.color_user", 0, 0, 1);
  click(reset_button_of("terminal.color_user"));
  EXPECT_EQ(stored("terminal.color_user"), "#4EC9B0");
  EXPECT_EQ(state_of("terminal.color_user"), "#4EC9B0");
  EXPECT_EQ(shown_colour("terminal.color_user"), "78.0 201.0 176.0 1.0");

  pick_font("pathbar.selected_font", "Serif Bold 14");
  EXPECT_EQ(state_of("pathbar.selected_font"), "Serif Bold 14");
  click(reset_button_of("pathbar.selected_font"));
  EXPECT_EQ(stored("pathbar.selected_font"), "");
  EXPECT_EQ(state_of("pathbar.selected_font"), "theme");
  EXPECT_EQ(shown_font("pathbar.selected_font"), "Sans 10");

  ASSERT_TRUE(saved_by_timer());
  expect_written_from_store();
  EXPECT_NE(read_file(settings_path()).find("\nborder_color=\n"), std::string::npos);
}

TEST_F(WindowTest, TextWithALineFeedIsRefusedSilently) {
  for (const char* name : {"terminal.symbol", "terminal.template", "terminal.raw_bash"}) {
    const std::string before = stored(name);
    gtk.gtk_entry_set_text(as<GtkEntry>(control_of(name)), "one\ntwo");
    EXPECT_EQ(stored(name), before) << name;
  }
  EXPECT_FALSE(window.save_pending);
  EXPECT_EQ(pending_window_timers(), 0);
  EXPECT_EQ(status_text(), "Settings: " + settings_path());
  EXPECT_EQ(label_text(window.prompt_preview), "quill@rig ~/Projects/nemo (main)\n$ ");
}

TEST_F(WindowTest, AFailedSaveIsReportedAndTheNextChangeTriesAgain) {
  // The settings folder cannot be made: a file has its name.
  write_file(config(), "in the way\n");
  gtk.gtk_toggle_button_set_active(as<GtkToggleButton>(control_of("terminal.bold")), FALSE);
  ASSERT_TRUE(saved_by_timer());
  EXPECT_EQ(status_text(),
            "Could not save: cannot write " + config() + "/fennick.ini: Not a directory");
  EXPECT_EQ(stored("terminal.bold"), "false");

  ASSERT_EQ(unlink(config().c_str()), 0);
  gtk.gtk_toggle_button_set_active(as<GtkToggleButton>(control_of("terminal.bold")), TRUE);
  ASSERT_TRUE(saved_by_timer());
  EXPECT_EQ(status_text(), kSavedPrefix + settings_path());
  expect_written_from_store();
}

TEST_F(WindowTest, FinishingTheWindowWritesAPendingChange) {
  gtk.gtk_combo_box_set_active_id(as<GtkComboBox>(control_of("terminal.cwd_style")), "base");
  ASSERT_TRUE(window.save_pending);
  finish_settings_window();
  EXPECT_FALSE(window.save_pending);
  expect_written_from_store();
  EXPECT_NE(read_file(settings_path()).find("\ncwd_style=base\n"), std::string::npos);

  // Without a pending change it writes nothing.
  const OutputStamps written = output_stamps();
  finish_settings_window();
  EXPECT_TRUE(output_stamps() == written);
}

namespace {

// Runs inside the window's main loop: a change, then the window is closed at once.
gboolean change_and_close(gpointer) {
  // The window was opened again by run_settings_window: watch its timers as well.
  watch_test_window();
  gtk.gtk_toggle_button_set_active(as<GtkToggleButton>(control_of("pathbar.enabled")), TRUE);
  EXPECT_TRUE(window.save_pending);
  more.gtk_widget_destroy(window.main_window);
  return FALSE;
}

gboolean give_up(gpointer) {
  ADD_FAILURE() << "the window did not close";
  gtk.gtk_main_quit();
  return FALSE;
}

}  // namespace

// The whole run of the window: closing it within the save delay still writes the change.
TEST_F(WindowTest, ClosingWithinTheSaveDelayStillWritesTheChange) {
  close_test_window();
  more.g_timeout_add(100, change_and_close, nullptr);
  const unsigned watchdog = more.g_timeout_add(10000, give_up, nullptr);
  EXPECT_EQ(run_settings_window(), 0);
  if (more.g_main_context_find_source_by_id(nullptr, watchdog)) more.g_source_remove(watchdog);
  // The save timer has not run: the change was written when the window closed.
  EXPECT_EQ(window_timers().size(), 1u);
  EXPECT_EQ(pending_window_timers(), 1);
  forget_test_window();
  EXPECT_FALSE(window.save_pending);
  EXPECT_NE(read_file(settings_path()).find("\n[pathbar]\nenabled=true\n"), std::string::npos);
  expect_written_from_store();
}

TEST_F(WindowTest, EscapeClearsAKeyField) {
  GtkWidget* field = control_of("panes.key_add");
  EXPECT_TRUE(press_key(field, GDK_KEY_Escape, 0));
  EXPECT_EQ(stored("panes.key_add"), "");
  EXPECT_EQ(entry_text("panes.key_add"), "");
  EXPECT_TRUE(waits_for_save());
  ASSERT_TRUE(saved_by_timer());
  EXPECT_NE(read_file(settings_path()).find("\nkey_add=\n"), std::string::npos);
}

TEST_F(WindowTest, ModifierKeysAloneChangeNothing) {
  GtkWidget* field = control_of("terminal.key_copy");
  for (guint key : {GDK_KEY_Shift_L, GDK_KEY_Shift_R, GDK_KEY_Control_L, GDK_KEY_Caps_Lock,
                    GDK_KEY_Meta_L, GDK_KEY_Alt_R, GDK_KEY_Super_L, GDK_KEY_Hyper_R,
                    GDK_KEY_ISO_Lock, GDK_KEY_ISO_Level3_Shift, GDK_KEY_ISO_Last_Group_Lock}) {
    EXPECT_TRUE(press_key(field, key, GDK_SHIFT_MASK)) << std::hex << key;
  }
  EXPECT_EQ(stored("terminal.key_copy"), "<Primary><Shift>c");
  EXPECT_EQ(entry_text("terminal.key_copy"), "Ctrl+Shift+c");
  EXPECT_FALSE(window.save_pending);
  EXPECT_EQ(pending_window_timers(), 0);
}

TEST_F(WindowTest, AKeyCombinationIsStoredAsGtkNamesIt) {
  GtkWidget* field = control_of("terminal.key_paste");
  // Ctrl+Shift+C as the keyboard sends it, with Num Lock on: the lock is not part of it.
  EXPECT_TRUE(press_key(field, GDK_KEY_C, GDK_CONTROL_MASK | GDK_SHIFT_MASK | GDK_MOD2_MASK));
  EXPECT_EQ(stored("terminal.key_paste"), "<Primary><Shift>c");
  EXPECT_EQ(entry_text("terminal.key_paste"), "Ctrl+Shift+c");
  EXPECT_TRUE(waits_for_save());

  EXPECT_TRUE(press_key(field, GDK_KEY_F7, 0));
  EXPECT_EQ(stored("terminal.key_paste"), "F7");
  EXPECT_EQ(entry_text("terminal.key_paste"), "F7");
  EXPECT_TRUE(press_key(field, GDK_KEY_Delete, GDK_CONTROL_MASK | GDK_MOD1_MASK));
  EXPECT_EQ(stored("terminal.key_paste"), "<Primary><Alt>Delete");
  EXPECT_EQ(entry_text("terminal.key_paste"), "Ctrl+Alt+Delete");
  EXPECT_TRUE(press_key(field, GDK_KEY_x, GDK_SUPER_MASK));
  EXPECT_EQ(stored("terminal.key_paste"), "<Super>x");
  EXPECT_EQ(entry_text("terminal.key_paste"), "Super+x");
  ASSERT_TRUE(saved_by_timer());
  EXPECT_NE(read_file(settings_path()).find("\nkey_paste=<Super>x\n"), std::string::npos);
}

// Tab and Shift+Tab alone move the focus on out of a key field, as out of any control: the
// handler leaves them to the window and stores nothing. With Ctrl they are keys like any other.
TEST_F(WindowTest, TabMovesOnAndCtrlTabIsCaptured) {
  GtkWidget* field = control_of("panes.key_right");
  EXPECT_FALSE(press_key(field, GDK_KEY_Tab, 0));
  EXPECT_FALSE(press_key(field, GDK_KEY_ISO_Left_Tab, GDK_SHIFT_MASK | GDK_MOD2_MASK));
  EXPECT_EQ(stored("panes.key_right"), "F6");
  EXPECT_FALSE(window.save_pending);
  EXPECT_TRUE(press_key(field, GDK_KEY_Tab, GDK_CONTROL_MASK));
  EXPECT_EQ(stored("panes.key_right"), "<Primary>Tab");
  EXPECT_EQ(entry_text("panes.key_right"), "Ctrl+Tab");
  EXPECT_TRUE(press_key(field, GDK_KEY_ISO_Left_Tab, GDK_CONTROL_MASK | GDK_SHIFT_MASK));
  EXPECT_EQ(stored("panes.key_right"), "<Primary><Shift>ISO_Left_Tab");
  EXPECT_EQ(entry_text("panes.key_right"), "Ctrl+Shift+ISO_Left_Tab");
}
