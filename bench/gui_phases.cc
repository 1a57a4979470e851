// fennick's window start-up cut into phases, for gui_startup.sh: the same steps as
// open_settings_window and run_settings_window (through the window's own functions, in the same
// order), each followed by a phase mark (phase_clock.h), up to the first map and draw of the
// window. Title "Fennick phases"; runs until the window is closed, then appends its line to
// $BENCH_PHASES_FILE. A diagnostic beside the real `fennick gui`, whose times are the figures.
#include <string>

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
  load_settings();
  phase_mark("settings");
  if (!load_gtk()) return 3;
  phase_mark("load_gtk");
  int no_arguments = 0;
  gtk.gtk_init_check(&no_arguments, nullptr);
  gtk.g_set_prgname("fennick");
  phase_mark("gtk_init");

  build_main_window("Fennick phases");
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
