// The two text rules used throughout: ASCII-only lower-casing, and trimming of characters below
// code 33 (blanks, tabs, line ends and other control characters) at both ends.
#pragma once

#include <string>
#include <string_view>

inline char ascii_lower(char c) {
  return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

inline std::string ascii_lowered(std::string_view text) {
  std::string lowered(text);
  for (char& c : lowered)
    c = ascii_lower(c);
  return lowered;
}

inline std::string_view trimmed_view(std::string_view text) {
  size_t begin = 0;
  size_t end = text.size();
  while (begin < end && static_cast<unsigned char>(text[begin]) < 33)
    ++begin;
  while (end > begin && static_cast<unsigned char>(text[end - 1]) < 33)
    --end;
  return text.substr(begin, end - begin);
}

inline std::string trimmed(std::string_view text) {
  return std::string(trimmed_view(text));
}

// The text with its control characters (codes below 32, and 127) written as escapes, "\n",
// "\r", "\t" or "\xNN", for showing a value or a name from the user in a message or a list:
// a terminal never receives them raw. Other bytes, UTF-8 included, stay as they are.
inline std::string printable(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  for (char c : text) {
    const unsigned char byte = static_cast<unsigned char>(c);
    if (byte >= 32 && byte != 127) {
      out += c;
    } else if (c == '\n') {
      out += "\\n";
    } else if (c == '\r') {
      out += "\\r";
    } else if (c == '\t') {
      out += "\\t";
    } else {
      const char* digits = "0123456789abcdef";
      out += "\\x";
      out += digits[byte >> 4];
      out += digits[byte & 15];
    }
  }
  return out;
}
