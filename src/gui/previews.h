// The live previews: the path bar styled by the generated stylesheet, and the prompt.
#pragma once

#include "gui/gtk_binding.h"

// A small path bar (Home, Projects, nemo with nemo pressed) that the stylesheet styles.
GtkWidget* create_path_bar_preview();
// Rebuilds the prompt preview and reloads the stylesheet from the current settings.
void refresh_previews();
