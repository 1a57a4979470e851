// The settings store (the current value of every catalogue row) and the settings file.
#pragma once

#include <cstdint>
#include <string>

struct ReadResult {
  int32_t not_understood;  // lines skipped because they were not understood
  bool existed;
};

// Current value of catalogue row index, always in the normal form of its kind.
const std::string& stored_value(int index);
void store_value(int index, const std::string& value);

void reset_all_to_defaults();
ReadResult read_settings_file(const std::string& path);
// Reads the same lines from text already in memory; the store is changed the same way.
int32_t read_settings_text(const std::string& text);
void load_settings();
void save_if_migrated();
std::string settings_text();

std::string escape_value(const std::string& text);
std::string unescape_value(const std::string& text);
