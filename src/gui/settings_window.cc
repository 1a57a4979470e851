#include "gui/settings_window.h"

#include <stdexcept>
#include <vector>

#include "generate/apply.h"
#include "gui/preview_markup.h"
#include "gui/previews.h"
#include "gui/setting_controls.h"
#include "gui/settings_sync.h"
#include "gui/window_actions.h"
#include "gui/window_state.h"
#include "integrate/text_file.h"
#include "settings/catalogue.h"
#include "settings/failure.h"
#include "settings/locations.h"

WindowState window;

namespace {

const char kInstallFontTooltip[] =
    "Downloads 4 font files (about 10 MB) from github.com/romkatv/powerlevel10k-media/raw/master "
    "into ~/.local/share/fonts/fennick";
const char kUseFontTooltip[] =
    "Sets the default terminal profile font; \"Restore\" puts the old one back";

// Floating-point exceptions stay masked for the whole run, whatever a library loaded later does.
void mask_floating_point_exceptions() {
#if defined(__x86_64__) || defined(__i386__)
  unsigned short x87;
  __asm__ volatile("fnstcw %0" : "=m"(x87));
  x87 |= 0x3F;
  __asm__ volatile("fldcw %0" : : "m"(x87));
  unsigned int sse;
  __asm__ volatile("stmxcsr %0" : "=m"(sse));
  sse |= 0x1F80;
  __asm__ volatile("ldmxcsr %0" : : "m"(sse));
#endif
}

void attach(GtkWidget* grid, GtkWidget* child, int column, int row, int width = 1) {
  gtk.gtk_grid_attach(as<GtkGrid>(grid), child, column, row, width, 1);
}

GtkWidget* heading(const char* text, int top_margin) {
  GtkWidget* label = make_label(text, true);
  gtk.gtk_widget_set_margin_top(label, top_margin);
  return label;
}

GtkWidget* button_row(std::initializer_list<GtkWidget*> buttons) {
  GtkWidget* box = gtk.gtk_box_new(GTK_ORIENTATION_HORIZONTAL, 8);
  for (GtkWidget* button : buttons)
    gtk.gtk_box_pack_start(as<GtkBox>(box), button, FALSE, FALSE, 0);
  return box;
}

GtkWidget* wrapped_label(const std::string& text, int max_width) {
  GtkWidget* label = make_label(text, false);
  gtk.gtk_label_set_line_wrap(as<GtkLabel>(label), TRUE);
  if (max_width > 0) gtk.gtk_label_set_max_width_chars(as<GtkLabel>(label), max_width);
  return label;
}

// Whether a page holds settings that only the tuned Nemo reads.
bool read_by_the_tuned_nemo_only(const SettingsPage* page) {
  return page && (page->id == Page::Panes || page->id == Page::Sidebar);
}

// Whether a tuned Nemo is in its place; an unusable FENNICK_PREFIX counts as none here (the
// default-switch button reports it).
bool tuned_nemo_installed() {
  try {
    return path_exists(tuned_nemo_path());
  } catch (const std::runtime_error&) {
    return false;
  }
}

// The blocks some pages carry after their settings; returns the next free row.
int add_page_extras(GtkWidget* grid, PageExtras extras, int row) {
  switch (extras) {
    case PageExtras::None:
      return row;
    case PageExtras::PathBarPreview:
      attach(grid, heading("Preview (this is the real path-bar style)", 14), 0, row, 2);
      attach(grid, create_path_bar_preview(), 0, row + 1, 2);
      attach(grid, heading("The stock Nemo", 14), 0, row + 2, 2);
      attach(grid,
             wrapped_label("Without the tuned Nemo, these rules reach the stock Nemo through "
                           "GTK's own user stylesheet (~/.config/gtk-3.0/gtk.css), scoped to "
                           "Nemo's windows.",
                           70),
             0, row + 3, 2);
      attach(grid,
             button_row(
                 {action_button("Use in the stock Nemo", G_CALLBACK(on_pathbar_clicked), 1),
                  action_button("Remove from the stock Nemo", G_CALLBACK(on_pathbar_clicked), 2)}),
             0, row + 4, 2);
      return row + 5;
    case PageExtras::PromptPreviewAndFont: {
      attach(grid, heading("Preview", 14), 0, row, 2);
      window.prompt_preview = gtk.gtk_label_new("");
      gtk.gtk_label_set_xalign(as<GtkLabel>(window.prompt_preview), 0);
      attach(grid, window.prompt_preview, 0, row + 1, 2);
      attach(grid,
             button_row({action_button("Add the hook to ~/.bashrc and ~/.zshrc",
                                       G_CALLBACK(on_hook_clicked), 1),
                         action_button("Remove the hook", G_CALLBACK(on_hook_clicked), 2)}),
             0, row + 2, 2);
      attach(grid, heading("Font for the prompt blocks", 14), 0, row + 3, 2);
      window.font_status = wrapped_label("", 70);
      attach(grid, window.font_status, 0, row + 4, 2);
      GtkWidget* install = action_button("Install MesloLGS NF font\xE2\x80\xA6",
                                         G_CALLBACK(on_install_font_clicked));
      gtk.gtk_widget_set_tooltip_text(install, kInstallFontTooltip);
      GtkWidget* use =
          action_button("Use it in my terminal", G_CALLBACK(on_terminal_font_clicked), 1);
      gtk.gtk_widget_set_tooltip_text(use, kUseFontTooltip);
      attach(grid,
             button_row(
                 {install, use,
                  action_button("Restore terminal font", G_CALLBACK(on_terminal_font_clicked), 2)}),
             0, row + 5, 2);
      return row + 6;
    }
    case PageExtras::ReadonlyPresets:
      attach(grid, heading("Colour-blind-safe presets for the read-only colour", 14), 0, row, 2);
      attach(grid, create_palette_picker(), 0, row + 1, 2);
      attach(
          grid,
          make_label("The read-only cue is colour + italic (and optionally underline or a lock), "
                     "so it still shows without telling colours apart.",
                     false),
          0, row + 2, 2);
      return row + 3;
  }
  return row;
}

}  // namespace

GtkWidget* make_label(const std::string& text, bool bold) {
  GtkWidget* label = gtk.gtk_label_new(nullptr);
  if (bold) {
    gtk.gtk_label_set_markup(as<GtkLabel>(label), ("<b>" + escape_markup(text) + "</b>").c_str());
  } else {
    gtk.gtk_label_set_text(as<GtkLabel>(label), text.c_str());
  }
  gtk.gtk_label_set_xalign(as<GtkLabel>(label), 0);
  return label;
}

void show_status(const std::string& text) {
  if (window.status_label) gtk.gtk_label_set_text(as<GtkLabel>(window.status_label), text.c_str());
}

GtkWidget* build_settings_page(const std::string& title) {
  GtkWidget* grid = gtk.gtk_grid_new();
  gtk.gtk_grid_set_row_spacing(as<GtkGrid>(grid), 8);
  gtk.gtk_grid_set_column_spacing(as<GtkGrid>(grid), 14);
  gtk.gtk_container_set_border_width(as<GtkContainer>(grid), 14);
  const SettingsPage* page = find_page(title);
  int row = 0;
  if (read_by_the_tuned_nemo_only(page) && !tuned_nemo_installed()) {
    attach(grid,
           wrapped_label("These settings take effect only in the tuned Nemo, which is built "
                         "separately and is not installed here; the stock Nemo ignores them.",
                         70),
           0, row++, 2);
  }
  std::string_view last_group;
  for (int i = 0; i < setting_count(); ++i) {
    const Setting& setting = setting_at(i);
    if (setting.page != title) continue;
    if (setting.group != last_group) {
      attach(grid, heading(std::string(setting.group).c_str(), 8), 0, row++, 2);
      last_group = setting.group;
    }
    attach(grid, create_caption(i), 0, row);
    GtkWidget* control = create_setting_control(i);
    gtk.gtk_widget_set_halign(control, GTK_ALIGN_START);
    attach(grid, control, 1, row++);
    if (!setting.hint.empty()) {
      GtkWidget* hint = gtk.gtk_label_new(nullptr);
      const std::string markup = "<span size=\"small\" alpha=\"70%\">" +
                                 escape_markup(std::string(setting.hint)) + "</span>";
      gtk.gtk_label_set_markup(as<GtkLabel>(hint), markup.c_str());
      gtk.gtk_label_set_xalign(as<GtkLabel>(hint), 0);
      gtk.gtk_label_set_line_wrap(as<GtkLabel>(hint), TRUE);
      gtk.gtk_label_set_max_width_chars(as<GtkLabel>(hint), 46);
      attach(grid, hint, 1, row++);
    }
  }
  if (page) add_page_extras(grid, page->extras, row);

  GtkWidget* scrolled = gtk.gtk_scrolled_window_new(nullptr, nullptr);
  gtk.gtk_scrolled_window_set_policy(as<GtkScrolledWindow>(scrolled), GTK_POLICY_NEVER,
                                     GTK_POLICY_AUTOMATIC);
  gtk.gtk_container_add(as<GtkContainer>(scrolled), grid);
  return scrolled;
}

GtkWidget* build_backup_page() {
  GtkWidget* grid = gtk.gtk_grid_new();
  gtk.gtk_grid_set_row_spacing(as<GtkGrid>(grid), 10);
  gtk.gtk_grid_set_column_spacing(as<GtkGrid>(grid), 14);
  gtk.gtk_container_set_border_width(as<GtkContainer>(grid), 14);

  attach(grid, make_label("Save, restore and share your settings", true), 0, 0, 3);
  GtkWidget* where = make_label("All settings live in one file:\n" + settings_path(), false);
  gtk.gtk_label_set_selectable(as<GtkLabel>(where), TRUE);
  attach(grid, where, 0, 1, 3);
  attach(grid, action_button("Export\xE2\x80\xA6", G_CALLBACK(on_export_clicked)), 0, 2);
  attach(grid, action_button("Import\xE2\x80\xA6", G_CALLBACK(on_import_clicked)), 1, 2);
  attach(grid, action_button("Reset everything", G_CALLBACK(on_reset_everything_clicked)), 2, 2);
  attach(grid,
         wrapped_label("Import replaces every setting with the file's, after saving the current "
                       "ones as fennick.ini.bak.\nThe same from a script:  fennick export FILE   / "
                       "  fennick import FILE",
                       0),
         0, 3, 3);
  attach(grid, make_label("Nemo itself", true), 0, 4, 3);
  GtkWidget* restart = action_button("Restart Nemo", G_CALLBACK(on_restart_clicked));
  gtk.gtk_widget_set_tooltip_text(restart, "Closes every Nemo window and starts Nemo again");
  attach(grid, restart, 0, 5);
  attach(grid,
         action_button("Make the tuned Nemo the default", G_CALLBACK(on_default_switch_clicked), 1),
         1, 5);
  attach(grid, action_button("Back to the system Nemo", G_CALLBACK(on_default_switch_clicked), 2),
         2, 5);
  attach(grid,
         wrapped_label("Path bar, prompt, sidebar and shortcut changes apply live. A restart is "
                       "needed only after switching between the tuned and the system Nemo.\nInside "
                       "the tuned Nemo you can also open this window from the Edit menu "
                       "(Fennick\xE2\x80\xA6) and restart from there (Restart Nemo to apply).",
                       80),
         0, 6, 3);
  return grid;
}

void build_main_window(const std::string& title) {
  window = WindowState();
  window.setting_controls.assign(static_cast<size_t>(setting_count()), nullptr);
  window.state_labels.assign(static_cast<size_t>(setting_count()), nullptr);

  window.main_window = gtk.gtk_window_new(GTK_WINDOW_TOPLEVEL);
  GtkWindow* main_window = as<GtkWindow>(window.main_window);
  gtk.gtk_window_set_title(main_window, title.c_str());
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

  for (int i = 0; i < page_count(); ++i) {
    const std::string page_title(page_at(i).title);
    gtk.gtk_notebook_append_page(as<GtkNotebook>(notebook), build_settings_page(page_title),
                                 gtk.gtk_label_new(page_title.c_str()));
  }
  gtk.gtk_notebook_append_page(as<GtkNotebook>(notebook), build_backup_page(),
                               gtk.gtk_label_new("Backup"));

  window.status_label = make_label("Settings: " + settings_path(), false);
  gtk.gtk_widget_set_margin_bottom(window.status_label, 6);
  gtk.gtk_box_pack_start(as<GtkBox>(box), window.status_label, FALSE, FALSE, 10);
}

bool open_settings_window() {
  mask_floating_point_exceptions();
  if (!load_gtk()) return false;
  int no_arguments = 0;
  if (!gtk.gtk_init_check(&no_arguments, nullptr)) {
    const std::string display = env_text("DISPLAY");
    fail("cannot open a display for the settings window" +
         (display.empty() ? std::string(" (DISPLAY is not set)") : " (DISPLAY=" + display + ")") +
         "; the other commands work without one: fennick help");
  }
  gtk.g_set_prgname("fennick");
  build_main_window("Fennick");
  refresh_font_status();
  refresh_all_controls();
  follow_settings_file();
  return true;
}

void finish_settings_window() {
  if (window.save_pending) {
    window.save_pending = false;
    save_window_settings();
  }
}

int run_settings_window() {
  if (!open_settings_window()) return 3;
  gtk.gtk_widget_show_all(window.main_window);
  gtk.gtk_main();
  finish_settings_window();
  return 0;
}
