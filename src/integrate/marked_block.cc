#include "integrate/marked_block.h"

bool find_marked_block(const std::string& text, std::string_view start_marker,
                       std::string_view end_marker, BlockSpan& span) {
  const size_t first_start = text.find(start_marker);
  if (first_start == std::string::npos) return false;
  const size_t end = text.find(end_marker, first_start);
  if (end == std::string::npos) return false;
  span.begin = text.rfind(start_marker, end);
  span.end = end + end_marker.size();
  if (span.end == text.size()) {
    if (span.begin > 0 && text[span.begin - 1] == '\n') --span.begin;
  } else if (text.compare(span.end, 2, "\r\n") == 0) {
    span.end += 2;
  } else if (text[span.end] == '\n' || text[span.end] == '\r') {
    ++span.end;
  }
  return true;
}

std::string strip_marked_block(const std::string& text, std::string_view start_marker,
                               std::string_view end_marker) {
  BlockSpan span;
  if (!find_marked_block(text, start_marker, end_marker, span)) return text;
  return text.substr(0, span.begin) + text.substr(span.end);
}

bool holds_block(const std::string& text, const std::string& block, std::string_view start_marker,
                 std::string_view end_marker) {
  BlockSpan span;
  return find_marked_block(text, start_marker, end_marker, span) &&
         text.compare(span.begin, span.end - span.begin, block) == 0;
}

std::string block_update_line(const BlockUpdate& update) {
  switch (update.change) {
    case BlockChange::Added:
      return "added block to " + update.path;
    case BlockChange::Removed:
      return "removed block from " + update.path;
    case BlockChange::Unchanged:
      break;
    case BlockChange::Skipped:
      return "skipped: " + update.path + " (" + update.note + ")";
  }
  return "unchanged: " + update.path;
}
