#include "settings/settings_list.h"

#include <algorithm>
#include <string_view>
#include <vector>

#include "settings/ascii_text.h"
#include "settings/catalogue.h"
#include "settings/console.h"
#include "settings/locations.h"
#include "settings/settings_file.h"

namespace {

void append_padded(std::string& out, const std::string& field, size_t width) {
  out += field;
  if (field.size() < width) out.append(width - field.size(), ' ');
}

const char* const kKindNames[] = {"bool", "int", "text", "colour", "font", "choice", "keys"};

// The text as a JSON string: quotes, backslashes and control characters escaped; other bytes,
// UTF-8 included, as they are.
std::string json_string(std::string_view text) {
  std::string out = "\"";
  for (const char c : text) {
    const unsigned char byte = static_cast<unsigned char>(c);
    if (c == '"' || c == '\\') {
      out += '\\';
      out += c;
    } else if (byte < 32 || byte == 127) {
      const char* digits = "0123456789abcdef";
      out += "\\u00";
      out += digits[byte >> 4];
      out += digits[byte & 15];
    } else {
      out += c;
    }
  }
  return out + "\"";
}

// True when row belongs to the page named by its title or section in any letter case, or when
// no page is named.
bool on_page(const Setting& row, const std::string& page) {
  const std::string wanted = ascii_lowered(page);
  return page.empty() || ascii_lowered(row.page) == wanted || row.section == wanted;
}

}  // namespace

std::string settings_json(const std::string& page, int& listed) {
  listed = 0;
  std::string out = "{\"files\": {\"settings\": " + json_string(settings_path()) +
                    ", \"nemo_stylesheet\": " + json_string(nemo_stylesheet_path()) +
                    ", \"nemo_windows\": " + json_string(nemo_windows_path()) +
                    "},\n \"settings\": [";
  for (int i = 0; i < setting_count(); ++i) {
    const Setting& row = setting_at(i);
    if (!on_page(row, page)) continue;
    out += std::string(listed++ ? "," : "") + "\n  {\"section\": " + json_string(row.section) +
           ", \"key\": " + json_string(row.key) + ", \"kind\": \"" +
           kKindNames[static_cast<int>(row.kind)] +
           "\", \"value\": " + json_string(stored_value(i)) + "}";
  }
  return out + "\n]}\n";
}

int print_settings_list(const std::string& page) {
  std::string out;
  int printed = 0;
  const std::string_view* last_page = nullptr;
  for (int i = 0; i < setting_count(); ++i) {
    const Setting& row = setting_at(i);
    if (!on_page(row, page)) continue;
    if (!last_page || *last_page != row.page) {
      out += "\n== ";
      out += row.page;
      out += " ==\n";
      last_page = &row.page;
    }
    const std::string& value = stored_value(i);
    ++printed;
    out += "  ";
    append_padded(out, setting_name(i), 28);
    out += " = ";
    append_padded(out, printable(value), 22);
    out += ' ';
    if (value != row.default_value) {
      out += "(default: ";
      out += printable(row.default_value);
      out += ')';
    }
    out += '\n';
  }
  print_out(out);
  return printed;
}

std::string page_names() {
  std::string titles;
  for (int i = 0; i < page_count(); ++i)
    titles += (i ? ", " : "") + std::string(page_at(i).title);
  std::vector<std::string_view> sections;
  std::string listed;
  for (int i = 0; i < setting_count(); ++i) {
    const std::string_view section = setting_at(i).section;
    if (std::find(sections.begin(), sections.end(), section) != sections.end()) continue;
    sections.push_back(section);
    listed += (listed.empty() ? "" : ", ") + std::string(section);
  }
  return titles + " (or the sections: " + listed + ")";
}
