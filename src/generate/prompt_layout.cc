#include "generate/prompt_layout.h"

namespace {

const char* const kTokenNames[] = {"user", "host", "time", "cwd", "git", "exit", "sym", "nl"};

// Finds tokens from left to right. The "}" found for one "{" closes every later "{" before it,
// so the template is searched once whatever it holds.
struct TokenScanner {
  const std::string& layout;
  size_t close = 0;
  bool searched = false;

  // When a token starts at pos, sets its name and the position of its closing brace.
  bool token_at(size_t pos, std::string_view& name, size_t& end) {
    if (layout[pos] != '{') return false;
    if (!searched || (close != std::string::npos && close < pos)) {
      close = layout.find('}', pos);
      searched = true;
    }
    if (close == std::string::npos) return false;
    end = close;
    name = std::string_view(layout).substr(pos + 1, close - pos - 1);
    return true;
  }
};

bool is_known_token(std::string_view name) {
  for (const char* known : kTokenNames) {
    if (name == known) return true;
  }
  return false;
}

}  // namespace

const char kSymbolMarker[] = "@@SYM@@";

std::vector<LayoutPart> plain_layout_parts(const std::string& layout) {
  std::vector<LayoutPart> parts;
  TokenScanner scanner{layout};
  size_t literal_start = 0;
  size_t pos = 0;
  auto end_literal = [&](size_t end) {
    if (end > literal_start)
      parts.push_back({false, layout.substr(literal_start, end - literal_start)});
  };
  while (pos < layout.size()) {
    std::string_view name;
    size_t close;
    if (scanner.token_at(pos, name, close) && is_known_token(name)) {
      end_literal(pos);
      parts.push_back({true, std::string(name)});
      pos = close + 1;
      literal_start = pos;
    } else {
      ++pos;
    }
  }
  end_literal(layout.size());
  return parts;
}

bool is_block_token(std::string_view name) {
  return name == "user" || name == "host" || name == "cwd" || name == "git" || name == "time" ||
         name == "exit";
}

PowerlineLayout powerline_layout(const std::string& layout) {
  std::string_view name;
  size_t close;
  // The end of the last new-line token: blocks come before it, the tail after it.
  size_t new_line_end = std::string::npos;
  {
    TokenScanner scanner{layout};
    for (size_t pos = 0; pos < layout.size(); ++pos) {
      if (scanner.token_at(pos, name, close) && name == "nl") new_line_end = close;
    }
  }
  PowerlineLayout result{{}, "", new_line_end != std::string::npos};
  TokenScanner scanner{layout};
  bool seen_block = false;
  bool seen_symbol = false;
  size_t pos = 0;
  while (pos < layout.size()) {
    if (scanner.token_at(pos, name, close)) {
      if (!result.has_new_line || pos < new_line_end) {
        if (is_block_token(name)) {
          result.blocks.emplace_back(name);
          seen_block = true;
        }
        if (!result.has_new_line && name == "sym") {
          result.tail += kSymbolMarker;
          seen_symbol = true;
        }
      } else if (name == "sym") {
        result.tail += kSymbolMarker;
      }
      pos = close + 1;
      continue;
    }
    if (result.has_new_line ? pos > new_line_end : seen_block && seen_symbol) {
      result.tail += layout[pos];
    }
    ++pos;
  }
  return result;
}

PowerlineTail split_tail(std::string_view tail) {
  const size_t marker = tail.find(kSymbolMarker);
  if (marker == std::string_view::npos) return {tail, false, {}};
  return {tail.substr(0, marker), true, tail.substr(marker + sizeof kSymbolMarker - 1)};
}

std::string token_colour_key(std::string_view token) {
  return "color_" + std::string(token);
}
