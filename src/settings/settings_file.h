// The settings store (the current value of every catalogue row) and the settings file.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

struct ReadResult {
  int32_t not_understood;  // lines skipped because they were not understood
  bool existed;
  int32_t values_read = 0;  // lines that set a value
  int32_t comments = 0;     // comment lines other than the file's own first line
};

// A line that a read skipped as not understood.
struct RejectedLine {
  int32_t number;    // counted from 1
  std::string text;  // the line, trimmed
  int setting;       // the row its key names when only its value was refused; -1 otherwise
};

// Current value of catalogue row index, always in the normal form of its kind.
const std::string& stored_value(int index);
void store_value(int index, const std::string& value);

void reset_all_to_defaults();
// Each reader adds the lines it did not understand to rejected, when given.
ReadResult read_settings_file(const std::string& path,
                              std::vector<RejectedLine>* rejected = nullptr);
// Reads the same lines from text already in memory; the store is changed the same way.
int32_t read_settings_text(const std::string& text);
// The same, with every count of ReadResult.
ReadResult read_settings_lines(const std::string& text,
                               std::vector<RejectedLine>* rejected = nullptr);
// Defaults, then the settings file over them; notes what a rewrite would drop.
void load_settings();
// The store as load_settings last left it: what a command found before it changed anything.
const std::vector<std::string>& values_when_loaded();

// Lines of the settings file as last read (by load_settings or settings_file_values) that a
// rewrite leaves out: comments, and lines not understood. forget_dropped_lines is called once
// they are kept elsewhere or written over.
int32_t lines_a_rewrite_drops();
void forget_dropped_lines();
// Keeps the settings file, when there is one, as fennick.ini.bak, or at the next free number
// (fennick.ini.bak.1, .2, ...) when that holds another earlier state: no earlier state is ever
// overwritten, and one already kept is not kept twice. Returns the path of the backup holding
// the file's bytes, or "" when there was no file.
std::string back_up_settings_file();

// The values the settings file holds now (defaults where it says nothing), in catalogue order;
// the store itself is left as it is.
std::vector<std::string> settings_file_values();
// The lines of the settings file that a read does not understand, in file order; the store and
// the count of lines a rewrite drops are left as they are.
std::vector<RejectedLine> settings_file_rejected_lines();
void save_if_migrated();
std::string settings_text();

std::string escape_value(const std::string& text);
std::string unescape_value(const std::string& text);
