/* The yardsticks of gui_startup.sh: minimal GTK 3 programs, linked against GTK as usual.
 *
 *   gui_floor bare       a top-level window of the same default size, nothing in it ("Bare window")
 *   gui_floor notebook   the same widgets as fennick's settings window, built with plain GTK calls
 *                        and nothing else ("Floor notebook")
 *
 * The notebook has a tab per catalogue page, in the catalogue's order, and a "Backup" tab.
 * Every catalogue row gets what the settings window gives it: a caption label, its control (check
 * button, spin button, entry, combo box with its words, colour or font button in a box with a
 * value label and a "reset" button), the hint as the control's tooltip and as a small markup
 * label under it, and a bold group heading where the group changes; every control gets a change
 * handler and its default value. Everything here comes from the catalogue, so that it cannot drift
 * from the window: the few widgets the window adds by hand after a page's settings (previews,
 * action buttons, the palette picker) and the Backup tab's contents are left out, which makes the
 * floor a little lower than the window's true work.
 * What it also leaves out is fennick's own work: the settings file, opening GTK at run time, the
 * font detection, the generated previews and stylesheet, the window icon.
 * With BENCH_PHASES_FILE set it notes the times of its start-up phases there (phase_clock.h).
 * Two of fennick's extras can be added to weigh them: FLOOR_ICON=NAME sets the window's icon
 * name, FLOOR_CSS=TEXT adds a screen-wide CSS provider at user priority loaded with TEXT.
 */
#include <gtk/gtk.h>
#include <stdlib.h>
#include <string.h>

#include "phase_clock.h"

struct row {
  const char* page;
  const char* group;
  char kind; /* b bool, i int, t text, c colour, f font, o choice, k keys */
  const char* label;
  const char* hint;
  const char* choices;
  int min, max;
  const char* value;
};

struct page {
  const char* title;
};

/* static const struct row rows[] and static const struct page pages[] */
#include "catalogue_layout.inc"
static const int row_count = (int)(sizeof rows / sizeof rows[0]);
static const int page_count = (int)(sizeof pages / sizeof pages[0]);

static void on_change(GtkWidget* widget, gpointer data) {
  (void)widget;
  (void)data;
}

static GtkWidget* label(const char* text, int bold) {
  GtkWidget* widget = gtk_label_new(NULL);
  if (bold) {
    char* markup = g_markup_printf_escaped("<b>%s</b>", text);
    gtk_label_set_markup(GTK_LABEL(widget), markup);
    g_free(markup);
  } else {
    gtk_label_set_text(GTK_LABEL(widget), text);
  }
  gtk_label_set_xalign(GTK_LABEL(widget), 0);
  return widget;
}

static GtkWidget* button(const char* text) {
  GtkWidget* widget = gtk_button_new_with_label(text);
  g_signal_connect(widget, "clicked", G_CALLBACK(on_change), NULL);
  return widget;
}

static GtkWidget* value_box(GtkWidget* chooser, const char* signal, const char* value) {
  GtkWidget* box = gtk_box_new(GTK_ORIENTATION_HORIZONTAL, 6);
  GtkWidget* state = gtk_label_new(value[0] ? value : "theme");
  gtk_label_set_xalign(GTK_LABEL(state), 0);
  GtkWidget* reset = button("reset");
  gtk_box_pack_start(GTK_BOX(box), chooser, FALSE, FALSE, 0);
  gtk_box_pack_start(GTK_BOX(box), state, TRUE, TRUE, 0);
  gtk_box_pack_start(GTK_BOX(box), reset, FALSE, FALSE, 0);
  g_signal_connect(chooser, signal, G_CALLBACK(on_change), NULL);
  return box;
}

static GtkWidget* control(const struct row* row) {
  GtkWidget* widget = NULL;
  switch (row->kind) {
    case 'b':
      widget = gtk_check_button_new();
      gtk_toggle_button_set_active(GTK_TOGGLE_BUTTON(widget), strcmp(row->value, "true") == 0);
      g_signal_connect(widget, "toggled", G_CALLBACK(on_change), NULL);
      break;
    case 'i':
      widget = gtk_spin_button_new_with_range(row->min, row->max, 1);
      gtk_spin_button_set_value(GTK_SPIN_BUTTON(widget), g_ascii_strtod(row->value, NULL));
      g_signal_connect(widget, "value-changed", G_CALLBACK(on_change), NULL);
      break;
    case 't':
    case 'k':
      widget = gtk_entry_new();
      gtk_entry_set_width_chars(GTK_ENTRY(widget), row->kind == 't' ? 38 : 24);
      if (row->kind == 'k') gtk_editable_set_editable(GTK_EDITABLE(widget), FALSE);
      gtk_entry_set_text(GTK_ENTRY(widget), row->value);
      g_signal_connect(widget, row->kind == 't' ? "changed" : "key-press-event",
                       G_CALLBACK(on_change), NULL);
      break;
    case 'c': {
      GtkWidget* chooser = gtk_color_button_new();
      GdkRGBA rgba = {0.5, 0.5, 0.5, 1.0};
      if (row->value[0]) gdk_rgba_parse(&rgba, row->value);
      gtk_color_chooser_set_rgba(GTK_COLOR_CHOOSER(chooser), &rgba);
      widget = value_box(chooser, "color-set", row->value);
      break;
    }
    case 'f': {
      GtkWidget* chooser = gtk_font_button_new();
      gtk_font_chooser_set_font(GTK_FONT_CHOOSER(chooser), row->value[0] ? row->value : "Sans 10");
      widget = value_box(chooser, "font-set", row->value);
      break;
    }
    case 'o': {
      widget = gtk_combo_box_text_new();
      gchar** words = g_strsplit(row->choices, ",", -1);
      for (gchar** word = words; *word; ++word)
        gtk_combo_box_text_append(GTK_COMBO_BOX_TEXT(widget), *word, *word);
      g_strfreev(words);
      gtk_combo_box_set_active_id(GTK_COMBO_BOX(widget), row->value);
      g_signal_connect(widget, "changed", G_CALLBACK(on_change), NULL);
      break;
    }
  }
  if (row->hint[0]) gtk_widget_set_tooltip_text(widget, row->hint);
  return widget;
}

static GtkWidget* heading(const char* text, int top) {
  GtkWidget* widget = label(text, 1);
  gtk_widget_set_margin_top(widget, top);
  return widget;
}

static GtkWidget* settings_page(const struct page* page) {
  GtkWidget* grid = gtk_grid_new();
  gtk_grid_set_row_spacing(GTK_GRID(grid), 8);
  gtk_grid_set_column_spacing(GTK_GRID(grid), 14);
  gtk_container_set_border_width(GTK_CONTAINER(grid), 14);
  int at = 0;
  const char* group = "";
  for (int i = 0; i < row_count; ++i) {
    const struct row* row = &rows[i];
    if (strcmp(row->page, page->title) != 0) continue;
    if (strcmp(row->group, group) != 0) {
      gtk_grid_attach(GTK_GRID(grid), heading(row->group, 8), 0, at++, 2, 1);
      group = row->group;
    }
    GtkWidget* caption = label(row->label, 0);
    gtk_widget_set_hexpand(caption, FALSE);
    gtk_grid_attach(GTK_GRID(grid), caption, 0, at, 1, 1);
    GtkWidget* widget = control(row);
    gtk_widget_set_halign(widget, GTK_ALIGN_START);
    gtk_grid_attach(GTK_GRID(grid), widget, 1, at++, 1, 1);
    if (row->hint[0]) {
      GtkWidget* hint = gtk_label_new(NULL);
      char* markup =
          g_markup_printf_escaped("<span size=\"small\" alpha=\"70%%\">%s</span>", row->hint);
      gtk_label_set_markup(GTK_LABEL(hint), markup);
      g_free(markup);
      gtk_label_set_xalign(GTK_LABEL(hint), 0);
      gtk_label_set_line_wrap(GTK_LABEL(hint), TRUE);
      gtk_label_set_max_width_chars(GTK_LABEL(hint), 46);
      gtk_grid_attach(GTK_GRID(grid), hint, 1, at++, 1, 1);
    }
  }
  GtkWidget* scrolled = gtk_scrolled_window_new(NULL, NULL);
  gtk_scrolled_window_set_policy(GTK_SCROLLED_WINDOW(scrolled), GTK_POLICY_NEVER,
                                 GTK_POLICY_AUTOMATIC);
  gtk_container_add(GTK_CONTAINER(scrolled), grid);
  return scrolled;
}

static void on_map_event(GtkWidget* widget, GdkEvent* event, gpointer data) {
  (void)widget;
  (void)event;
  (void)data;
  phase_mark("mapped");
}

static void on_draw(GtkWidget* widget, cairo_t* cairo, gpointer data) {
  (void)cairo;
  (void)data;
  phase_mark("drawn");
  g_signal_handlers_disconnect_by_func(widget, G_CALLBACK(on_draw), NULL);
}

int main(int argc, char** argv) {
  phase_mark("main");
  const int bare = argc > 1 && strcmp(argv[1], "bare") == 0;
  gtk_init(NULL, NULL);
  phase_mark("gtk_init");
  GtkWidget* window = gtk_window_new(GTK_WINDOW_TOPLEVEL);
  gtk_window_set_title(GTK_WINDOW(window), bare ? "Bare window" : "Floor notebook");
  gtk_window_set_default_size(GTK_WINDOW(window), 820, 780);
  gtk_window_set_position(GTK_WINDOW(window), GTK_WIN_POS_CENTER);
  g_signal_connect(window, "destroy", G_CALLBACK(gtk_main_quit), NULL);
  if (getenv("FLOOR_ICON")) gtk_window_set_icon_name(GTK_WINDOW(window), getenv("FLOOR_ICON"));
  if (getenv("FLOOR_CSS")) {
    GtkCssProvider* provider = gtk_css_provider_new();
    gtk_style_context_add_provider_for_screen(
        gdk_screen_get_default(), GTK_STYLE_PROVIDER(provider), GTK_STYLE_PROVIDER_PRIORITY_USER);
    gtk_css_provider_load_from_data(provider, getenv("FLOOR_CSS"), -1, NULL);
  }
  if (!bare) {
    GtkWidget* box = gtk_box_new(GTK_ORIENTATION_VERTICAL, 6);
    gtk_container_add(GTK_CONTAINER(window), box);
    GtkWidget* notebook = gtk_notebook_new();
    gtk_widget_set_vexpand(notebook, TRUE);
    gtk_box_pack_start(GTK_BOX(box), notebook, TRUE, TRUE, 0);
    for (int k = 0; k < page_count; ++k)
      gtk_notebook_append_page(GTK_NOTEBOOK(notebook), settings_page(&pages[k]),
                               gtk_label_new(pages[k].title));
    gtk_notebook_append_page(GTK_NOTEBOOK(notebook), gtk_grid_new(), gtk_label_new("Backup"));
    GtkWidget* status = label("Settings: /tmp/settings.ini", 0);
    gtk_widget_set_margin_bottom(status, 6);
    gtk_box_pack_start(GTK_BOX(box), status, FALSE, FALSE, 10);
  }
  phase_mark("built");
  g_signal_connect(window, "map-event", G_CALLBACK(on_map_event), NULL);
  g_signal_connect_after(window, "draw", G_CALLBACK(on_draw), NULL);
  gtk_widget_show_all(window);
  phase_mark("shown");
  gtk_main();
  phase_write(bare ? "bare" : "floor");
  return 0;
}
