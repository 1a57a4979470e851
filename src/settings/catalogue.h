// The fixed catalogue of every setting the program knows, in file and display order.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

enum class SettingKind : int32_t { Bool, Int, Text, Colour, Font, Choice, Keys };

// One row. The texts point at the program's own constant strings and live for the whole run.
struct Setting {
  std::string_view section;
  std::string_view key;
  SettingKind kind;
  std::string_view default_value;  // already in the normal form of its kind
  int32_t min;                     // bounds of an Int row; 0 otherwise
  int32_t max;
  std::string_view choices;  // comma-separated words of a Choice row; empty otherwise
  std::string_view page;
  std::string_view group;
  std::string_view label;
  std::string_view hint;
};

// Fills the process-wide catalogue with every row, in order. Called once per run, first of all.
void build_catalogue();

void add_setting(const char* section, const char* key, SettingKind kind, const char* default_value,
                 int32_t min, int32_t max, const char* choices, const char* page, const char* group,
                 const char* label, const char* hint);
void add_plain_setting(const char* section, const char* key, SettingKind kind,
                       const char* default_value, const char* page, const char* group,
                       const char* label, const char* hint);

int setting_count();
const Setting& setting_at(int index);
// "section.key" of row index.
std::string setting_name(int index);
