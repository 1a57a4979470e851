// What assistive technologies are told about a setting's control and its reset button: the caption
// as the name, the hint as the description.
#pragma once

#include <string>

#include "gui/gtk_binding.h"

// The accessible name (and tooltip) of the reset button of row index: "Reset " and the caption,
// with the group where another setting shares the caption ("Reset User in Block backgrounds").
std::string reset_button_name(int index);
// Gives the widget's accessible object its name, and a description unless that is empty.
void name_for_assistive_technologies(GtkWidget* widget, const std::string& name,
                                     const std::string& description);
