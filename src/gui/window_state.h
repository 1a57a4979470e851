// What the settings window keeps while it runs: one process-wide record.
#pragma once

#include <sys/types.h>

#include <string>
#include <vector>

#include "gui/gtk_binding.h"

struct WindowState {
  GtkWidget* main_window = nullptr;
  GtkWidget* status_label = nullptr;
  GtkWidget* undo_button = nullptr;  // beside the status line, shown after "Reset everything"
  std::string undo_backup;           // the backup that button imports back
  bool undo_offered = false;         // while the button shows
  GtkCssProvider* page_stylesheet = nullptr;  // the generated stylesheet, for the preview
  std::string loaded_stylesheet;              // the text last loaded into page_stylesheet
  std::string shown_prompt_markup;            // the markup last set on prompt_preview
  std::vector<GtkWidget*> setting_controls;   // one per catalogue row
  std::vector<GtkWidget*> state_labels;       // the value beside a colour or font button
  std::string detected_font;                  // the installed powerline family, or empty
                                              // (looked for when the Terminal page is filled)
  GtkWidget* path_bar_preview = nullptr;
  GtkWidget* prompt_preview = nullptr;
  GtkWidget* font_status = nullptr;
  GtkWidget* palette_picker = nullptr;
  bool updating_controls = false;   // while a control is set from the store
  bool save_pending = false;        // from a change until the save timer writes it
  pid_t font_download = 0;          // the font install child, while it may still run
  bool font_check_pending = false;  // from starting the font check timer until it runs
  // Per catalogue row as well, filled when its page is built: the caption, and the widget the
  // page grid holds (the control, or the box around a colour or font button and its reset).
  std::vector<GtkWidget*> captions;
  std::vector<GtkWidget*> control_rows;
  // The pages are filled when first shown, or one by one in idle time after the first draw.
  GtkWidget* notebook = nullptr;
  std::vector<GtkWidget*> unbuilt_pages;  // per notebook page: its empty child, until filled
  gulong first_draw_handler = 0;          // until the first draw has queued page_builder
  guint page_builder = 0;                 // the idle source filling the remaining pages
  GtkWidget* install_font_button = nullptr;
};

extern WindowState window;
