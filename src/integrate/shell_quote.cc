#include "integrate/shell_quote.h"

#include <cstring>

#include "generate/prompt_pieces.h"

namespace {

bool is_plain(char c) {
  return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') ||
         (c != '\0' && std::strchr("/._-+,:@%=", c) != nullptr);
}

}  // namespace

std::string shell_word(const std::string& text) {
  if (text.empty()) return shell_single_quote(text);
  for (char c : text) {
    if (!is_plain(c)) return shell_single_quote(text);
  }
  return text;
}

std::string key_file_escaped(const std::string& text) {
  std::string out;
  for (char c : text) {
    if (c == '\\') out += '\\';
    out += c;
  }
  return out;
}

std::string double_quote_escaped(const std::string& text) {
  std::string out;
  for (char c : text) {
    if (c == '\\' || c == '"' || c == '$' || c == '`') out += '\\';
    out += c;
  }
  return out;
}
