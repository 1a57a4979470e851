#include "gui/control_names.h"

#include "settings/catalogue.h"

namespace {

bool caption_is_shared(int index) {
  for (int i = 0; i < setting_count(); ++i) {
    if (i != index && setting_at(i).label == setting_at(index).label) return true;
  }
  return false;
}

}  // namespace

std::string reset_button_name(int index) {
  const Setting& row = setting_at(index);
  std::string name = "Reset " + std::string(row.label);
  if (caption_is_shared(index)) name += " in " + std::string(row.group);
  return name;
}

void name_for_assistive_technologies(GtkWidget* widget, const std::string& name,
                                     const std::string& description) {
  GObject* accessible = reinterpret_cast<GObject*>(gtk.gtk_widget_get_accessible(widget));
  gtk.g_object_set(accessible, "accessible-name", name.c_str(), nullptr);
  if (!description.empty()) {
    gtk.g_object_set(accessible, "accessible-description", description.c_str(), nullptr);
  }
}
