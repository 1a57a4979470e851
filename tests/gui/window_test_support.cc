#include "gui/window_test_support.h"

#include <dlfcn.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <time.h>
#include <unistd.h>

#include <fstream>
#include <functional>
#include <iterator>
#include <memory>

#include "gui/settings_window.h"
#include "settings/catalogue.h"
#include "settings/settings_file.h"
#include "settings/value_access.h"

GtkTestCalls more;

namespace {

// The window's font buttons start this program again (it is the running executable) with a
// `font` command. For them it stands in for fennick: the command goes to the built program.
struct StandInForFennick {
  StandInForFennick() {
    std::ifstream in("/proc/self/cmdline", std::ios::binary);
    const std::string all((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    std::vector<std::string> words;
    for (size_t start = 0; start < all.size();) {
      const size_t end = all.find('\0', start);
      words.push_back(all.substr(start, end - start));
      if (end == std::string::npos) break;
      start = end + 1;
    }
    if (words.size() < 2 || words[1] != "font") return;
    std::vector<char*> argv;
    words[0] = kFennickBinary;
    for (std::string& word : words)
      argv.push_back(word.data());
    argv.push_back(nullptr);
    execv(kFennickBinary, argv.data());
    _exit(127);
  }
} stand_in_for_fennick;

std::vector<std::string> complaints;
std::vector<WindowTimer> timers;
int parsing_errors = 0;
std::vector<std::string> parsing_messages;
decltype(&::g_timeout_add) window_timeout_add = nullptr;
bool calls_resolved = false;

void resolve_test_calls() {
  if (calls_resolved) return;
  void* library = dlopen("libgtk-3.so.0", RTLD_LAZY | RTLD_NOLOAD);
  ASSERT_NE(library, nullptr) << "the window has not opened GTK";
#define WINDOW_TEST_RESOLVE(name)                                         \
  more.name = reinterpret_cast<decltype(&::name)>(dlsym(library, #name)); \
  ASSERT_NE(more.name, nullptr) << #name;
  WINDOW_TEST_GTK_CALLS(WINDOW_TEST_RESOLVE)
#undef WINDOW_TEST_RESOLVE
  calls_resolved = true;
}

GLogWriterOutput record_message(GLogLevelFlags level, const GLogField* fields, gsize count,
                                gpointer) {
  if (level & (G_LOG_LEVEL_ERROR | G_LOG_LEVEL_CRITICAL | G_LOG_LEVEL_WARNING)) {
    gchar* text = more.g_log_writer_format_fields(level, fields, count, FALSE);
    complaints.push_back(text);
    gtk.g_free(text);
  }
  return more.g_log_writer_default(level, fields, count, nullptr);
}

guint recording_timeout_add(guint interval, GSourceFunc function, gpointer data) {
  const guint id = window_timeout_add(interval, function, data);
  timers.push_back({id, interval, function});
  return id;
}

void on_parsing_error(GtkCssProvider*, GtkCssSection*, GError* error, gpointer) {
  ++parsing_errors;
  parsing_messages.push_back(error ? error->message : "(no message)");
}

// Opens the test X server once for the whole run and loads every font Pango will use, before
// any test points the font configuration of its child processes elsewhere.
class WindowEnvironment : public ::testing::Environment {
 public:
  void SetUp() override {
    const char* display = getenv("FENNICK_TEST_DISPLAY");
    ASSERT_TRUE(display && *display)
        << "the window tests run on their own X server: start them with tests/gui/under_xvfb.sh";
    setenv("DISPLAY", display, 1);
    reset_all_to_defaults();
    ASSERT_TRUE(load_gtk());
    ASSERT_NO_FATAL_FAILURE(resolve_test_calls());
    more.g_log_set_writer_func(record_message, nullptr, nullptr);
    ASSERT_TRUE(open_test_window());
    gtk.gtk_widget_show_all(window.main_window);
    EXPECT_TRUE(run_main_loop_until([] { return more.gtk_widget_get_mapped(window.main_window); },
                                    kPatienceMs));
    GtkRequisition natural;
    more.gtk_widget_get_preferred_size(window.main_window, nullptr, &natural);
    run_main_loop_for(50);
    close_test_window();
    unsetenv("DISPLAY");
  }
};

::testing::Environment* const window_environment =
    ::testing::AddGlobalTestEnvironment(new WindowEnvironment);

void collect_buttons(GtkWidget* widget, const std::string& label, std::vector<GtkWidget*>& found) {
  if (more.g_type_check_instance_is_a(reinterpret_cast<GTypeInstance*>(widget),
                                      more.gtk_button_get_type())) {
    const gchar* text = more.gtk_button_get_label(as<GtkButton>(widget));
    if (text && label == text) found.push_back(widget);
  }
  if (more.g_type_check_instance_is_a(reinterpret_cast<GTypeInstance*>(widget),
                                      more.gtk_container_get_type())) {
    for (GtkWidget* child : children_of(widget))
      collect_buttons(child, label, found);
  }
}

struct DialogAnswer {
  std::string path;
  std::function<void()> after_accept;
  long long deadline = 0;
  bool chosen = false;
};
// The answer being given, and the timer that gives it.
std::unique_ptr<DialogAnswer> answer;
guint answer_timer = 0;
SeenDialog seen_dialog;

void stop_answering() {
  if (answer_timer && more.g_main_context_find_source_by_id(nullptr, answer_timer)) {
    more.g_source_remove(answer_timer);
  }
  answer_timer = 0;
  answer.reset();
}

// After an accepted save: answers the question whether to replace an existing file.
gboolean confirm_overwrite(gpointer) {
  if (GtkWidget* question = open_window_of_type("GtkMessageDialog")) {
    seen_dialog.asked_to_replace = true;
    more.gtk_dialog_response(as<GtkDialog>(question), GTK_RESPONSE_ACCEPT);
    return FALSE;
  }
  return open_window_of_type("GtkFileChooserDialog") && now_ms() < answer->deadline;
}

// The file chooser inside a file dialog.
GtkWidget* chooser_widget_in(GtkWidget* widget) {
  if (type_of(widget) == "GtkFileChooserWidget") return widget;
  if (!more.g_type_check_instance_is_a(reinterpret_cast<GTypeInstance*>(widget),
                                       more.gtk_container_get_type())) {
    return nullptr;
  }
  for (GtkWidget* child : children_of(widget)) {
    if (GtkWidget* found = chooser_widget_in(child)) return found;
  }
  return nullptr;
}

// True once the dialog's file chooser has nothing of its own waiting in the main loop (loading
// the folder, following a typed name). Answered before that, the dialog is destroyed with a
// timer of the chooser's still due, which then works on the destroyed file list.
bool dialog_settled(GtkWidget* dialog) {
  GtkWidget* chooser = chooser_widget_in(dialog);
  return chooser && !more.g_main_context_find_source_by_user_data(nullptr, chooser);
}

gboolean answer_file_dialog(gpointer) {
  GtkWidget* dialog = open_window_of_type("GtkFileChooserDialog");
  if (dialog && !dialog_settled(dialog) && now_ms() < answer->deadline) return TRUE;
  if (!dialog) {
    if (now_ms() < answer->deadline) return TRUE;
    ADD_FAILURE() << "no file dialog appeared";
    return FALSE;
  }
  GtkFileChooser* chooser = reinterpret_cast<GtkFileChooser*>(dialog);
  if (!seen_dialog.seen) {
    seen_dialog.seen = true;
    seen_dialog.saving = more.gtk_file_chooser_get_action(chooser) == GTK_FILE_CHOOSER_ACTION_SAVE;
    seen_dialog.title = more.gtk_window_get_title(as<GtkWindow>(dialog));
    seen_dialog.confirms_overwrite = more.gtk_file_chooser_get_do_overwrite_confirmation(chooser);
    if (seen_dialog.saving) {
      gchar* name = more.gtk_file_chooser_get_current_name(chooser);
      seen_dialog.proposed_name = name ? name : "";
      gtk.g_free(name);
    }
  }
  if (answer->path.empty()) {
    more.gtk_dialog_response(as<GtkDialog>(dialog), GTK_RESPONSE_CANCEL);
    return FALSE;
  }
  if (!answer->chosen) {
    answer->chosen = true;
    const size_t slash = answer->path.rfind('/');
    if (seen_dialog.saving) {
      more.gtk_file_chooser_set_current_folder(chooser, answer->path.substr(0, slash).c_str());
      more.gtk_file_chooser_set_current_name(chooser, answer->path.substr(slash + 1).c_str());
    } else {
      more.gtk_file_chooser_select_filename(chooser, answer->path.c_str());
    }
    return TRUE;
  }
  // The dialog takes the choice in the background; it is accepted once it shows.
  gchar* chosen = more.gtk_file_chooser_get_filename(chooser);
  const bool ready = chosen && answer->path == chosen && dialog_settled(dialog);
  gtk.g_free(chosen);
  if (!ready) {
    if (now_ms() < answer->deadline) return TRUE;
    ADD_FAILURE() << "the file dialog did not take " << answer->path;
    more.gtk_dialog_response(as<GtkDialog>(dialog), GTK_RESPONSE_CANCEL);
    return FALSE;
  }
  more.gtk_dialog_response(as<GtkDialog>(dialog), GTK_RESPONSE_ACCEPT);
  if (answer->after_accept) answer->after_accept();
  if (seen_dialog.saving) {
    answer->deadline = now_ms() + kPatienceMs;
    answer_timer = more.g_timeout_add(20, confirm_overwrite, nullptr);
  }
  return FALSE;
}

}  // namespace

GtkWidget* open_window_of_type(const std::string& type) {
  GList* toplevels = more.gtk_window_list_toplevels();
  GtkWidget* found = nullptr;
  for (GList* item = toplevels; item; item = item->next) {
    GtkWidget* widget = static_cast<GtkWidget*>(item->data);
    if (type_of(widget) == type && more.gtk_widget_get_mapped(widget)) found = widget;
  }
  more.g_list_free(toplevels);
  return found;
}

std::vector<std::string>& gtk_complaints() {
  return complaints;
}

std::vector<WindowTimer>& window_timers() {
  return timers;
}

int pending_window_timers() {
  int pending = 0;
  for (const WindowTimer& timer : timers) {
    if (more.g_main_context_find_source_by_id(nullptr, timer.id)) ++pending;
  }
  return pending;
}

int stylesheet_errors() {
  return parsing_errors;
}

bool open_test_window(bool every_page) {
  complaints.clear();
  timers.clear();
  parsing_errors = 0;
  parsing_messages.clear();
  if (!open_settings_window()) return false;
  if (every_page) build_every_page();
  watch_test_window();
  return true;
}

void build_every_page() {
  for (int number = 0; number <= page_count(); ++number)
    build_page(number);
}

void watch_test_window() {
  resolve_test_calls();
  if (gtk.g_timeout_add != recording_timeout_add) {
    window_timeout_add = gtk.g_timeout_add;
    gtk.g_timeout_add = recording_timeout_add;
  }
  gtk.g_signal_connect_data(window.page_stylesheet, "parsing-error", G_CALLBACK(on_parsing_error),
                            nullptr, nullptr, static_cast<GConnectFlags>(0));
}

void close_test_window() {
  if (!window.main_window) return;
  // Outside gtk_main there is no main loop to quit.
  more.g_signal_handlers_disconnect_matched(window.main_window, G_SIGNAL_MATCH_FUNC, 0, 0, nullptr,
                                            reinterpret_cast<gpointer>(gtk.gtk_main_quit), nullptr);
  more.gtk_widget_destroy(window.main_window);
  forget_test_window();
}

void forget_test_window() {
  stop_answering();
  for (const WindowTimer& timer : timers) {
    if (more.g_main_context_find_source_by_id(nullptr, timer.id)) more.g_source_remove(timer.id);
  }
  timers.clear();
  if (window.page_stylesheet) {
    more.gtk_style_context_remove_provider_for_screen(
        gtk.gdk_screen_get_default(), reinterpret_cast<GtkStyleProvider*>(window.page_stylesheet));
    gtk.g_object_unref(window.page_stylesheet);
  }
  window = WindowState();
  run_main_loop_for(5);
  for (const std::string& message : parsing_messages)
    ADD_FAILURE() << "the window's stylesheet did not parse: " << message;
  for (const std::string& message : complaints)
    ADD_FAILURE() << "GTK complained: " << message;
  complaints.clear();
  parsing_messages.clear();
}

long long now_ms() {
  timespec now;
  clock_gettime(CLOCK_MONOTONIC, &now);
  return now.tv_sec * 1000LL + now.tv_nsec / 1000000;
}

void run_main_loop_for(int milliseconds) {
  const long long end = now_ms() + milliseconds;
  do {
    while (more.gtk_events_pending())
      more.gtk_main_iteration_do(FALSE);
    if (now_ms() < end) usleep(1000);
  } while (now_ms() < end);
}

std::string type_of(GtkWidget* widget) {
  if (!widget) return "(none)";
  return more.g_type_name(G_TYPE_FROM_INSTANCE(widget));
}

std::vector<GtkWidget*> children_of(GtkWidget* container) {
  std::vector<GtkWidget*> children;
  GList* list = more.gtk_container_get_children(as<GtkContainer>(container));
  for (GList* item = list; item; item = item->next)
    children.push_back(static_cast<GtkWidget*>(item->data));
  more.g_list_free(list);
  return children;
}

GtkWidget* notebook() {
  for (GtkWidget* box : children_of(window.main_window)) {
    for (GtkWidget* child : children_of(box)) {
      if (type_of(child) == "GtkNotebook") return child;
    }
  }
  ADD_FAILURE() << "the window has no notebook";
  return nullptr;
}

GtkWidget* page(int number) {
  return more.gtk_notebook_get_nth_page(as<GtkNotebook>(notebook()), number);
}

GtkWidget* page_grid(int number) {
  GtkWidget* widget = page(number);
  while (widget && type_of(widget) != "GtkGrid") {
    widget = more.gtk_bin_get_child(as<GtkBin>(widget));
  }
  return widget;
}

std::vector<GridCell> cells_of(GtkWidget* grid) {
  std::vector<GridCell> cells;
  for (GtkWidget* child : children_of(grid)) {
    GridCell cell{child, 0, 0, 0};
    more.gtk_container_child_get(as<GtkContainer>(grid), child, "left-attach", &cell.column,
                                 "top-attach", &cell.row, "width", &cell.width, nullptr);
    cells.push_back(cell);
  }
  std::sort(cells.begin(), cells.end(), [](const GridCell& a, const GridCell& b) {
    return a.row != b.row ? a.row < b.row : a.column < b.column;
  });
  return cells;
}

const GridCell* cell_at(const std::vector<GridCell>& cells, int column, int row) {
  for (const GridCell& cell : cells) {
    if (cell.column == column && cell.row == row) return &cell;
  }
  return nullptr;
}

std::string label_text(GtkWidget* label) {
  if (!label || type_of(label) != "GtkLabel") return "(not a label: " + type_of(label) + ")";
  return more.gtk_label_get_text(as<GtkLabel>(label));
}

std::string label_markup(GtkWidget* label) {
  if (!label || type_of(label) != "GtkLabel") return "(not a label: " + type_of(label) + ")";
  return more.gtk_label_get_label(as<GtkLabel>(label));
}

std::string tooltip_of(GtkWidget* widget) {
  gchar* text = more.gtk_widget_get_tooltip_text(widget);
  if (!text) return "";
  std::string result = text;
  gtk.g_free(text);
  return result;
}

std::string status_text() {
  return label_text(window.status_label);
}

GtkWidget* button_labelled(const std::string& label, int page_number) {
  std::vector<GtkWidget*> found;
  collect_buttons(page_number < 0 ? window.main_window : page(page_number), label, found);
  EXPECT_EQ(found.size(), 1u) << "buttons labelled \"" << label << "\"";
  return found.empty() ? nullptr : found[0];
}

void click(GtkWidget* button) {
  ASSERT_NE(button, nullptr);
  more.gtk_button_clicked(as<GtkButton>(button));
}

int row_index(const std::string& name) {
  const int index = resolve_setting_name(name);
  EXPECT_GE(index, 0) << name;
  return index;
}

GtkWidget* control_of(const std::string& name) {
  const int index = row_index(name);
  return index < 0 ? nullptr : window.setting_controls[static_cast<size_t>(index)];
}

std::string stored(const std::string& name) {
  const int index = row_index(name);
  return index < 0 ? "(unknown setting)" : stored_value(index);
}

std::string state_of(const std::string& name) {
  const int index = row_index(name);
  return index < 0 ? "(unknown setting)"
                   : label_text(window.state_labels[static_cast<size_t>(index)]);
}

GtkWidget* reset_button_of(const std::string& name) {
  GtkWidget* box = more.gtk_widget_get_parent(control_of(name));
  for (GtkWidget* child : children_of(box)) {
    if (type_of(child) == "GtkButton" &&
        std::string(more.gtk_button_get_label(as<GtkButton>(child))) == "reset") {
      return child;
    }
  }
  ADD_FAILURE() << name << " has no reset button";
  return nullptr;
}

bool press_key(GtkWidget* control, guint keyval, guint state) {
  GdkEventKey event = {};
  event.type = GDK_KEY_PRESS;
  event.send_event = TRUE;
  event.time = GDK_CURRENT_TIME;
  event.state = state;
  event.keyval = keyval;
  gboolean handled = FALSE;
  more.g_signal_emit_by_name(control, "key-press-event", &event, &handled);
  return handled;
}

void set_in_window(const std::string& name, const std::string& value) {
  GtkWidget* control = control_of(name);
  ASSERT_NE(control, nullptr) << name;
  if (setting_at(row_index(name)).kind == SettingKind::Bool) {
    gtk.gtk_toggle_button_set_active(as<GtkToggleButton>(control), value == "true");
  } else {
    gtk.gtk_combo_box_set_active_id(as<GtkComboBox>(control), value.c_str());
  }
  ASSERT_EQ(stored(name), value);
}

// xdotool with the arguments, on the test X server; the test fails when it does.
static void xdotool(std::vector<std::string> arguments) {
  arguments.insert(arguments.begin(),
                   {"env", std::string("DISPLAY=") + getenv("FENNICK_TEST_DISPLAY"), "xdotool"});
  const RunResult run = run_program(arguments);
  ASSERT_EQ(run.status, 0) << run.err;
}

// Once xdotool is done, a round trip to the server brings what it sent the window.
static void handle_what_the_server_sent() {
  more.gdk_display_sync(more.gdk_display_get_default());
  run_main_loop_for(50);
}

void show_test_window() {
  gtk.gtk_widget_show_all(window.main_window);
  ASSERT_TRUE(run_main_loop_until([] { return more.gtk_widget_get_mapped(window.main_window); },
                                  kPatienceMs));
  run_main_loop_for(100);
}

void show_page(int number) {
  more.gtk_notebook_set_current_page(as<GtkNotebook>(notebook()), number);
  run_main_loop_until([number] { return more.gtk_widget_get_mapped(page(number)); }, kPatienceMs);
  run_main_loop_for(50);
}

double page_scrolled(int number) {
  return more.gtk_adjustment_get_value(
      more.gtk_scrolled_window_get_vadjustment(as<GtkScrolledWindow>(page(number))));
}

void point_at(GtkWidget* widget) {
  int x = 0, y = 0, origin_x = 0, origin_y = 0;
  GtkAllocation size;
  more.gtk_widget_get_allocation(widget, &size);
  ASSERT_TRUE(more.gtk_widget_translate_coordinates(widget, window.main_window, size.width / 2,
                                                    size.height / 2, &x, &y));
  more.gdk_window_get_origin(more.gtk_widget_get_window(window.main_window), &origin_x, &origin_y);
  xdotool({"mousemove", "--sync", std::to_string(origin_x + x), std::to_string(origin_y + y)});
  handle_what_the_server_sent();
}

void click_mouse_button(int button) {
  xdotool({"click", std::to_string(button)});
  handle_what_the_server_sent();
}

void type_keys(const std::vector<std::string>& keys) {
  // To the window's keyboard focus: the server's input focus goes to the window first.
  std::vector<std::string> command = {"search",      "--onlyvisible", "--name", "^Fennick$",
                                      "windowfocus", "--sync",        "key",    "--clearmodifiers"};
  command.insert(command.end(), keys.begin(), keys.end());
  xdotool(command);
  handle_what_the_server_sent();
}

void answer_next_file_dialog(const std::string& path, std::function<void()> after_accept) {
  stop_answering();
  seen_dialog = SeenDialog();
  answer = std::make_unique<DialogAnswer>();
  answer->path = path;
  answer->after_accept = std::move(after_accept);
  answer->deadline = now_ms() + kPatienceMs;
  answer_timer = more.g_timeout_add(20, answer_file_dialog, nullptr);
}

const SeenDialog& last_file_dialog() {
  return seen_dialog;
}

FileStamp stamp_of(const std::string& path) {
  FileStamp stamp;
  struct stat info;
  if (stat(path.c_str(), &info) != 0) return stamp;
  stamp.exists = true;
  stamp.inode = info.st_ino;
  stamp.modified_ns = info.st_mtim.tv_sec * 1000000000LL + info.st_mtim.tv_nsec;
  return stamp;
}

bool operator==(const FileStamp& a, const FileStamp& b) {
  return a.exists == b.exists && a.inode == b.inode && a.modified_ns == b.modified_ns;
}
