#include "gui/previews.h"

#include <string>

#include "generate/stylesheet.h"
#include "gui/preview_markup.h"
#include "gui/window_state.h"

GtkWidget* create_path_bar_preview() {
  GtkWidget* box = gtk.gtk_box_new(GTK_ORIENTATION_HORIZONTAL, 0);
  GtkStyleContext* style = gtk.gtk_widget_get_style_context(box);
  gtk.gtk_style_context_add_class(style, "path-bar");
  gtk.gtk_style_context_add_class(style, "linked");
  for (const char* crumb : {"Home", "Projects", "nemo"}) {
    GtkWidget* button = gtk.gtk_toggle_button_new_with_label(crumb);
    gtk.gtk_box_pack_start(as<GtkBox>(box), button, FALSE, FALSE, 0);
    if (std::string(crumb) == "nemo") {
      gtk.gtk_toggle_button_set_active(as<GtkToggleButton>(button), TRUE);
    }
  }
  window.path_bar_preview = box;
  return box;
}

// Each GTK call is made only when its text changed: a stylesheet reload restyles the whole window
// at the next frame (tens of milliseconds), and most changes leave the stylesheet as it was.
void refresh_previews() {
  if (window.prompt_preview) {
    std::string markup = prompt_preview_markup(window.detected_font);
    if (markup != window.shown_prompt_markup) {
      gtk.gtk_label_set_markup(as<GtkLabel>(window.prompt_preview), markup.c_str());
      window.shown_prompt_markup = std::move(markup);
    }
  }
  if (window.page_stylesheet) {
    std::string css = generate_stylesheet();
    if (css != window.loaded_stylesheet) {
      gtk.gtk_css_provider_load_from_data(window.page_stylesheet, css.data(),
                                          static_cast<gssize>(css.size()), nullptr);
      window.loaded_stylesheet = std::move(css);
    }
  }
}
