// Writes every generated file from the current settings.
#pragma once

// Writes fennick.ini, fennick.css and prompt.sh in that order; the first failed write stops it.
void apply_settings();
