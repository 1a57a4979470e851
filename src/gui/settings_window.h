// The settings window: a tab per catalogue page, a Backup tab and a status line.
#pragma once

#include <string>

#include "gui/gtk_binding.h"

// Opens the window and runs it until it is closed; 3 when GTK cannot be loaded, else 0.
int run_settings_window();
// Everything before the main loop: loads GTK, builds and fills the window (not yet shown).
// False when GTK cannot be loaded; fails with a message when no display can be opened.
bool open_settings_window();
// Builds the window's widgets for the current settings, titled TITLE; GTK must be initialised.
// The controls are filled afterwards by refresh_all_controls.
void build_main_window(const std::string& title);
// After the main loop: writes a change still waiting for the save timer.
void finish_settings_window();

GtkWidget* build_settings_page(const std::string& title);
GtkWidget* build_backup_page();
GtkWidget* make_label(const std::string& text, bool bold);
void show_status(const std::string& text);
