#include "settings/settings_list.h"

#include <algorithm>
#include <string_view>
#include <vector>

#include "settings/ascii_text.h"
#include "settings/catalogue.h"
#include "settings/console.h"
#include "settings/settings_file.h"

namespace {

void append_padded(std::string& out, const std::string& field, size_t width) {
  out += field;
  if (field.size() < width) out.append(width - field.size(), ' ');
}

}  // namespace

int print_settings_list(const std::string& page) {
  const std::string wanted = ascii_lowered(page);
  std::string out;
  int printed = 0;
  const std::string_view* last_page = nullptr;
  for (int i = 0; i < setting_count(); ++i) {
    const Setting& row = setting_at(i);
    if (!page.empty() && ascii_lowered(row.page) != wanted && row.section != wanted) continue;
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
