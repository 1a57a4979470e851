// Writes every generated file from the current settings.
#pragma once

#include <cstdint>
#include <string>

// What a rewrite of the settings file left out of the old one, and where that file was kept.
struct ApplyOutcome {
  int32_t dropped_lines = 0;
  std::string backup;
};

// Writes fennick.ini, fennick.css, fennick-nemo.css and prompt.sh in that order; the first failed
// write stops it.
// When the settings file as last read holds lines the rewrite drops (comments, lines not
// understood), it is first copied to fennick.ini.bak. The caller holds the settings lock.
ApplyOutcome apply_settings();

// One line for the user about what the rewrite dropped, its paths shown by printable; "" when it
// dropped nothing.
std::string dropped_lines_notice(const ApplyOutcome& outcome);
