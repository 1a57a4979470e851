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

// Whether a page holds settings that only the tuned Nemo reads; the stock Nemo shows the Sidebar
// page's through fennick's extension, as that page says.
bool read_by_the_tuned_nemo_only(const SettingsPage& page) {
  return page.id == Page::Panes;
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
             wrapped_label("Without the tuned Nemo, these rules reach the stock Nemo live through "
                           "fennick's extension (Sidebar page), or through GTK's own user "
                           "stylesheet (~/.config/gtk-3.0/gtk.css), scoped to Nemo's windows, "
                           "when Nemo starts.",
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
      window.install_font_button = install;
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
      attach(grid, heading("The stock Nemo", 14), 0, row + 3, 2);
      attach(
          grid,
          wrapped_label("With fennick's extension (it needs Debian's nemo-python), the stock "
                        "Nemo follows these settings live: a bar above the files with the "
                        "folder's size and counts, the space of its mount and the read-only "
                        "cue, the path bar, and the \"Fennick\xE2\x80\xA6\" and \"Restart Nemo to "
                        "apply\" menu entries. The extra rows in the places sidebar show only in "
                        "the tuned Nemo.",
                        70),
          0, row + 4, 2);
      attach(
          grid,
          button_row(
              {action_button("Use in the stock Nemo", G_CALLBACK(on_extension_clicked), 1),
               action_button("Remove from the stock Nemo", G_CALLBACK(on_extension_clicked), 2)}),
          0, row + 5, 2);
      return row + 6;
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
  if (!window.status_label) return;
  gtk.gtk_label_set_text(as<GtkLabel>(window.status_label), text.c_str());
  // A long message is cut short on its line, whole in the tooltip: the window keeps its size.
  gtk.gtk_widget_set_tooltip_text(window.status_label, text.c_str());
  // The undo belongs to the message that offers it.
  if (window.undo_button) gtk.gtk_widget_set_visible(window.undo_button, FALSE);
  window.undo_offered = false;
}

namespace {

// Fills the scrolled window that holds the page in the notebook.
void fill_settings_page(GtkWidget* scrolled, const SettingsPage& page) {
  const std::string_view title = page.title;
  GtkWidget* grid = gtk.gtk_grid_new();
  gtk.gtk_grid_set_row_spacing(as<GtkGrid>(grid), 8);
  gtk.gtk_grid_set_column_spacing(as<GtkGrid>(grid), 14);
  gtk.gtk_container_set_border_width(as<GtkContainer>(grid), 14);
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
  add_page_extras(grid, page.extras, row);
  gtk.gtk_container_add(as<GtkContainer>(scrolled), grid);
}

// Fills the Backup tab's grid, which is its page in the notebook.
void fill_backup_page(GtkWidget* grid) {
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
         wrapped_label("The tuned Nemo follows every change live; the stock Nemo follows path bar "
                       "and sidebar changes live with fennick's extension, and shows the path bar "
                       "of gtk.css alone after a restart. The prompt changes in new terminals. A "
                       "restart is needed after switching between the tuned and the system "
                       "Nemo.\nIn the tuned Nemo, and in the stock Nemo with the extension, you "
                       "can also open this window from the menu (Fennick\xE2\x80\xA6) and restart "
                       "from there (Restart Nemo to apply).",
                       80),
         0, 6, 3);
}

// The empty child a page has in the notebook until it is filled: the scrolled window of a
// catalogue page, the grid of the Backup tab.
GtkWidget* empty_page(int number) {
  if (number == page_count()) {
    GtkWidget* grid = gtk.gtk_grid_new();
    gtk.gtk_grid_set_row_spacing(as<GtkGrid>(grid), 10);
    gtk.gtk_grid_set_column_spacing(as<GtkGrid>(grid), 14);
    gtk.gtk_container_set_border_width(as<GtkContainer>(grid), 14);
    return grid;
  }
  GtkWidget* scrolled = gtk.gtk_scrolled_window_new(nullptr, nullptr);
  gtk.gtk_scrolled_window_set_policy(as<GtkScrolledWindow>(scrolled), GTK_POLICY_NEVER,
                                     GTK_POLICY_AUTOMATIC);
  return scrolled;
}

// Shows the stored values in a page just filled, and what its previews and font line say.
void refresh_page(int number) {
  if (number == page_count()) return;
  const SettingsPage& page = page_at(number);
  for (int i = 0; i < setting_count(); ++i) {
    if (setting_at(i).page == page.title) refresh_control(i);
  }
  // The font detection runs a child process; only the Terminal page shows what it finds.
  if (page.extras == PageExtras::PromptPreviewAndFont) {
    refresh_font_status();
  } else {
    refresh_previews();
  }
}

bool every_page_built() {
  for (GtkWidget* unbuilt : window.unbuilt_pages) {
    if (unbuilt) return false;
  }
  return true;
}

// One page per idle call, below everything else the main loop has to do.
gboolean on_build_next_page(gpointer) {
  for (size_t number = 0; number < window.unbuilt_pages.size(); ++number) {
    if (window.unbuilt_pages[number]) {
      build_page(static_cast<int>(number));
      break;
    }
  }
  if (!every_page_built()) return TRUE;
  window.page_builder = 0;
  return FALSE;
}

gboolean on_first_draw(GtkWidget*, cairo_t*, gpointer) {
  gtk.g_signal_handler_disconnect(window.main_window, window.first_draw_handler);
  window.first_draw_handler = 0;
  if (!every_page_built() && !window.page_builder) {
    window.page_builder = gtk.g_idle_add_full(G_PRIORITY_LOW, on_build_next_page, nullptr, nullptr);
  }
  return FALSE;
}

// A message in the status line belongs to the action on the page it was shown for.
void on_switch_page(GtkNotebook*, GtkWidget*, guint number, gpointer) {
  if (!window.notebook) return;
  build_page(static_cast<int>(number));
  show_status(resting_status());
}

// Before the window's widgets go: nothing is built into them any more.
void on_window_destroyed(GtkWidget*, gpointer) {
  window.notebook = nullptr;
  if (window.page_builder) gtk.g_source_remove(window.page_builder);
  window.page_builder = 0;
}

}  // namespace

std::string resting_status() {
  return "Settings: " + settings_path();
}

bool page_built(int number) {
  return number >= 0 && static_cast<size_t>(number) < window.unbuilt_pages.size() &&
         !window.unbuilt_pages[static_cast<size_t>(number)];
}

void build_page(int number) {
  if (number < 0 || static_cast<size_t>(number) >= window.unbuilt_pages.size()) return;
  GtkWidget* child = window.unbuilt_pages[static_cast<size_t>(number)];
  if (!child) return;
  window.unbuilt_pages[static_cast<size_t>(number)] = nullptr;
  if (number == page_count()) {
    fill_backup_page(child);
  } else {
    fill_settings_page(child, page_at(number));
  }
  refresh_page(number);
  gtk.gtk_widget_show_all(child);
}

void build_main_window(const std::string& title) {
  window = WindowState();
  window.setting_controls.assign(static_cast<size_t>(setting_count()), nullptr);
  window.state_labels.assign(static_cast<size_t>(setting_count()), nullptr);

  window.main_window = gtk.gtk_window_new(GTK_WINDOW_TOPLEVEL);
  GtkWindow* main_window = as<GtkWindow>(window.main_window);
  gtk.gtk_window_set_title(main_window, title.c_str());
  // Every page fits this size, so that the window keeps it when a later page is filled.
  gtk.gtk_window_set_default_size(main_window, 820, 780);
  gtk.gtk_window_set_position(main_window, GTK_WIN_POS_CENTER);
  gtk.gtk_window_set_icon_name(main_window, "preferences-system");
  connect_signal(window.main_window, "destroy", G_CALLBACK(on_window_destroyed), nullptr);
  connect_signal(window.main_window, "destroy", G_CALLBACK(gtk.gtk_main_quit), nullptr);

  GtkWidget* box = gtk.gtk_box_new(GTK_ORIENTATION_VERTICAL, 6);
  gtk.gtk_container_add(as<GtkContainer>(window.main_window), box);
  window.notebook = gtk.gtk_notebook_new();
  gtk.gtk_widget_set_vexpand(window.notebook, TRUE);
  gtk.gtk_box_pack_start(as<GtkBox>(box), window.notebook, TRUE, TRUE, 0);

  window.page_stylesheet = gtk.gtk_css_provider_new();
  gtk.gtk_style_context_add_provider_for_screen(
      gtk.gdk_screen_get_default(), reinterpret_cast<GtkStyleProvider*>(window.page_stylesheet),
      GTK_STYLE_PROVIDER_PRIORITY_USER);

  // Every tab from the start, so that the tab strip never changes; the pages are empty until
  // they are filled.
  for (int number = 0; number <= page_count(); ++number) {
    GtkWidget* child = empty_page(number);
    const std::string tab(number < page_count() ? page_at(number).title : "Backup");
    gtk.gtk_notebook_append_page(as<GtkNotebook>(window.notebook), child,
                                 gtk.gtk_label_new(tab.c_str()));
    window.unbuilt_pages.push_back(child);
  }

  GtkWidget* status_row = gtk.gtk_box_new(GTK_ORIENTATION_HORIZONTAL, 8);
  window.status_label = make_label(resting_status(), false);
  gtk.gtk_label_set_ellipsize(as<GtkLabel>(window.status_label), PANGO_ELLIPSIZE_END);
  gtk.gtk_label_set_max_width_chars(as<GtkLabel>(window.status_label), 60);
  gtk.gtk_widget_set_hexpand(window.status_label, TRUE);
  gtk.gtk_box_pack_start(as<GtkBox>(status_row), window.status_label, TRUE, TRUE, 0);
  window.undo_button = action_button("Undo", G_CALLBACK(on_undo_reset_clicked));
  gtk.gtk_widget_set_no_show_all(window.undo_button, TRUE);
  gtk.gtk_box_pack_start(as<GtkBox>(status_row), window.undo_button, FALSE, FALSE, 0);
  gtk.gtk_widget_set_margin_bottom(status_row, 6);
  gtk.gtk_box_pack_start(as<GtkBox>(box), status_row, FALSE, FALSE, 10);
  show_status(resting_status());

  build_page(0);
  connect_signal(window.notebook, "switch-page", G_CALLBACK(on_switch_page), nullptr);
  window.first_draw_handler = gtk.g_signal_connect_data(
      window.main_window, "draw", G_CALLBACK(on_first_draw), nullptr, nullptr, G_CONNECT_AFTER);
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
