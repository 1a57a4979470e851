#include "settings/settings_file.h"

#include <sys/stat.h>

#include <stdexcept>
#include <vector>

#include "settings/ascii_text.h"
#include "settings/atomic_file.h"
#include "settings/catalogue.h"
#include "settings/file_backup.h"
#include "settings/file_reader.h"
#include "settings/locations.h"
#include "settings/settings_lock.h"
#include "settings/value_access.h"

namespace {

std::vector<std::string> store;
std::vector<std::string> loaded;
bool migration_pending = false;
int32_t dropped_lines = 0;

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

enum class LineKind { Understood, Value, Comment, NotUnderstood };

// One line of the file: what it was, and its value stored when it set one. A line refused for
// its value alone leaves the row its key names in setting.
LineKind read_line(std::string_view line, std::string& section, int& setting) {
  line = trimmed_view(line);
  if (line.empty()) return LineKind::Understood;
  if (line.front() == '#' || line.front() == ';') {
    const std::string_view own_header(kHeader, sizeof kHeader - 2);  // without its line feed
    return line == own_header ? LineKind::Understood : LineKind::Comment;
  }
  if (line.front() == '[' && line.back() == ']' && line.size() >= 2) {
    section.assign(line.substr(1, line.size() - 2));
    return LineKind::Understood;
  }
  const size_t equals = line.find('=');
  if (equals == std::string_view::npos) return LineKind::NotUnderstood;
  int index = find_setting(section, trimmed(line.substr(0, equals)));
  if (index < 0) return LineKind::NotUnderstood;
  std::string value = unescape_value(trimmed(line.substr(equals + 1)));
  if (!normalize_value(index, value)) {
    setting = index;
    return LineKind::NotUnderstood;
  }
  store[static_cast<size_t>(index)] = std::move(value);
  return LineKind::Value;
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

ReadResult read_settings_lines(const std::string& text, std::vector<RejectedLine>* rejected) {
  ReadResult result{0, true};
  std::string section;
  const char* data = text.data();
  const char* end = data + text.size();
  int32_t number = 0;
  while (data < end) {
    const char* line_end = data;
    while (line_end < end && *line_end != '\n' && *line_end != '\r')
      ++line_end;
    ++number;
    const std::string_view line(data, static_cast<size_t>(line_end - data));
    int setting = -1;
    switch (read_line(line, section, setting)) {
      case LineKind::Understood:
        break;
      case LineKind::Value:
        ++result.values_read;
        break;
      case LineKind::Comment:
        ++result.comments;
        break;
      case LineKind::NotUnderstood:
        ++result.not_understood;
        if (rejected) rejected->push_back({number, trimmed(line), setting});
        break;
    }
    data = line_end;
    if (data < end) data += (*data == '\r' && data + 1 < end && data[1] == '\n') ? 2 : 1;
  }
  return result;
}

int32_t read_settings_text(const std::string& text) {
  return read_settings_lines(text).not_understood;
}

ReadResult read_settings_file(const std::string& path, std::vector<RejectedLine>* rejected) {
  std::string text;
  if (!read_whole_file(path, text)) return ReadResult{0, false};
  return read_settings_lines(text, rejected);
}

void load_settings() {
  reset_all_to_defaults();
  const ReadResult read = read_settings_file(settings_path());
  dropped_lines = read.not_understood + read.comments;
  bool changed = false;
  for (const auto& pane_key : kOldPaneKeys) {
    int index = find_setting("panes", pane_key[0]);
    if (stored_value(index) == pane_key[1]) {
      store_value(index, pane_key[2]);
      changed = true;
    }
  }
  migration_pending = changed && read.existed;
  loaded = store;
}

const std::vector<std::string>& values_when_loaded() {
  return loaded;
}

int32_t lines_a_rewrite_drops() {
  return dropped_lines;
}

void forget_dropped_lines() {
  dropped_lines = 0;
}

std::string back_up_settings_file() {
  return back_up_before_change(settings_path(), ".bak");
}

namespace {

// Reads the settings file into a store of its own and gives that back; the store in use is left
// as it is, also when the reading fails.
std::vector<std::string> read_file_aside(ReadResult& read, std::vector<RejectedLine>* rejected) {
  std::vector<std::string> current = store;
  reset_all_to_defaults();
  try {
    read = read_settings_file(settings_path(), rejected);
  } catch (...) {
    store.swap(current);
    throw;
  }
  store.swap(current);
  return current;
}

}  // namespace

std::vector<std::string> settings_file_values() {
  ReadResult read;
  std::vector<std::string> values = read_file_aside(read, nullptr);
  dropped_lines = read.not_understood + read.comments;
  return values;
}

std::vector<RejectedLine> settings_file_rejected_lines() {
  std::vector<RejectedLine> rejected;
  ReadResult read;
  read_file_aside(read, &rejected);
  return rejected;
}

void save_if_migrated() {
  if (!migration_pending) return;
  // Read again under the lock, so that the rewrite cannot undo a change made meanwhile. A file
  // with lines the rewrite would drop is left for the next change, which keeps a copy first.
  // Only a lock free at once is taken: a run that only reads never waits for a writer, and uses
  // the converted keys in memory meanwhile.
  try {
    SettingsLock lock(LockWait::Never);
    if (!lock.held) return;
    load_settings();
    if (!migration_pending || dropped_lines > 0) return;
    migration_pending = false;
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
