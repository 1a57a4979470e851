#include "generate/prompt_pieces.h"

#include "settings/value_access.h"

std::string rgb_triplet_or(const std::string& colour, const std::string& fallback) {
  int red, green, blue;
  if (!parse_hex_colour(colour, red, green, blue)) return fallback;
  return std::to_string(red) + ";" + std::to_string(green) + ";" + std::to_string(blue);
}

ColourSequences colour_sequences(ShellDialect dialect, const std::string& colour_key) {
  const std::string colour = get_value("terminal", colour_key);
  const bool bold = get_bool("terminal", "bold");
  int red, green, blue;
  const bool coloured = parse_hex_colour(colour, red, green, blue);
  ColourSequences result;
  if (dialect == ShellDialect::Bash) {
    if (coloured) {
      result.opening = "\\[\\e[38;2;" + std::to_string(red) + ";" + std::to_string(green) + ";" +
                       std::to_string(blue) + "m\\]";
    }
    if (bold) result.opening += "\\[\\e[1m\\]";
    if (!result.opening.empty()) result.closing = "\\[\\e[0m\\]";
  } else {
    if (coloured) result.opening = "%F{" + colour + "}";
    if (bold) result.opening += "%B";
    if (!result.opening.empty()) {
      result.closing = std::string(bold ? "%b" : "") + (coloured ? "%f" : "");
    }
  }
  return result;
}

std::string colour_wrap(ShellDialect dialect, const std::string& colour_key,
                        const std::string& piece) {
  const ColourSequences sequences = colour_sequences(dialect, colour_key);
  return sequences.opening + piece + sequences.closing;
}

std::string escape_prompt_text(ShellDialect dialect, const std::string& text) {
  const bool bash = dialect == ShellDialect::Bash;
  std::string out;
  out.reserve(text.size() + 8);
  for (char c : text) {
    switch (c) {
      case '"':
        out += "\\\"";
        break;
      case '$':
        out += "\\$";
        break;
      case '\\':
        out += bash ? "\\\\\\\\" : "\\\\";
        break;
      case '`':
        out += "\\`";
        break;
      case '%':
        out += bash ? "%" : "%%";
        break;
      default:
        out += c;
    }
  }
  return out;
}

std::string shell_single_quote(const std::string& text) {
  std::string out = "'";
  for (char c : text) {
    if (c == '\'') {
      out += "'\\''";
    } else {
      out += c;
    }
  }
  out += '\'';
  return out;
}
