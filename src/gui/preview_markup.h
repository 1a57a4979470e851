// The prompt preview as Pango markup, built from the settings with sample values. No GTK here.
#pragma once

#include <string>

// & < > as entities, in that order; quotes are left alone.
std::string escape_markup(const std::string& text);
// The separator between powerline blocks: the chosen glyph when a powerline font was detected,
// otherwise a triangle that every font has.
std::string preview_separator(const std::string& detected_font);
// "<span foreground=... weight=...>TEXT</span>" for a terminal colour setting.
std::string colour_span(const std::string& colour_key, const std::string& text);
std::string plain_preview_markup();
std::string powerline_preview_markup(const std::string& detected_font);
// The whole markup of the prompt preview label.
std::string prompt_preview_markup(const std::string& detected_font);
