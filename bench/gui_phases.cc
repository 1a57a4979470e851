// fennick's window start-up cut into phases, for gui_startup.sh: the same steps as
// open_settings_window and run_settings_window (through the window's own functions, in the same
// order), each followed by a phase mark (phase_clock.h), up to the first map and draw of the
// window, and then "pages" once the window has filled its other pages in idle time. Title
// "Fennick phases"; runs until the window is closed, then appends its line to
// $BENCH_PHASES_FILE. A diagnostic beside the real `fennick gui`, whose times are the figures.
#include <string>

#include "bench/phase_clock.h"
#include "gui/setting_controls.h"
#include "gui/settings_sync.h"
#include "gui/settings_window.h"
#include "gui/window_state.h"
#include "settings/catalogue.h"
#include "settings/locations.h"
#include "settings/settings_file.h"

namespace {

void on_map_event(GtkWidget*, GdkEvent*, gpointer) {
  phase_mark("mapped");
}

// A close asked for before every page is filled waits for that.
bool close_asked = false;
gboolean on_delete(GtkWidget*, GdkEvent*, gpointer) {
  close_asked = true;
  return !page_built(page_count());
}

// Below the window's own page builder, so that it runs once every page is filled.
gboolean on_pages_built(gpointer) {
  if (!page_built(page_count())) return TRUE;
  phase_mark("pages");
  if (close_asked) gtk.gtk_main_quit();
  return FALSE;
}

bool drawn = false;
void on_draw(GtkWidget*, cairo_t*, gpointer) {
  if (!drawn) {
    phase_mark("drawn");
    gtk.g_idle_add_full(G_PRIORITY_LOW + 10, on_pages_built, nullptr, nullptr);
  }
  drawn = true;
}

}  // namespace

int main() {
  phase_mark("main");
  load_settings();
  phase_mark("settings");
  if (!load_gtk()) return 3;
  phase_mark("load_gtk");
  int no_arguments = 0;
  gtk.gtk_init_check(&no_arguments, nullptr);
  gtk.g_set_prgname("fennick");
  phase_mark("gtk_init");

  build_main_window("Fennick phases");
  follow_settings_file();
  phase_mark("built");

  connect_signal(window.main_window, "map-event", G_CALLBACK(on_map_event), nullptr);
  connect_signal(window.main_window, "delete-event", G_CALLBACK(on_delete), nullptr);
  gtk.g_signal_connect_data(window.main_window, "draw", G_CALLBACK(on_draw), nullptr, nullptr,
                            G_CONNECT_AFTER);
  gtk.gtk_widget_show_all(window.main_window);
  phase_mark("shown");
  gtk.gtk_main();
  phase_write("fennick");
  return 0;
}
