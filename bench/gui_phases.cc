// fennick's window start-up cut into phases, for gui_startup.sh: the same steps as
// open_settings_window and run_settings_window (through the window's own public functions, in the
// same order), each followed by a phase mark (phase_clock.h), up to the first map and draw of the
// window. Title "Fennick phases"; runs until the window is closed, then appends its line to
// $BENCH_PHASES_FILE. A diagnostic beside the real `fennick gui`, whose times are the figures.
#include <string>
#include <string_view>
#include <vector>

#include "bench/phase_clock.h"
#include "gui/preview_markup.h"
#include "gui/setting_controls.h"
#include "gui/settings_window.h"
#include "gui/window_actions.h"
#include "gui/window_state.h"
#include "settings/catalogue.h"
#include "settings/locations.h"
#include "settings/settings_file.h"

namespace {

void on_map_event(GtkWidget*, GdkEvent*, gpointer) {
  phase_mark("mapped");
}

bool drawn = false;
void on_draw(GtkWidget*, cairo_t*, gpointer) {
  if (!drawn) phase_mark("drawn");
  drawn = true;
}

}  // namespace

int main() {
  phase_mark("main");
  build_catalogue();
  load_settings();
  phase_mark("settings");
  if (!load_gtk()) return 3;
  phase_mark("load_gtk");
  int no_arguments = 0;
  gtk.gtk_init(&no_arguments, nullptr);
  gtk.g_set_prgname("fennick");
  phase_mark("gtk_init");

  window = WindowState();
  window.setting_controls.assign(static_cast<size_t>(setting_count()), nullptr);
  window.state_labels.assign(static_cast<size_t>(setting_count()), nullptr);
  window.main_window = gtk.gtk_window_new(GTK_WINDOW_TOPLEVEL);
  GtkWindow* main_window = as<GtkWindow>(window.main_window);
  gtk.gtk_window_set_title(main_window, "Fennick phases");
  gtk.gtk_window_set_default_size(main_window, 820, 780);
  gtk.gtk_window_set_position(main_window, GTK_WIN_POS_CENTER);
  gtk.gtk_window_set_icon_name(main_window, "preferences-system");
  connect_signal(window.main_window, "destroy", G_CALLBACK(gtk.gtk_main_quit), nullptr);
  GtkWidget* box = gtk.gtk_box_new(GTK_ORIENTATION_VERTICAL, 6);
  gtk.gtk_container_add(as<GtkContainer>(window.main_window), box);
  GtkWidget* notebook = gtk.gtk_notebook_new();
  gtk.gtk_widget_set_vexpand(notebook, TRUE);
  gtk.gtk_box_pack_start(as<GtkBox>(box), notebook, TRUE, TRUE, 0);
  window.page_stylesheet = gtk.gtk_css_provider_new();
  gtk.gtk_style_context_add_provider_for_screen(
      gtk.gdk_screen_get_default(), reinterpret_cast<GtkStyleProvider*>(window.page_stylesheet),
      GTK_STYLE_PROVIDER_PRIORITY_USER);
  std::vector<std::string_view> pages;
  for (int i = 0; i < setting_count(); ++i) {
    const std::string_view page = setting_at(i).page;
    bool seen = false;
    for (std::string_view known : pages)
      seen = seen || known == page;
    if (!seen) pages.push_back(page);
  }
  for (std::string_view page : pages) {
    const std::string title(page);
    gtk.gtk_notebook_append_page(as<GtkNotebook>(notebook), build_settings_page(title),
                                 gtk.gtk_label_new(title.c_str()));
  }
  gtk.gtk_notebook_append_page(as<GtkNotebook>(notebook), build_backup_page(),
                               gtk.gtk_label_new("Backup"));
  window.status_label = make_label("Settings: " + settings_path(), false);
  gtk.gtk_widget_set_margin_bottom(window.status_label, 6);
  gtk.gtk_box_pack_start(as<GtkBox>(box), window.status_label, FALSE, FALSE, 10);
  phase_mark("built");

  refresh_font_status();
  phase_mark("font_status");
  refresh_all_controls();
  phase_mark("controls");

  connect_signal(window.main_window, "map-event", G_CALLBACK(on_map_event), nullptr);
  gtk.g_signal_connect_data(window.main_window, "draw", G_CALLBACK(on_draw), nullptr, nullptr,
                            G_CONNECT_AFTER);
  gtk.gtk_widget_show_all(window.main_window);
  phase_mark("shown");
  gtk.gtk_main();
  phase_write("fennick");
  return 0;
}
