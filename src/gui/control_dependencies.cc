#include "gui/control_dependencies.h"

#include <string>
#include <string_view>

#include "settings/catalogue.h"
#include "settings/settings_file.h"
#include "settings/value_access.h"

namespace {

// The rows of section (those of one group only, or only the one key, where these are given) take
// effect only while the setting needed holds one of the values (comma-separated). The setting
// needed is never its own dependent.
struct Dependency {
  std::string_view section;
  std::string_view group;       // empty: any group
  std::string_view key;         // empty: any key
  std::string_view needed_key;  // in the same section
  std::string_view values;
};

const Dependency kDependencies[] = {
    {"pathbar", "", "", "enabled", "true"},
    {"pathbar", "", "border_radius", "shape", "custom"},
    {"terminal", "Prompt", "", "prompt_enabled", "true"},
    {"terminal", "Text colours", "", "prompt_enabled", "true"},
    {"terminal", "Block backgrounds (powerline)", "", "prompt_enabled", "true"},
    {"terminal", "Advanced (for experts)", "", "prompt_enabled", "true"},
    {"terminal", "Block backgrounds (powerline)", "", "style", "powerline"},
    {"terminal", "", "separator", "style", "powerline"},
    {"terminal", "", "key_copy", "keys", "custom"},
    {"terminal", "", "key_paste", "keys", "custom"},
};

bool covers(const Dependency& rule, const Setting& row) {
  return row.section == rule.section && (rule.group.empty() || row.group == rule.group) &&
         (rule.key.empty() || row.key == rule.key) && row.key != rule.needed_key;
}

bool holds_one_of(const std::string& value, std::string_view values) {
  for (std::string_view word : choice_words(values)) {
    if (word == value) return true;
  }
  return false;
}

}  // namespace

bool setting_takes_effect(int index) {
  const Setting& row = setting_at(index);
  for (const Dependency& rule : kDependencies) {
    if (!covers(rule, row)) continue;
    const int needed = find_setting(std::string(rule.section), std::string(rule.needed_key));
    if (needed >= 0 && !holds_one_of(stored_value(needed), rule.values)) return false;
  }
  return true;
}
