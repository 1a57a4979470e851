#include "gui/control_text.h"

#include <cstdio>

#include "settings/ascii_text.h"

namespace {

struct ModifierName {
  const char* name;
  const char* shown;
};

const ModifierName kModifiers[] = {
    {"primary", "Ctrl+"}, {"control", "Ctrl+"}, {"ctrl", "Ctrl+"},
    {"shift", "Shift+"},  {"alt", "Alt+"},      {"mod1", "Alt+"},
    {"meta", "Alt+"},     {"super", "Super+"},  {"mod4", "Super+"},
};

}  // namespace

std::string format_accelerator(const std::string& value) {
  std::string shown;
  size_t pos = 0;
  while (pos < value.size()) {
    if (value[pos] != '<') return shown + value.substr(pos);
    const size_t end = value.find('>', pos);
    if (end == std::string::npos) break;
    const std::string name = value.substr(pos + 1, end - pos - 1);
    const std::string lower = ascii_lowered(name);
    std::string replacement = name + "+";
    for (const ModifierName& modifier : kModifiers) {
      if (lower == modifier.name) replacement = modifier.shown;
    }
    shown += replacement;
    pos = end + 1;
  }
  return shown;
}

std::string colour_text(double red, double green, double blue) {
  // To the nearest integer, halves to the even neighbour: 127.5 gives 128, 126.5 gives 126.
  // (Worked out here rather than with the maths library, which the program does not load.)
  auto channel = [](double value) {
    const double scaled = value * 255.0;
    if (!(scaled > 0)) return 0u;
    if (scaled >= 255) return 255u;
    unsigned whole = static_cast<unsigned>(scaled);
    const double fraction = scaled - whole;
    if (fraction > 0.5 || (fraction == 0.5 && whole % 2 == 1)) ++whole;
    return whole;
  };
  char text[16];
  std::snprintf(text, sizeof text, "#%.2X%.2X%.2X", channel(red), channel(green), channel(blue));
  return text;
}
