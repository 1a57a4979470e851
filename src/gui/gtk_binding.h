// GTK 3, opened at run time: the program links no GTK, so every command but the window works
// on a machine without it. The window reaches GTK, GDK, GObject, GLib, Pango and fontconfig only
// through `gtk`.
#pragma once

#include <fontconfig/fontconfig.h>
#include <gtk/gtk.h>
#include <pango/pangocairo.h>
#include <pango/pangofc-fontmap.h>

// Every entry point the window needs, in the order they are resolved (the first one missing is
// the one reported), with the library each comes from.
#define FENNICK_GTK_ENTRY_POINTS(X)                          \
  X(gtk_init_check, Gtk)                                     \
  X(gtk_main, Gtk)                                           \
  X(gtk_main_quit, Gtk)                                      \
  X(gtk_window_new, Gtk)                                     \
  X(gtk_window_set_title, Gtk)                               \
  X(gtk_window_set_default_size, Gtk)                        \
  X(gtk_window_set_position, Gtk)                            \
  X(gtk_window_set_icon_name, Gtk)                           \
  X(gtk_container_add, Gtk)                                  \
  X(gtk_container_set_border_width, Gtk)                     \
  X(gtk_widget_show_all, Gtk)                                \
  X(gtk_widget_set_sensitive, Gtk)                           \
  X(gtk_widget_set_halign, Gtk)                              \
  X(gtk_widget_set_hexpand, Gtk)                             \
  X(gtk_widget_set_vexpand, Gtk)                             \
  X(gtk_widget_set_margin_top, Gtk)                          \
  X(gtk_widget_set_margin_bottom, Gtk)                       \
  X(gtk_widget_set_tooltip_text, Gtk)                        \
  X(gtk_widget_get_style_context, Gtk)                       \
  X(gtk_style_context_add_class, Gtk)                        \
  X(gtk_style_context_add_provider_for_screen, Gtk)          \
  X(gtk_css_provider_new, Gtk)                               \
  X(gtk_css_provider_load_from_data, Gtk)                    \
  X(gdk_screen_get_default, Gdk)                             \
  X(gtk_box_new, Gtk)                                        \
  X(gtk_box_pack_start, Gtk)                                 \
  X(gtk_label_new, Gtk)                                      \
  X(gtk_label_set_markup, Gtk)                               \
  X(gtk_label_set_text, Gtk)                                 \
  X(gtk_label_set_line_wrap, Gtk)                            \
  X(gtk_label_set_xalign, Gtk)                               \
  X(gtk_label_set_selectable, Gtk)                           \
  X(gtk_label_set_max_width_chars, Gtk)                      \
  X(gtk_entry_new, Gtk)                                      \
  X(gtk_entry_set_text, Gtk)                                 \
  X(gtk_entry_get_text, Gtk)                                 \
  X(gtk_entry_set_width_chars, Gtk)                          \
  X(gtk_editable_set_editable, Gtk)                          \
  X(gtk_check_button_new, Gtk)                               \
  X(gtk_toggle_button_new_with_label, Gtk)                   \
  X(gtk_toggle_button_set_active, Gtk)                       \
  X(gtk_toggle_button_get_active, Gtk)                       \
  X(gtk_combo_box_text_new, Gtk)                             \
  X(gtk_combo_box_text_append, Gtk)                          \
  X(gtk_combo_box_set_active_id, Gtk)                        \
  X(gtk_combo_box_get_active_id, Gtk)                        \
  X(gtk_button_new_with_label, Gtk)                          \
  X(gtk_spin_button_new_with_range, Gtk)                     \
  X(gtk_spin_button_set_value, Gtk)                          \
  X(gtk_spin_button_get_value_as_int, Gtk)                   \
  X(gtk_color_button_new, Gtk)                               \
  X(gtk_color_chooser_set_rgba, Gtk)                         \
  X(gtk_color_chooser_get_rgba, Gtk)                         \
  X(gtk_font_button_new, Gtk)                                \
  X(gtk_font_chooser_set_font, Gtk)                          \
  X(gtk_font_chooser_get_font, Gtk)                          \
  X(gtk_notebook_new, Gtk)                                   \
  X(gtk_notebook_append_page, Gtk)                           \
  X(gtk_grid_new, Gtk)                                       \
  X(gtk_grid_attach, Gtk)                                    \
  X(gtk_grid_set_row_spacing, Gtk)                           \
  X(gtk_grid_set_column_spacing, Gtk)                        \
  X(gtk_scrolled_window_new, Gtk)                            \
  X(gtk_scrolled_window_set_policy, Gtk)                     \
  X(gtk_separator_new, Gtk)                                  \
  X(gtk_file_chooser_native_new, Gtk)                        \
  X(gtk_native_dialog_run, Gtk)                              \
  X(gtk_file_chooser_get_filename, Gtk)                      \
  X(gtk_file_chooser_set_current_name, Gtk)                  \
  X(gtk_file_chooser_set_do_overwrite_confirmation, Gtk)     \
  X(gtk_accelerator_name, Gtk)                               \
  X(gtk_accelerator_get_default_mod_mask, Gtk)               \
  X(g_signal_connect_data, GObject)                          \
  X(g_object_unref, GObject)                                 \
  X(g_timeout_add, GLib)                                     \
  X(g_free, GLib)                                            \
  X(g_set_prgname, GLib)                                     \
  /* the setting controls */                                 \
  X(g_object_set, GObject)                                   \
  X(g_object_ref_sink, GObject)                              \
  X(gtk_window_get_focus, Gtk)                               \
  X(gtk_widget_is_ancestor, Gtk)                             \
  X(gtk_widget_get_accessible, Gtk)                          \
  X(gtk_widget_set_size_request, Gtk)                        \
  X(gtk_widget_get_preferred_width, Gtk)                     \
  X(gtk_label_set_mnemonic_widget, Gtk)                      \
  X(gtk_container_forall, Gtk)                               \
  X(gtk_container_get_type, Gtk)                             \
  X(g_type_check_instance_is_a, GObject)                     \
  X(gtk_widget_get_ancestor, Gtk)                            \
  X(gtk_scrolled_window_get_type, Gtk)                       \
  X(gtk_propagate_event, Gtk)                                \
  /* the pages filled later, the font reload */              \
  X(g_idle_add_full, GLib)                                   \
  X(g_source_remove, GLib)                                   \
  X(g_signal_handler_disconnect, GObject)                    \
  X(gtk_button_set_label, Gtk)                               \
  X(FcConfigAppFontAddDir, Fontconfig)                       \
  X(pango_cairo_font_map_get_default, PangoCairo)            \
  X(pango_fc_font_map_config_changed, PangoFT2)              \
  /* the status line: a long message, the undo of a reset */ \
  X(gtk_label_set_ellipsize, Gtk)                            \
  X(gtk_widget_set_no_show_all, Gtk)                         \
  X(gtk_widget_set_visible, Gtk)

struct GtkEntryPoints {
#define FENNICK_GTK_SLOT(name, library) decltype(&::name) name;
  FENNICK_GTK_ENTRY_POINTS(FENNICK_GTK_SLOT)
#undef FENNICK_GTK_SLOT
};

// Filled once by load_gtk; never changed afterwards.
extern GtkEntryPoints gtk;

// Opens the libraries and fills every slot. False, after the load message on standard error,
// when a library cannot be opened; a symbol that does not resolve ends the program (status 3).
bool load_gtk();
// Looks a symbol up in a library and fills its slot; a missing one ends the program (status 3).
void resolve_gtk_symbol(void* handle, const char* name, void** slot);

// A widget seen as one of its GTK types (the cast macros of the headers would call into GObject).
template <class T>
T* as(GtkWidget* widget) {
  return reinterpret_cast<T*>(widget);
}
