#include "settings/settings_file.h"

#include <stdexcept>
#include <vector>

#include "settings/ascii_text.h"
#include "settings/atomic_file.h"
#include "settings/catalogue.h"
#include "settings/file_reader.h"
#include "settings/locations.h"
#include "settings/value_access.h"

namespace {

std::vector<std::string> store;
bool migration_pending = false;

const char kHeader[] =
    "# fennick settings \xE2\x80\x94 edit with \"fennick --gui\" or \"fennick set\"; "
    "format version 1\n";

// Pane keys of older versions and what they became.
const char* const kOldPaneKeys[][3] = {
    {"key_add", "<Primary><Shift>F3", "F3"},
    {"key_remove", "<Primary><Shift>F4", "F4"},
    {"key_left", "<Primary><Shift>F5", "F5"},
    {"key_right", "<Primary><Shift>F6", "F6"},
};

// One line of the file; true when it was understood (or is blank, a comment or a header).
bool read_line(std::string_view line, std::string& section) {
  line = trimmed_view(line);
  if (line.empty() || line.front() == '#' || line.front() == ';') return true;
  if (line.front() == '[' && line.back() == ']' && line.size() >= 2) {
    section.assign(line.substr(1, line.size() - 2));
    return true;
  }
  const size_t equals = line.find('=');
  if (equals == std::string_view::npos) return false;
  int index = find_setting(section, trimmed(line.substr(0, equals)));
  if (index < 0) return false;
  std::string value = unescape_value(trimmed(line.substr(equals + 1)));
  if (!normalize_value(index, value)) return false;
  store[static_cast<size_t>(index)] = std::move(value);
  return true;
}

}  // namespace

const std::string& stored_value(int index) {
  return store[static_cast<size_t>(index)];
}

void store_value(int index, const std::string& value) {
  store[static_cast<size_t>(index)] = value;
}

void reset_all_to_defaults() {
  store.resize(static_cast<size_t>(setting_count()));
  for (int i = 0; i < setting_count(); ++i)
    store[static_cast<size_t>(i)] = setting_at(i).default_value;
}

int32_t read_settings_text(const std::string& text) {
  int32_t not_understood = 0;
  std::string section;
  const char* data = text.data();
  const char* end = data + text.size();
  while (data < end) {
    const char* line_end = data;
    while (line_end < end && *line_end != '\n' && *line_end != '\r')
      ++line_end;
    if (!read_line(std::string_view(data, static_cast<size_t>(line_end - data)), section)) {
      ++not_understood;
    }
    data = line_end;
    if (data < end) data += (*data == '\r' && data + 1 < end && data[1] == '\n') ? 2 : 1;
  }
  return not_understood;
}

ReadResult read_settings_file(const std::string& path) {
  std::string text;
  if (!read_whole_file(path, text)) return ReadResult{0, false};
  return ReadResult{read_settings_text(text), true};
}

void load_settings() {
  reset_all_to_defaults();
  bool existed = read_settings_file(settings_path()).existed;
  bool changed = false;
  for (const auto& pane_key : kOldPaneKeys) {
    int index = find_setting("panes", pane_key[0]);
    if (stored_value(index) == pane_key[1]) {
      store_value(index, pane_key[2]);
      changed = true;
    }
  }
  migration_pending = changed && existed;
}

void save_if_migrated() {
  if (!migration_pending) return;
  migration_pending = false;
  try {
    write_file_atomic(settings_path(), settings_text());
  } catch (const std::runtime_error&) {
    // The old keys still work for this run; the rewrite is tried again at the next start.
  }
}

std::string settings_text() {
  std::string text = kHeader;
  const std::string_view* previous_section = nullptr;
  for (int i = 0; i < setting_count(); ++i) {
    const Setting& row = setting_at(i);
    if (!previous_section || *previous_section != row.section) {
      text += "\n[";
      text += row.section;
      text += "]\n";
      previous_section = &row.section;
    }
    text += row.key;
    text += '=';
    text += escape_value(stored_value(i));
    text += '\n';
  }
  return text;
}

std::string escape_value(const std::string& text) {
  size_t trailing = 0;
  while (trailing < text.size() && text[text.size() - 1 - trailing] == ' ')
    ++trailing;
  const size_t body_end = text.size() - trailing;
  std::string out;
  out.reserve(text.size() + 8);
  for (size_t i = 0; i < body_end; ++i) {
    char c = text[i];
    if (c == '\\') {
      out += "\\\\";
    } else if (c == '\n') {
      out += "\\n";
    } else if (c == ' ' && i == 0) {
      out += "\\s";
    } else {
      out += c;
    }
  }
  for (size_t i = 0; i < trailing; ++i)
    out += "\\s";
  return out;
}

std::string unescape_value(const std::string& text) {
  std::string out;
  out.reserve(text.size());
  for (size_t i = 0; i < text.size(); ++i) {
    char c = text[i];
    if (c != '\\' || i + 1 == text.size()) {
      out += c;
      continue;
    }
    char next = text[++i];
    out += next == 'n' ? '\n' : next == 's' ? ' ' : next;
  }
  return out;
}
