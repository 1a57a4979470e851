#include "generate/stylesheet.h"

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <vector>

#include "settings/ascii_text.h"
#include "settings/value_access.h"

namespace {

const char kHeader[] =
    "/* fennick: generated from fennick.ini \xE2\x80\x94 edit the settings, not this file */\n";

struct ShapeRadius {
  const char* shape;
  const char* radius;
};

const ShapeRadius kShapes[] = {
    {"square", "0"},           {"soft", "4px"},
    {"round", "10px"},         {"pill", "999px"},
    {"tab", "10px 10px 0 0"},  {"tab_bottom", "0 0 10px 10px"},
    {"leaf", "14px 0 14px 0"}, {"leaf_reverse", "0 14px 0 14px"},
};

struct FontWord {
  const char* word;
  const char* weight;  // set when the word names a weight
  const char* style;   // set when the word names a style
};

// Style words a font chooser writes after the family; an entry with neither part is ignored.
const FontWord kFontWords[] = {
    {"bold", "bold", nullptr},      {"heavy", "bold", nullptr},     {"ultra-bold", "bold", nullptr},
    {"semi-bold", "bold", nullptr}, {"light", "300", nullptr},      {"ultra-light", "300", nullptr},
    {"italic", nullptr, "italic"},  {"oblique", nullptr, "italic"}, {"regular", nullptr, nullptr},
    {"roman", nullptr, nullptr},    {"normal", nullptr, nullptr},   {"medium", nullptr, nullptr},
    {"book", nullptr, nullptr},
};

const FontWord* find_font_word(const std::string& word) {
  const std::string lower = ascii_lowered(word);
  for (const FontWord& entry : kFontWords) {
    if (lower == entry.word) return &entry;
  }
  return nullptr;
}

bool is_blank(char c) {
  return c == ' ' || c == '\t';
}

// A decimal number such as 12, 10,5 or .5, written back in its shortest form: no leading zeros,
// no trailing zeros after the point, no point without a fraction, at most 15 significant digits.
// Worked on the digits themselves, so that no locale or floating-point rounding can change it.
bool read_font_size(std::string word, std::string& size) {
  size_t comma = word.find(',');
  if (comma != std::string::npos) word[comma] = '.';
  const size_t point = word.find('.');
  std::string digits = word;
  if (point != std::string::npos) digits.erase(point, 1);
  if (digits.empty() || digits.find_first_not_of("0123456789") != std::string::npos) return false;
  size_t whole_length = point == std::string::npos ? digits.size() : point;

  const size_t first = digits.find_first_not_of('0');
  const size_t kMaxDigits = 15;
  if (first != std::string::npos && digits.size() - first > kMaxDigits) {
    const size_t cut = first + kMaxDigits;
    bool carry = digits[cut] >= '5';
    digits.resize(cut);
    for (size_t i = cut; carry && i-- > 0;) {
      carry = digits[i] == '9';
      digits[i] = carry ? '0' : static_cast<char>(digits[i] + 1);
    }
    if (carry) {
      digits.insert(0, 1, '1');
      ++whole_length;
    }
    if (digits.size() < whole_length) digits.append(whole_length - digits.size(), '0');
  }

  std::string whole = digits.substr(0, whole_length);
  std::string fraction = digits.substr(whole_length);
  whole.erase(0, std::min(whole.find_first_not_of('0'), whole.size()));
  if (whole.empty()) whole = "0";
  while (!fraction.empty() && fraction.back() == '0')
    fraction.pop_back();
  size = fraction.empty() ? whole : whole + "." + fraction;
  return true;
}

}  // namespace

FontParts parse_font_description(const std::string& description) {
  FontParts parts;
  size_t begin = 0;
  size_t end = description.size();
  while (begin < end && is_blank(description[begin]))
    ++begin;
  while (end > begin && is_blank(description[end - 1]))
    --end;
  if (begin == end) return parts;

  std::vector<std::string> words;
  for (size_t start = begin;;) {
    size_t blank = description.find(' ', start);
    if (blank == std::string::npos || blank >= end) {
      words.push_back(description.substr(start, end - start));
      break;
    }
    words.push_back(description.substr(start, blank - start));
    start = blank + 1;
  }

  int i = static_cast<int>(words.size()) - 1;
  if (words.size() >= 2 && read_font_size(words.back(), parts.size)) --i;
  // Walking leftwards, the leftmost of two words for the same part is seen last and wins.
  for (; i >= 0; --i) {
    const FontWord* entry = find_font_word(words[static_cast<size_t>(i)]);
    if (!entry) break;
    if (entry->weight) parts.weight = entry->weight;
    if (entry->style) parts.style = entry->style;
  }

  std::string family;
  for (int w = 0; w <= i; ++w) {
    if (w > 0) family += ' ';
    family += words[static_cast<size_t>(w)];
  }
  size_t first = family.find_first_not_of(" \t");
  size_t last = family.find_last_not_of(" \t");
  parts.family = first == std::string::npos ? "sans-serif" : family.substr(first, last - first + 1);
  return parts;
}

std::string crumb_state_rules(const std::string& font, const std::string& colour,
                              const std::string& background, int height, bool selected) {
  FontParts parts = parse_font_description(font);
  std::string text;
  if (!parts.family.empty()) {
    // Quotes are dropped; a backslash is escaped, or one at the end would swallow the closing
    // quote and with it the rest of the stylesheet.
    std::string family;
    for (char c : parts.family) {
      if (c == '\\') family += '\\';
      if (c != '"') family += c;
    }
    text += " font-family: \"" + family + "\";";
  }
  if (!parts.size.empty()) text += " font-size: " + parts.size + "pt;";
  if (!font.empty()) {
    text += " font-weight: " + (parts.weight.empty() ? std::string("normal") : parts.weight) + ";";
    text += " font-style: " + (parts.style.empty() ? std::string("normal") : parts.style) + ";";
  }
  if (!colour.empty()) text += " color: " + colour + ";";

  std::string box;
  if (height > 0) box += " min-height: " + std::to_string(height) + "px;";
  if (!background.empty()) box += " background-image: none; background-color: " + background + ";";

  const std::string selector = selected ? ".path-bar button:checked" : ".path-bar button";
  std::string rules;
  if (!box.empty()) rules += selector + " {" + box + " }\n";
  if (!text.empty()) rules += selector + " label {" + text + " }\n";
  return rules;
}

std::string generate_stylesheet() {
  std::string css = kHeader;
  if (!get_bool("pathbar", "enabled")) return css;

  std::string radius = get_value("pathbar", "border_radius") + "px";
  const std::string shape = get_value("pathbar", "shape");
  for (const ShapeRadius& entry : kShapes) {
    if (shape == entry.shape) radius = entry.radius;
  }

  std::string declarations = " border-style: " + get_value("pathbar", "border_style") + ";" +
                             " border-width: " + get_value("pathbar", "border_width") + "px;" +
                             " border-radius: " + radius + ";";
  const std::string border_colour = get_value("pathbar", "border_color");
  if (!border_colour.empty()) declarations += " border-color: " + border_colour + ";";
  const int spacing = get_int("pathbar", "spacing");
  if (spacing > 0)
    declarations += " margin: 0 " + std::to_string((int64_t{spacing} + 1) / 2) + "px;";

  css += ".path-bar button, .path-bar.linked > button {" + declarations + " }\n";
  css += crumb_state_rules(get_value("pathbar", "normal_font"),
                           get_value("pathbar", "normal_color"), get_value("pathbar", "normal_bg"),
                           get_int("pathbar", "normal_height"), false);
  css += crumb_state_rules(
      get_value("pathbar", "selected_font"), get_value("pathbar", "selected_color"),
      get_value("pathbar", "selected_bg"), get_int("pathbar", "selected_height"), true);
  return css;
}

std::string scoped_rules(const std::string& css, const std::string& scope) {
  std::string out;
  size_t start = 0;
  while (start < css.size()) {
    size_t end = css.find('\n', start);
    end = end == std::string::npos ? css.size() : end + 1;
    const std::string line = css.substr(start, end - start);
    start = end;
    const size_t brace = line.find(" {");
    if (line.rfind("/*", 0) == 0 || brace == std::string::npos) {
      out += line;
      continue;
    }
    const std::string selectors = line.substr(0, brace);
    for (size_t from = 0; from <= selectors.size();) {
      size_t comma = selectors.find(", ", from);
      if (comma == std::string::npos) comma = selectors.size();
      out += (from ? ", " : "") + scope + " " + selectors.substr(from, comma - from);
      from = comma + 2;
    }
    out += line.substr(brace);
  }
  return out;
}

std::string generate_nemo_stylesheet() {
  return scoped_rules(generate_stylesheet(), ".nemo-window");
}
