// Helpers of the window tests: the GTK calls the tests need beyond the window's own table, a
// fixture that opens a fresh window in a fresh home for every test, and ways to find widgets,
// drive them and run the main loop.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "fonts/font_test_support.h"
#include "gui/gtk_binding.h"
#include "gui/window_state.h"
#include "test_support.h"

// GTK, GDK, GObject and GLib functions the window itself does not use, looked up in the libraries
// the window has already opened.
#define WINDOW_TEST_GTK_CALLS(X)                    \
  X(g_signal_emit_by_name)                          \
  X(g_type_check_instance_is_a)                     \
  X(g_timeout_add)                                  \
  X(gtk_container_get_type)                         \
  X(gtk_button_get_type)                            \
  X(g_signal_handlers_disconnect_matched)           \
  X(g_type_name)                                    \
  X(g_source_remove)                                \
  X(g_main_context_find_source_by_id)               \
  X(g_main_context_find_source_by_user_data)        \
  X(g_log_set_writer_func)                          \
  X(g_log_writer_default)                           \
  X(g_log_writer_format_fields)                     \
  X(g_list_free)                                    \
  X(g_object_get)                                   \
  X(gtk_tree_model_iter_nth_child)                  \
  X(gtk_tree_model_get)                             \
  X(gtk_file_chooser_get_current_name)              \
  X(gtk_file_chooser_get_do_overwrite_confirmation) \
  X(gtk_main_iteration_do)                          \
  X(gtk_events_pending)                             \
  X(gtk_widget_destroy)                             \
  X(gtk_widget_get_parent)                          \
  X(gtk_widget_get_tooltip_text)                    \
  X(gtk_widget_get_margin_top)                      \
  X(gtk_widget_get_margin_bottom)                   \
  X(gtk_widget_get_hexpand)                         \
  X(gtk_widget_get_vexpand)                         \
  X(gtk_widget_get_halign)                          \
  X(gtk_widget_get_mapped)                          \
  X(gtk_widget_get_style_context)                   \
  X(gtk_widget_get_preferred_size)                  \
  X(gtk_window_list_toplevels)                      \
  X(gtk_window_get_title)                           \
  X(gtk_window_get_default_size)                    \
  X(gtk_window_get_icon_name)                       \
  X(gtk_container_get_children)                     \
  X(gtk_container_child_get)                        \
  X(gtk_container_get_border_width)                 \
  X(gtk_bin_get_child)                              \
  X(gtk_box_get_spacing)                            \
  X(gtk_box_query_child_packing)                    \
  X(gtk_orientable_get_orientation)                 \
  X(gtk_grid_get_row_spacing)                       \
  X(gtk_grid_get_column_spacing)                    \
  X(gtk_scrolled_window_get_policy)                 \
  X(gtk_notebook_get_n_pages)                       \
  X(gtk_notebook_get_nth_page)                      \
  X(gtk_notebook_get_tab_label_text)                \
  X(gtk_label_get_text)                             \
  X(gtk_label_get_label)                            \
  X(gtk_label_get_use_markup)                       \
  X(gtk_label_get_xalign)                           \
  X(gtk_label_get_line_wrap)                        \
  X(gtk_label_get_max_width_chars)                  \
  X(gtk_label_get_selectable)                       \
  X(gtk_button_get_label)                           \
  X(gtk_button_clicked)                             \
  X(gtk_entry_get_width_chars)                      \
  X(gtk_editable_get_editable)                      \
  X(gtk_editable_insert_text)                       \
  X(gtk_combo_box_get_active)                       \
  X(gtk_combo_box_get_model)                        \
  X(gtk_tree_model_iter_n_children)                 \
  X(gtk_spin_button_get_range)                      \
  X(gtk_spin_button_get_increments)                 \
  X(gtk_style_context_get)                          \
  X(gtk_style_context_get_state)                    \
  X(gtk_style_context_has_class)                    \
  X(gtk_style_context_remove_provider_for_screen)   \
  X(gtk_dialog_response)                            \
  X(gtk_file_chooser_set_current_folder)            \
  X(gtk_file_chooser_set_current_name)              \
  X(gtk_file_chooser_select_filename)               \
  X(gtk_file_chooser_get_filename)                  \
  X(gtk_file_chooser_get_action)                    \
  X(gdk_rgba_free)                                  \
  X(pango_font_description_free)                    \
  X(pango_font_description_to_string)               \
  X(gtk_notebook_set_current_page)                  \
  X(gtk_widget_translate_coordinates)               \
  X(gtk_widget_get_window)                          \
  X(gtk_widget_get_allocation)                      \
  X(gtk_widget_get_sensitive)                       \
  X(gtk_widget_is_sensitive)                        \
  X(gtk_widget_grab_focus)                          \
  X(gtk_scrolled_window_get_vadjustment)            \
  X(gtk_adjustment_get_value)                       \
  X(gtk_adjustment_set_value)                       \
  X(gdk_window_get_origin)                          \
  X(gdk_display_get_default)                        \
  X(gdk_display_sync)                               \
  X(gtk_notebook_get_current_page)                  \
  X(gtk_window_get_size)                            \
  X(gtk_label_get_layout)                           \
  X(pango_layout_get_unknown_glyphs_count)          \
  X(FcConfigAppFontClear)

struct GtkTestCalls {
#define WINDOW_TEST_SLOT(name) decltype(&::name) name;
  WINDOW_TEST_GTK_CALLS(WINDOW_TEST_SLOT)
#undef WINDOW_TEST_SLOT
};

// Filled when the first window is opened.
extern GtkTestCalls more;

// GLib messages of level warning or worse (GTK's own complaints, Pango's markup errors) since
// the list was last cleared.
std::vector<std::string>& gtk_complaints();

// Every timer the window has started through its table (source id and interval), so that a
// test can see them and none survives into the next test.
struct WindowTimer {
  unsigned id;
  unsigned interval;
  GSourceFunc function;
};
std::vector<WindowTimer>& window_timers();
// The number of those timers still waiting to fire.
int pending_window_timers();

// Opens a fresh window (open_settings_window) and starts watching it: timers, stylesheet
// parsing errors, GTK messages. Every page is built at once, unless EVERY_PAGE is false: then
// only what the window builds itself. False when GTK could not be loaded.
bool open_test_window(bool every_page = true);
// Builds each page the window has not built yet.
void build_every_page();
// Starts watching a window opened otherwise (by run_settings_window).
void watch_test_window();
// Destroys the window and forgets it.
void close_test_window();
// After the window has been destroyed: removes its waiting timers and takes its stylesheet off
// the screen; records a test failure for any GTK complaint or stylesheet error seen meanwhile.
void forget_test_window();
// Parsing errors of the window's stylesheet provider since the window was opened.
int stylesheet_errors();

// A fresh window for every test, in the private home of Base (TempHomeTest or one derived from
// it), on the test X server only.
template <class Base>
class WindowTestOn : public Base {
 protected:
  void SetUp() override {
    Base::SetUp();
    ASSERT_TRUE(open_test_window());
  }
  void TearDown() override {
    close_test_window();
    Base::TearDown();
  }
};
using WindowTest = WindowTestOn<TempHomeTest>;
// The same in a home whose fonts, font downloads and terminal settings are private to the test.
using FontWindowTest = WindowTestOn<FontHomeTest>;

// How long a test waits for a state it needs (a window mapped, a file written, a dialog shown)
// before it fails: room for a slow or loaded machine. A wait that is met ends at once.
constexpr int kPatienceMs = 60000;
// Runs the main loop for about the given time, handling everything that becomes due.
void run_main_loop_for(int milliseconds);
// Runs the main loop until the condition holds or the time is up; true when it holds.
template <class Condition>
bool run_main_loop_until(Condition condition, int milliseconds);
// Monotonic milliseconds.
long long now_ms();

template <class Condition>
bool run_main_loop_until(Condition condition, int milliseconds) {
  const long long end = now_ms() + milliseconds;
  while (!condition()) {
    if (now_ms() >= end) return false;
    run_main_loop_for(1);
  }
  return true;
}

// The type name of a widget ("GtkCheckButton", ...).
std::string type_of(GtkWidget* widget);
std::vector<GtkWidget*> children_of(GtkWidget* container);

// A widget of a page grid or of the Backup grid with where it is attached.
struct GridCell {
  GtkWidget* widget;
  int column;
  int row;
  int width;
};
// The notebook of the window, its pages, and the grid of a page (inside the scrolled window).
GtkWidget* notebook();
GtkWidget* page(int number);
GtkWidget* page_grid(int number);
// The grid's children ordered by row, then column.
std::vector<GridCell> cells_of(GtkWidget* grid);
const GridCell* cell_at(const std::vector<GridCell>& cells, int column, int row);

std::string label_text(GtkWidget* label);    // what the label shows
std::string label_markup(GtkWidget* label);  // the markup or text it was given
std::string tooltip_of(GtkWidget* widget);   // empty when there is none
std::string status_text();
// The mapped top-level window of the given type ("GtkColorChooserDialog"), if any.
GtkWidget* open_window_of_type(const std::string& type);
// Finds a button with exactly this label anywhere in the window, or on the page of that number;
// fails the test when there is none or more than one.
GtkWidget* button_labelled(const std::string& label, int page_number = -1);
void click(GtkWidget* button);

// The control of the setting "section.key" (the colour or font button for those kinds).
GtkWidget* control_of(const std::string& name);
int row_index(const std::string& name);
std::string stored(const std::string& name);
// The state label beside a colour or font button, and that row's "reset" button.
std::string state_of(const std::string& name);
GtkWidget* reset_button_of(const std::string& name);

// Sends a key press through the control's "key-press-event" signal; returns the handler's answer.
bool press_key(GtkWidget* control, guint keyval, guint state);

// Sets a check box or a combo box of a setting as a click or a choice in the window would, so
// that the value is the window's own change (kept when a save merges with the file).
void set_in_window(const std::string& name, const std::string& value);

// Shows the window and waits until it is mapped and drawn, then shows the page.
void show_test_window();
void show_page(int number);
// The page's vertical scroll position.
double page_scrolled(int number);
// Real input through the X server (xdotool): the pointer over the middle of the widget, which
// must be on screen; a click of the mouse button (4 and 5 are the wheel); keys ("Tab", "space",
// "shift+Tab") to the window, which gets the server's input focus. Each returns once the window
// has handled what the server sent it.
void point_at(GtkWidget* widget);
void click_mouse_button(int button);
void type_keys(const std::vector<std::string>& keys);

// Answers the next file dialog the window runs, from the main loop while the dialog runs:
// picks the path (for saving: its folder and name; for opening: selects the file) and accepts,
// or cancels when the path is empty. Right after accepting it runs after_accept, if given, and
// when saving it also agrees to replace an existing file. Returns at once.
void answer_next_file_dialog(const std::string& path, std::function<void()> after_accept = {});
// What the last answered dialog looked like.
struct SeenDialog {
  bool seen = false;
  bool saving = false;
  std::string title;
  std::string proposed_name;  // when saving
  bool confirms_overwrite = false;
  bool asked_to_replace = false;
};
const SeenDialog& last_file_dialog();

// Time stamps and identity of a file, to see whether and when it was written again.
struct FileStamp {
  bool exists = false;
  unsigned long long inode = 0;
  long long modified_ns = 0;
};
FileStamp stamp_of(const std::string& path);
bool operator==(const FileStamp& a, const FileStamp& b);
