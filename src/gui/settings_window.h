// The settings window: a tab per catalogue page, a Backup tab and a status line.
#pragma once

#include <string>

#include "gui/gtk_binding.h"

// Opens the window and runs it until it is closed; 3 when GTK cannot be loaded, else 0.
int run_settings_window();
// Everything before the main loop: loads GTK, builds and fills the window (not yet shown).
// False when GTK cannot be loaded; fails with a message when no display can be opened.
bool open_settings_window();
// Builds the window for the current settings, titled TITLE; GTK must be initialised. Every tab
// is there, but only the first page is filled (showing the current values): the others are
// filled when first selected, or one by one in idle time after the window's first draw.
void build_main_window(const std::string& title);
// After the main loop: writes a change still waiting for the save timer.
void finish_settings_window();

// Fills notebook page NUMBER (the catalogue's pages, then Backup) if it is still empty, and
// shows the current values in it.
void build_page(int number);
bool page_built(int number);

GtkWidget* make_label(const std::string& text, bool bold);
void show_status(const std::string& text);
// What the status line says when no action has anything to report.
std::string resting_status();
