// Tokens of the prompt layout template: "{" name "}", closed by the first "}" after the "{".
#pragma once

#include <string>

// When a token starts at pos, sets its name and the position of its closing brace.
inline bool token_at(const std::string& layout, size_t pos, std::string& name, size_t& close) {
  if (layout[pos] != '{') return false;
  close = layout.find('}', pos);
  if (close == std::string::npos) return false;
  name.assign(layout, pos + 1, close - pos - 1);
  return true;
}
