// Reading, checking and storing setting values by name.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

// Index of the row with exactly this section and key, or -1.
int find_setting(const std::string& section, const std::string& key);
// "section.key" or a bare key: the index, -1 when nothing matches, -2 when a bare key is shared.
int resolve_setting_name(const std::string& name);

// Readers never fail: an unknown setting reads as empty, false or 0.
std::string get_value(const std::string& section, const std::string& key);
bool get_bool(const std::string& section, const std::string& key);
int32_t get_int(const std::string& section, const std::string& key);

// Parses an optionally signed decimal 32-bit integer; false for anything else.
bool parse_int32(const std::string& text, int32_t& number);

// True when value is acceptable for row index; value is then replaced by its normal form.
bool normalize_value(int index, std::string& value);
bool is_hex_colour(const std::string& text);
// "#RRGGBB" (either letter case) into three channels; false for any other text.
bool parse_hex_colour(const std::string& colour, int& red, int& green, int& blue);
// The words of a Choice row's comma-separated list, in order.
std::vector<std::string_view> choice_words(std::string_view choices);
std::string value_hint(int index);

// The row that a name given by the user names; -1, with problem set to the one message for the
// user, when it names none or several.
int named_setting(const std::string& name, std::string& problem);
// Stores a value given by the user by name; false, with problem set to the one message for the
// user (a bad name or value) and nothing stored, when it cannot. Unlike normalize_value, it
// refuses a number outside the row's range instead of bringing it into the range.
bool set_setting(const std::string& name, const std::string& value, std::string& problem);
