// Prints the settings catalogue as C definitions: the array rows, one row a line (page, group,
// kind letter, label, hint, choices, min, max, default value), and the array pages, one page a
// line in tab order (its title). The
// minimal GTK program of gui_startup.sh builds its notebook from them, so that it always has the
// same pages and controls as the settings window.
// With --counts: how many widgets of each kind the rows make, as one line of text.
#include <cstdio>
#include <cstring>
#include <string_view>
#include <vector>

#include "settings/catalogue.h"

namespace {

void print_string(std::string_view text) {
  std::putchar('"');
  for (unsigned char c : text) {
    if (c == '"' || c == '\\') {
      std::printf("\\%c", c);
    } else if (c < 0x20 || c >= 0x7F) {
      std::printf("\\%03o", c);
    } else {
      std::putchar(c);
    }
  }
  std::putchar('"');
}

char kind_letter(SettingKind kind) {
  switch (kind) {
    case SettingKind::Bool:
      return 'b';
    case SettingKind::Int:
      return 'i';
    case SettingKind::Text:
      return 't';
    case SettingKind::Colour:
      return 'c';
    case SettingKind::Font:
      return 'f';
    case SettingKind::Choice:
      return 'o';
    case SettingKind::Keys:
      return 'k';
  }
  return '?';
}

void print_counts() {
  int kinds[7] = {};
  int hints = 0, groups = 0;
  std::vector<std::string_view> pages;
  std::string_view page, group;
  for (int i = 0; i < setting_count(); ++i) {
    const Setting& row = setting_at(i);
    ++kinds[static_cast<int>(row.kind)];
    if (!row.hint.empty()) ++hints;
    if (row.page != page) {
      pages.push_back(row.page);
      group = {};
    }
    if (row.group != group) ++groups;
    page = row.page;
    group = row.group;
  }
  auto count = [&](SettingKind kind) { return kinds[static_cast<int>(kind)]; };
  std::printf(
      "%zu catalogue pages + Backup, %d settings: %d check buttons, %d spin buttons, %d entries "
      "(%d text, %d keys), %d colour buttons and %d font buttons (each with a value label and a "
      "reset button), %d combo boxes; %d caption labels, %d hint labels, %d group headings\n",
      pages.size(), setting_count(), count(SettingKind::Bool), count(SettingKind::Int),
      count(SettingKind::Text) + count(SettingKind::Keys), count(SettingKind::Text),
      count(SettingKind::Keys), count(SettingKind::Colour), count(SettingKind::Font),
      count(SettingKind::Choice), setting_count(), hints, groups);
}

}  // namespace

int main(int argc, char** argv) {
  if (argc > 1 && std::strcmp(argv[1], "--counts") == 0) {
    print_counts();
    return 0;
  }
  std::printf("static const struct row rows[] = {\n");
  for (int i = 0; i < setting_count(); ++i) {
    const Setting& row = setting_at(i);
    std::printf("{");
    print_string(row.page);
    std::printf(", ");
    print_string(row.group);
    std::printf(", '%c', ", kind_letter(row.kind));
    print_string(row.label);
    std::printf(", ");
    print_string(row.hint);
    std::printf(", ");
    print_string(row.choices);
    std::printf(", %d, %d, ", row.min, row.max);
    print_string(row.default_value);
    std::printf("},\n");
  }
  std::printf("};\nstatic const struct page pages[] = {\n");
  for (int i = 0; i < page_count(); ++i) {
    const SettingsPage& page = page_at(i);
    std::printf("{");
    print_string(page.title);
    std::printf("},\n");
  }
  std::printf("};\n");
  return 0;
}
