#include "gui/control_wheel.h"

#include "gui/setting_controls.h"
#include "gui/window_state.h"

namespace {

// Whether the keyboard focus of the window is the control or inside it (a combo box keeps the
// focus on its button).
bool focus_is_inside(GtkWidget* control) {
  if (!window.main_window) return false;
  GtkWidget* focus = gtk.gtk_window_get_focus(as<GtkWindow>(window.main_window));
  return focus && (focus == control || gtk.gtk_widget_is_ancestor(focus, control));
}

// Seen first by whichever part of the control the pointer is over, before the control itself
// (a combo box changes its value before its own "scroll-event" handlers run).
gboolean on_scroll(GtkWidget*, GdkEvent* event, gpointer control_data) {
  GtkWidget* control = static_cast<GtkWidget*>(control_data);
  if (focus_is_inside(control)) return FALSE;
  GtkWidget* page = gtk.gtk_widget_get_ancestor(control, gtk.gtk_scrolled_window_get_type());
  if (page) gtk.gtk_propagate_event(page, event);
  return TRUE;
}

void watch_scrolling(GtkWidget* widget, gpointer control) {
  connect_signal(widget, "scroll-event", G_CALLBACK(on_scroll), control);
  if (gtk.g_type_check_instance_is_a(reinterpret_cast<GTypeInstance*>(widget),
                                     gtk.gtk_container_get_type())) {
    gtk.gtk_container_forall(as<GtkContainer>(widget), watch_scrolling, control);
  }
}

}  // namespace

void leave_wheel_to_page_until_focused(GtkWidget* control) {
  watch_scrolling(control, control);
}
