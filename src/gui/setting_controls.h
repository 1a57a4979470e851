// One control per setting, and live apply: every accepted change is stored, previewed at once
// and written by a one-shot save timer.
#pragma once

#include "gui/gtk_binding.h"

// The caption for the page grid: the setting's label, as wide as the widest caption of the
// catalogue, so that the controls line up on every page however many pages are built.
GtkWidget* create_caption(int index);
// The widget for the page grid: the control itself, or a box with a colour or font button.
GtkWidget* create_setting_control(int index);
// Shows the stored value in the row's control without feeding back into the store, and greys
// the row out while the setting has no effect. Rows whose page is not built yet are skipped.
void refresh_control(int index);
void refresh_all_controls();
// Greys out, or makes live again, every built row after a change of the stored values.
void refresh_greying();

void on_setting_changed(GtkWidget* control, gpointer row);
void on_setting_reset(GtkWidget* button, gpointer row);
gboolean on_key_capture(GtkWidget* control, GdkEventKey* event, gpointer row);

// Refreshes the previews now and makes sure a save follows within 350 ms.
void schedule_apply();
gboolean on_apply_timer(gpointer unused);

// The row index as signal user data (index + 1, so that row 0 is not a null pointer).
inline gpointer row_data(int index) {
  return reinterpret_cast<gpointer>(static_cast<intptr_t>(index + 1));
}
inline int row_of(gpointer data) {
  return static_cast<int>(reinterpret_cast<intptr_t>(data)) - 1;
}

// Connects a signal through the entry-point table.
void connect_signal(gpointer instance, const char* signal, GCallback handler, gpointer data);
