#include "settings/value_access.h"

#include "settings/ascii_text.h"
#include "settings/catalogue.h"
#include "settings/settings_file.h"

namespace {

bool equal_ignoring_case(const char* a, size_t length, const std::string& b) {
  if (length != b.size()) return false;
  for (size_t i = 0; i < length; ++i) {
    if (ascii_lower(a[i]) != ascii_lower(b[i])) return false;
  }
  return true;
}

int hex_value(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

bool normalize_bool(std::string& value) {
  std::string word = ascii_lowered(value);
  if (word == "1" || word == "yes" || word == "on") word = "true";
  if (word == "0" || word == "no" || word == "off") word = "false";
  if (word != "true" && word != "false") return false;
  value = word;
  return true;
}

bool normalize_int(const Setting& row, std::string& value) {
  int32_t number;
  if (!parse_int32(value, number)) return false;
  if (number < row.min) number = row.min;
  if (number > row.max) number = row.max;
  value = std::to_string(number);
  return true;
}

bool normalize_colour(std::string& value) {
  std::string colour = value;
  if (!colour.empty() && colour[0] != '#' && colour.size() == 6) colour.insert(0, "#");
  if (!colour.empty() && !is_hex_colour(colour)) return false;
  for (char& c : colour) {
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
  }
  value = colour;
  return true;
}

// The word is stored as the catalogue spells it, so that generators can compare exactly.
bool normalize_choice(const Setting& row, std::string& value) {
  for (std::string_view word : choice_words(row.choices)) {
    if (!word.empty() && equal_ignoring_case(word.data(), word.size(), value)) {
      value = std::string(word);
      return true;
    }
  }
  return false;
}

// The file holds one value per line, so neither line break can be part of a value.
bool is_single_line(const std::string& value) {
  return value.find_first_of("\n\r") == std::string::npos;
}

// A number given by hand must lie in its range; only a number read from a file is brought into
// it, so that a file edited by hand or written by another version still loads.
bool is_in_range(const Setting& row, const std::string& value) {
  int32_t number;
  return row.kind != SettingKind::Int ||
         (parse_int32(value, number) && number >= row.min && number <= row.max);
}

}  // namespace

int find_setting(const std::string& section, const std::string& key) {
  for (int i = 0; i < setting_count(); ++i) {
    const Setting& row = setting_at(i);
    if (row.key == key && row.section == section) return i;
  }
  return -1;
}

int resolve_setting_name(const std::string& name) {
  size_t dot = name.find('.');
  if (dot != std::string::npos) return find_setting(name.substr(0, dot), name.substr(dot + 1));
  int found = -1;
  for (int i = 0; i < setting_count(); ++i) {
    if (setting_at(i).key != name) continue;
    if (found >= 0) return -2;
    found = i;
  }
  return found;
}

std::string get_value(const std::string& section, const std::string& key) {
  int index = find_setting(section, key);
  return index < 0 ? std::string() : stored_value(index);
}

bool get_bool(const std::string& section, const std::string& key) {
  return get_value(section, key) == "true";
}

int32_t get_int(const std::string& section, const std::string& key) {
  int32_t number;
  return parse_int32(get_value(section, key), number) ? number : 0;
}

bool parse_int32(const std::string& text, int32_t& number) {
  size_t i = 0;
  bool negative = false;
  if (i < text.size() && (text[i] == '+' || text[i] == '-')) negative = text[i++] == '-';
  if (i == text.size()) return false;
  int64_t magnitude = 0;
  for (; i < text.size(); ++i) {
    char c = text[i];
    if (c < '0' || c > '9') return false;
    magnitude = magnitude * 10 + (c - '0');
    if (magnitude > 2147483648LL) return false;
  }
  int64_t result = negative ? -magnitude : magnitude;
  if (result > 2147483647LL) return false;
  number = static_cast<int32_t>(result);
  return true;
}

bool normalize_value(int index, std::string& value) {
  const Setting& row = setting_at(index);
  switch (row.kind) {
    case SettingKind::Bool:
      return normalize_bool(value);
    case SettingKind::Int:
      return normalize_int(row, value);
    case SettingKind::Colour:
      return normalize_colour(value);
    case SettingKind::Choice:
      return normalize_choice(row, value);
    case SettingKind::Text:
    case SettingKind::Font:
    case SettingKind::Keys:
      return is_single_line(value);
  }
  return false;
}

bool parse_hex_colour(const std::string& colour, int& red, int& green, int& blue) {
  if (colour.size() != 7 || colour[0] != '#') return false;
  int channels[3];
  for (int i = 0; i < 3; ++i) {
    int high = hex_value(colour[static_cast<size_t>(1 + 2 * i)]);
    int low = hex_value(colour[static_cast<size_t>(2 + 2 * i)]);
    if (high < 0 || low < 0) return false;
    channels[i] = high * 16 + low;
  }
  red = channels[0];
  green = channels[1];
  blue = channels[2];
  return true;
}

bool is_hex_colour(const std::string& text) {
  int red, green, blue;
  return parse_hex_colour(text, red, green, blue);
}

std::vector<std::string_view> choice_words(std::string_view choices) {
  std::vector<std::string_view> words;
  size_t start = 0;
  while (start <= choices.size()) {
    size_t comma = choices.find(',', start);
    if (comma == std::string_view::npos) comma = choices.size();
    words.push_back(choices.substr(start, comma - start));
    start = comma + 1;
  }
  return words;
}

std::string value_hint(int index) {
  const Setting& row = setting_at(index);
  switch (row.kind) {
    case SettingKind::Bool:
      return "  (use true or false)";
    case SettingKind::Int:
      return "  (a number from " + std::to_string(row.min) + " to " + std::to_string(row.max) + ")";
    case SettingKind::Colour:
      return "  (a colour like #E69F00, or empty for the theme colour)";
    case SettingKind::Choice:
      return "  (one of: " + std::string(row.choices) + ")";
    case SettingKind::Keys:
      return "  (a key combination like <Primary><Shift>F3)";
    case SettingKind::Text:
    case SettingKind::Font:
      break;
  }
  return "";
}

int named_setting(const std::string& name, std::string& problem) {
  const int index = resolve_setting_name(name);
  if (index == -2) {
    std::string candidates;
    for (int i = 0; i < setting_count(); ++i) {
      if (setting_at(i).key != name) continue;
      candidates += (candidates.empty() ? "" : ", ") + setting_name(i);
    }
    problem = "\"" + printable(name) + "\" is ambiguous; write one of: " + candidates;
  } else if (index < 0) {
    problem = "unknown setting \"" + printable(name) + "\"  (try: fennick list)";
  }
  return index < 0 ? -1 : index;
}

bool set_setting(const std::string& name, const std::string& value, std::string& problem) {
  const int index = named_setting(name, problem);
  if (index >= 0) {
    std::string normal = value;
    if (is_in_range(setting_at(index), value) && normalize_value(index, normal)) {
      store_value(index, normal);
      return true;
    }
    problem =
        "bad value \"" + printable(value) + "\" for " + setting_name(index) + value_hint(index);
  }
  return false;
}
