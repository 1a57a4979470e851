// The mouse wheel over a spin button or a combo box: it scrolls the page around the control until
// the user has clicked or tabbed into the control; from then on it changes the value.
#pragma once

#include "gui/gtk_binding.h"

void leave_wheel_to_page_until_focused(GtkWidget* control);
