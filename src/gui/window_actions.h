// The window's buttons and pickers: every action of the command line, reported in the status line.
#pragma once

#include <string>

#include "gui/gtk_binding.h"

// A native file dialog; empty when the user cancelled.
std::string choose_settings_file(const std::string& title, bool saving);
// Detects the powerline font again and shows what was found.
void refresh_font_status();
// The palette combo box of the Sidebar page.
GtkWidget* create_palette_picker();

void on_export_clicked(GtkWidget* button, gpointer unused);
void on_import_clicked(GtkWidget* button, gpointer unused);
void on_reset_everything_clicked(GtkWidget* button, gpointer unused);
// Installs (value 1) or removes (2) fennick's extension of the stock Nemo.
void on_extension_clicked(GtkWidget* button, gpointer value);
// Imports back the backup that "Reset everything" kept.
void on_undo_reset_clicked(GtkWidget* button, gpointer unused);
void on_hook_clicked(GtkWidget* button, gpointer value);
void on_pathbar_clicked(GtkWidget* button, gpointer value);
void on_install_font_clicked(GtkWidget* button, gpointer unused);
gboolean on_font_timer(gpointer unused);
void on_terminal_font_clicked(GtkWidget* button, gpointer value);
void on_restart_clicked(GtkWidget* button, gpointer unused);
void on_default_switch_clicked(GtkWidget* button, gpointer value);
void on_palette_changed(GtkWidget* picker, gpointer unused);

// A button whose "clicked" runs the handler with the value (1 or 2) as user data.
GtkWidget* action_button(const char* label, GCallback handler, int value = 0);
