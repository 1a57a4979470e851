#include "cli/man_roff.h"

namespace {

const char kHexDigits[] = "0123456789ABCDEF";

// Characters that groff's ASCII device cannot show, and what it shows instead.
struct Fallback {
  char32_t code;
  const char* ascii;
};
const Fallback kFallbacks[] = {
    {0x2026, "..."},
};

// Decodes the UTF-8 sequence that starts at text[i] and moves i past it; U+FFFD for a byte that
// does not start a well-formed sequence.
char32_t next_code_point(std::string_view text, size_t& i) {
  const unsigned char lead = static_cast<unsigned char>(text[i++]);
  int following;
  if (lead >= 0xC2 && lead <= 0xDF) {
    following = 1;
  } else if (lead >= 0xE0 && lead <= 0xEF) {
    following = 2;
  } else if (lead >= 0xF0 && lead <= 0xF4) {
    following = 3;
  } else {
    return 0xFFFD;
  }
  char32_t code = lead & (0x3F >> following);
  for (int n = 0; n < following; ++n) {
    if (i >= text.size() || (static_cast<unsigned char>(text[i]) & 0xC0) != 0x80) return 0xFFFD;
    code = (code << 6) | (static_cast<unsigned char>(text[i++]) & 0x3F);
  }
  return code;
}

// groff's name of a Unicode character: "u" and at least four upper-case hexadecimal digits.
std::string unicode_escape(char32_t code) {
  std::string digits;
  for (; code != 0 || digits.size() < 4; code >>= 4)
    digits.insert(digits.begin(), kHexDigits[code & 15]);
  return "\\[u" + digits + "]";
}

}  // namespace

std::string roff_fallbacks() {
  std::string out;
  for (const Fallback& fallback : kFallbacks) {
    const std::string name = unicode_escape(fallback.code);
    out += ".if !c" + name + " .char " + name + " " + fallback.ascii + "\n";
  }
  return out;
}

std::string roff_escaped(std::string_view text) {
  std::string out;
  out.reserve(text.size() + 8);
  for (size_t i = 0; i < text.size();) {
    const unsigned char byte = static_cast<unsigned char>(text[i]);
    if (byte >= 0x80) {
      out += unicode_escape(next_code_point(text, i));
      continue;
    }
    ++i;
    if (byte == '\\') {
      out += "\\e";
    } else if (byte == '-') {
      out += "\\-";
    } else if (byte < 32 || byte == 127) {
      out += ' ';
    } else {
      out += static_cast<char>(byte);
    }
  }
  return out;
}

std::string roff_bold(std::string_view text) {
  return "\\fB" + roff_escaped(text) + "\\fR";
}

std::string roff_italic(std::string_view text) {
  return "\\fI" + roff_escaped(text) + "\\fR";
}

std::string roff_marked(std::string_view text) {
  std::string out;
  bool bold = false;
  for (size_t start = 0; start <= text.size();) {
    size_t quote = text.find('`', start);
    if (quote == std::string_view::npos) quote = text.size();
    const std::string_view span = text.substr(start, quote - start);
    out += bold ? roff_bold(span) : roff_escaped(span);
    bold = !bold;
    start = quote + 1;
  }
  return out;
}

std::string roff_line(std::string_view markup) {
  while (!markup.empty() && markup.back() == ' ')
    markup.remove_suffix(1);
  const bool protect =
      !markup.empty() && (markup[0] == '.' || markup[0] == '\'' || markup[0] == ' ');
  return (protect ? "\\&" : "") + std::string(markup) + "\n";
}

std::string roff_request(std::string_view request, std::string_view argument) {
  std::string quoted;
  for (char c : roff_escaped(argument))
    quoted += c == '"' ? std::string("\\(dq") : std::string(1, c);
  return std::string(request) + " \"" + quoted + "\"\n";
}
