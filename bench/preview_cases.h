// The settings a preview refresh is measured with, shared by the two preview benchmarks.
#pragma once

#include <cstdio>
#include <cstdlib>
#include <string>

#include "settings/catalogue.h"
#include "settings/settings_file.h"
#include "settings/value_access.h"

enum class PreviewCase { Defaults, Powerline, LongPlain, LongPowerline };

// 267 characters, 25 tokens: every token, most several times, an unknown one, two new lines,
// literal text with & < >.
inline const char kLongTemplate[] =
    "[{time}] {user} at {host} in {cwd} on {git} <exit {exit}> & more: {user}@{host}:{cwd} "
    "({git}) -- {time} -- {exit} {unknown} literal text before the first new line {nl}"
    "second line: {user} {host} {cwd} {git} {time} {exit} {sym}{nl}"
    "{time} {cwd} {sym} typing goes here > ";

inline void set_or_die(const char* name, const char* value) {
  std::string problem;
  if (!set_setting(name, value, problem)) std::exit(1);
}

// The path bar fully customised, so that every rule of the stylesheet is generated.
inline void customise_path_bar() {
  set_or_die("pathbar.enabled", "true");
  set_or_die("pathbar.border_style", "dashed");
  set_or_die("pathbar.border_width", "2");
  set_or_die("pathbar.shape", "custom");
  set_or_die("pathbar.border_radius", "7");
  set_or_die("pathbar.spacing", "5");
  set_or_die("pathbar.border_color", "#336699");
  set_or_die("pathbar.normal_font", "Cantarell Semi-Bold Italic 10,5");
  set_or_die("pathbar.normal_color", "#EEEEEE");
  set_or_die("pathbar.normal_bg", "#202020");
  set_or_die("pathbar.normal_height", "28");
  set_or_die("pathbar.selected_font", "DejaVu Sans Mono Bold 11");
  set_or_die("pathbar.selected_color", "#FFFFFF");
  set_or_die("pathbar.selected_bg", "#4A90D9");
  set_or_die("pathbar.selected_height", "30");
}

// Resets the store to the defaults and applies the case; returns the
// detected font the refresh is given.
inline std::string prepare_case(PreviewCase which) {
  reset_all_to_defaults();
  switch (which) {
    case PreviewCase::Defaults:
      return "";
    case PreviewCase::Powerline:
      customise_path_bar();
      set_or_die("terminal.style", "powerline");
      set_or_die("terminal.separator", "rounded");
      return "MesloLGS NF";
    case PreviewCase::LongPlain:
      customise_path_bar();
      set_or_die("terminal.template", kLongTemplate);
      set_or_die("terminal.symbol", "<&>");
      return "";
    case PreviewCase::LongPowerline:
      customise_path_bar();
      set_or_die("terminal.template", kLongTemplate);
      set_or_die("terminal.symbol", "<&>");
      set_or_die("terminal.style", "powerline");
      return "MesloLGS NF";
  }
  return "";
}
