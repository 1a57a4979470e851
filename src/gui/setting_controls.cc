#include "gui/setting_controls.h"

#include <stdexcept>
#include <vector>

#include "generate/apply.h"
#include "generate/prompt_pieces.h"
#include "gui/control_dependencies.h"
#include "gui/control_names.h"
#include "gui/control_text.h"
#include "gui/control_wheel.h"
#include "gui/previews.h"
#include "gui/settings_sync.h"
#include "gui/settings_window.h"
#include "gui/window_state.h"
#include "integrate/nemo_extension.h"
#include "settings/catalogue.h"
#include "settings/locations.h"
#include "settings/settings_file.h"
#include "settings/settings_lock.h"
#include "settings/value_access.h"

namespace {

const guint kSaveDelayMs = 350;
const guint kEscape = 0xFF1B;
const guint kTab = 0xFF09;
const guint kLeftTab = 0xFE20;  // Shift+Tab

bool is_modifier_key(guint key) {
  return (key >= 0xFFE1 && key <= 0xFFEE) || (key >= 0xFE01 && key <= 0xFE13);
}

// Tab and Shift+Tab alone move the focus on, out of a key field as out of any other control;
// with Ctrl, Alt or Super they are keys to capture like any other.
bool moves_focus(const GdkEventKey* event, GdkModifierType mask) {
  const guint modifiers = event->state & mask & ~GDK_SHIFT_MASK;
  return (event->keyval == kTab || event->keyval == kLeftTab) && modifiers == 0;
}

// The row's slot in one of the window's per-row lists, which grow to the catalogue's size.
GtkWidget*& row_slot(std::vector<GtkWidget*>& widgets, int index) {
  if (widgets.size() < static_cast<size_t>(setting_count())) {
    widgets.resize(static_cast<size_t>(setting_count()), nullptr);
  }
  return widgets[static_cast<size_t>(index)];
}

GtkWidget* row_widget(const std::vector<GtkWidget*>& widgets, int index) {
  return static_cast<size_t>(index) < widgets.size() ? widgets[static_cast<size_t>(index)]
                                                     : nullptr;
}

// The natural width of the widest caption of the catalogue, measured once, each on a shown label
// of its own (a hidden label measures nothing, and one out of any window keeps the size it
// measured first).
int caption_width() {
  static int width = -1;
  if (width >= 0) return width;
  width = 0;
  for (int i = 0; i < setting_count(); ++i) {
    GtkWidget* probe = gtk.gtk_label_new(std::string(setting_at(i).label).c_str());
    (gtk.g_object_ref_sink)(probe);  // (GLib defines a macro of the name)
    gtk.gtk_widget_show_all(probe);
    int minimum = 0, natural = 0;
    gtk.gtk_widget_get_preferred_width(probe, &minimum, &natural);
    if (natural > width) width = natural;
    gtk.g_object_unref(probe);
  }
  return width;
}

// Once both exist, the caption labels the control: a click on the caption focuses the control,
// and assistive technologies see the relation.
void link_caption(int index) {
  GtkWidget* caption = row_widget(window.captions, index);
  GtkWidget* control = row_widget(window.setting_controls, index);
  if (caption && control) gtk.gtk_label_set_mnemonic_widget(as<GtkLabel>(caption), control);
}

void refresh_sensitivity(int index) {
  GtkWidget* row = row_widget(window.control_rows, index);
  if (!row) return;
  const gboolean live = setting_takes_effect(index) ? TRUE : FALSE;
  gtk.gtk_widget_set_sensitive(row, live);
  if (GtkWidget* caption = row_widget(window.captions, index)) {
    gtk.gtk_widget_set_sensitive(caption, live);
  }
}

// A box with a colour or font button, the label showing the stored value and a reset button.
GtkWidget* value_box(int index, GtkWidget* button, const char* set_signal) {
  GtkWidget* box = gtk.gtk_box_new(GTK_ORIENTATION_HORIZONTAL, 6);
  GtkWidget* state = gtk.gtk_label_new("");
  gtk.gtk_label_set_xalign(as<GtkLabel>(state), 0);
  GtkWidget* reset = gtk.gtk_button_new_with_label("reset");
  const std::string reset_name = reset_button_name(index);
  gtk.gtk_widget_set_tooltip_text(reset, reset_name.c_str());
  name_for_assistive_technologies(reset, reset_name, "");
  gtk.gtk_box_pack_start(as<GtkBox>(box), button, FALSE, FALSE, 0);
  gtk.gtk_box_pack_start(as<GtkBox>(box), state, TRUE, TRUE, 0);
  gtk.gtk_box_pack_start(as<GtkBox>(box), reset, FALSE, FALSE, 0);
  row_slot(window.setting_controls, index) = button;
  row_slot(window.state_labels, index) = state;
  connect_signal(button, set_signal, G_CALLBACK(on_setting_changed), row_data(index));
  connect_signal(reset, "clicked", G_CALLBACK(on_setting_reset), row_data(index));
  return box;
}

void show_state(int index, const std::string& text) {
  gtk.gtk_label_set_text(as<GtkLabel>(window.state_labels[static_cast<size_t>(index)]),
                         text.c_str());
}

// The value a control holds now; false when it holds none (no font, no active item).
bool read_control(int index, GtkWidget* control, std::string& value) {
  switch (setting_at(index).kind) {
    case SettingKind::Bool:
      value = gtk.gtk_toggle_button_get_active(as<GtkToggleButton>(control)) ? "true" : "false";
      return true;
    case SettingKind::Int:
      value = std::to_string(gtk.gtk_spin_button_get_value_as_int(as<GtkSpinButton>(control)));
      return true;
    case SettingKind::Text:
    case SettingKind::Keys:
      value = gtk.gtk_entry_get_text(as<GtkEntry>(control));
      return true;
    case SettingKind::Colour: {
      GdkRGBA rgba;
      gtk.gtk_color_chooser_get_rgba(as<GtkColorChooser>(control), &rgba);
      value = colour_text(rgba.red, rgba.green, rgba.blue);
      return true;
    }
    case SettingKind::Font: {
      gchar* font = gtk.gtk_font_chooser_get_font(as<GtkFontChooser>(control));
      if (!font) return false;
      value = font;
      gtk.g_free(font);
      return true;
    }
    case SettingKind::Choice: {
      const gchar* id = gtk.gtk_combo_box_get_active_id(as<GtkComboBox>(control));
      if (!id) return false;
      value = id;
      return true;
    }
  }
  return false;
}

}  // namespace

void connect_signal(gpointer instance, const char* signal, GCallback handler, gpointer data) {
  gtk.g_signal_connect_data(instance, signal, handler, data, nullptr,
                            static_cast<GConnectFlags>(0));
}

GtkWidget* create_caption(int index) {
  GtkWidget* caption = gtk.gtk_label_new(std::string(setting_at(index).label).c_str());
  gtk.gtk_label_set_xalign(as<GtkLabel>(caption), 0);
  gtk.gtk_widget_set_hexpand(caption, FALSE);
  gtk.gtk_widget_set_size_request(caption, caption_width(), -1);
  row_slot(window.captions, index) = caption;
  link_caption(index);
  return caption;
}

GtkWidget* create_setting_control(int index) {
  const Setting& row = setting_at(index);
  GtkWidget* control = nullptr;
  GtkWidget* widget = nullptr;
  switch (row.kind) {
    case SettingKind::Bool:
      control = gtk.gtk_check_button_new();
      connect_signal(control, "toggled", G_CALLBACK(on_setting_changed), row_data(index));
      break;
    case SettingKind::Int:
      control = gtk.gtk_spin_button_new_with_range(row.min, row.max, 1);
      leave_wheel_to_page_until_focused(control);
      connect_signal(control, "value-changed", G_CALLBACK(on_setting_changed), row_data(index));
      break;
    case SettingKind::Text:
      control = gtk.gtk_entry_new();
      gtk.gtk_entry_set_width_chars(as<GtkEntry>(control), 38);
      connect_signal(control, "changed", G_CALLBACK(on_setting_changed), row_data(index));
      break;
    case SettingKind::Colour:
      widget = value_box(index, gtk.gtk_color_button_new(), "color-set");
      break;
    case SettingKind::Font:
      widget = value_box(index, gtk.gtk_font_button_new(), "font-set");
      break;
    case SettingKind::Choice: {
      control = gtk.gtk_combo_box_text_new();
      leave_wheel_to_page_until_focused(control);
      for (std::string_view choice : choice_words(row.choices)) {
        const std::string word(choice);
        gtk.gtk_combo_box_text_append(as<GtkComboBoxText>(control), word.c_str(), word.c_str());
      }
      connect_signal(control, "changed", G_CALLBACK(on_setting_changed), row_data(index));
      break;
    }
    case SettingKind::Keys:
      control = gtk.gtk_entry_new();
      gtk.gtk_entry_set_width_chars(as<GtkEntry>(control), 24);
      gtk.gtk_editable_set_editable(as<GtkEditable>(control), FALSE);
      connect_signal(control, "key-press-event", G_CALLBACK(on_key_capture), row_data(index));
      break;
  }
  if (control) {
    row_slot(window.setting_controls, index) = control;
    widget = control;
  }
  if (!row.hint.empty()) {
    gtk.gtk_widget_set_tooltip_text(widget, std::string(row.hint).c_str());
  }
  name_for_assistive_technologies(row_widget(window.setting_controls, index),
                                  std::string(row.label), std::string(row.hint));
  // The control column takes any room the page needs beyond the two columns (a long line over
  // both), so that the caption column keeps its width.
  gtk.gtk_widget_set_hexpand(widget, TRUE);
  row_slot(window.control_rows, index) = widget;
  link_caption(index);
  return widget;
}

void refresh_control(int index) {
  GtkWidget* control = row_widget(window.setting_controls, index);
  if (!control) return;
  refresh_sensitivity(index);
  const std::string& value = stored_value(index);
  window.updating_controls = true;
  switch (setting_at(index).kind) {
    case SettingKind::Bool:
      gtk.gtk_toggle_button_set_active(as<GtkToggleButton>(control), value == "true");
      break;
    case SettingKind::Int: {
      int32_t number = 0;
      parse_int32(value, number);
      gtk.gtk_spin_button_set_value(as<GtkSpinButton>(control), number);
      break;
    }
    case SettingKind::Text:
      gtk.gtk_entry_set_text(as<GtkEntry>(control), value.c_str());
      break;
    case SettingKind::Colour: {
      int red, green, blue;
      GdkRGBA rgba = {0.5, 0.5, 0.5, 1.0};
      if (parse_hex_colour(value, red, green, blue)) {
        rgba = {red / 255.0, green / 255.0, blue / 255.0, 1.0};
      }
      gtk.gtk_color_chooser_set_rgba(as<GtkColorChooser>(control), &rgba);
      show_state(index, value.empty() ? "theme" : value);
      break;
    }
    case SettingKind::Font:
      gtk.gtk_font_chooser_set_font(as<GtkFontChooser>(control),
                                    value.empty() ? "Sans 10" : value.c_str());
      show_state(index, value.empty() ? "theme" : value);
      break;
    case SettingKind::Choice:
      gtk.gtk_combo_box_set_active_id(as<GtkComboBox>(control), value.c_str());
      break;
    case SettingKind::Keys:
      gtk.gtk_entry_set_text(as<GtkEntry>(control), format_accelerator(value).c_str());
      break;
  }
  window.updating_controls = false;
}

void refresh_greying() {
  for (int i = 0; i < setting_count(); ++i)
    refresh_sensitivity(i);
}

void refresh_all_controls() {
  for (int i = 0; i < setting_count(); ++i)
    refresh_control(i);
  refresh_previews();
}

void on_setting_changed(GtkWidget* control, gpointer row) {
  if (window.updating_controls) return;
  const int index = row_of(row);
  std::string value;
  if (!read_control(index, control, value)) return;
  if (!normalize_value(index, value)) return;
  store_value(index, value);
  const SettingKind kind = setting_at(index).kind;
  if (kind == SettingKind::Colour || kind == SettingKind::Font) show_state(index, value);
  schedule_apply();
}

void on_setting_reset(GtkWidget*, gpointer row) {
  const int index = row_of(row);
  store_value(index, std::string(setting_at(index).default_value));
  refresh_control(index);
  schedule_apply();
}

gboolean on_key_capture(GtkWidget*, GdkEventKey* event, gpointer row) {
  const int index = row_of(row);
  const GdkModifierType mask = gtk.gtk_accelerator_get_default_mod_mask();
  if (moves_focus(event, mask)) return FALSE;
  if (event->keyval == kEscape) {
    store_value(index, "");
    refresh_control(index);
    schedule_apply();
  } else if (!is_modifier_key(event->keyval)) {
    gchar* name =
        gtk.gtk_accelerator_name(event->keyval, static_cast<GdkModifierType>(event->state & mask));
    if (name) {
      store_value(index, name);
      gtk.g_free(name);
      refresh_control(index);
      schedule_apply();
    }
  }
  return TRUE;  // consumed: Escape never reaches the window
}

void schedule_apply() {
  refresh_greying();
  refresh_previews();
  if (window.save_pending) return;
  window.save_pending = true;
  gtk.g_timeout_add(kSaveDelayMs, on_apply_timer, nullptr);
}

gboolean on_apply_timer(gpointer) {
  try {
    // The main loop never waits for another fennick: this timer tries again until it is done.
    const SettingsLock lock(LockWait::Never);
    if (!lock.held) {
      show_status("Waiting for " + lock_holder_text() +
                  " to finish changing the settings\xE2\x80\xA6 (your changes are kept)");
      return TRUE;
    }
    window.save_pending = false;
    const std::vector<std::string> before = synced_values();
    const std::string notice = dropped_lines_notice(save_window_settings());
    // The message of a reset, with its undo, stands until something else is to be said.
    if (window.undo_offered && notice.empty()) return FALSE;
    // What shows the change when no running Nemo follows it by itself.
    const std::string reader = nemo_reader_note(before);
    show_status("Saved and applied \xE2\x80\x94 " + settings_path() +
                (notice.empty() ? "" : " (" + notice + ")") +
                (reader.empty() ? "" : "; " + reader));
  } catch (const std::runtime_error& error) {
    window.save_pending = false;
    show_status(std::string("Could not save: ") + error.what());
  }
  return FALSE;
}
