#include "integrate/marked_block.h"

#include <errno.h>
#include <unistd.h>

#include <algorithm>
#include <cstring>

#include "settings/atomic_file.h"
#include "settings/failure.h"
#include "settings/file_backup.h"
#include "settings/file_reader.h"
#include "settings/path_names.h"

namespace {

std::string block_with_start(std::string_view start, const BlockMarkers& markers,
                             const std::string& lines) {
  return std::string(start) + "\n" + lines + std::string(markers.end) + "\n";
}

void remove_file(const std::string& path) {
  if (unlink(path.c_str()) != 0) fail("cannot remove " + path + ": " + std::strerror(errno));
}

}  // namespace

bool find_marked_block(const std::string& text, const BlockMarkers& markers, BlockSpan& span) {
  bool start_seen = false;
  bool added_line_feed = false;
  for (size_t begin = 0; begin < text.size();) {
    const size_t content_end = std::min(text.find_first_of("\r\n", begin), text.size());
    size_t next = content_end;
    if (next < text.size()) next += text.compare(next, 2, "\r\n") == 0 ? 2 : 1;
    const std::string_view line(text.data() + begin, content_end - begin);
    if (line == markers.start || line == markers.start_after_line_feed) {
      start_seen = true;
      added_line_feed = line == markers.start_after_line_feed;
      span.begin = begin;
    } else if (start_seen && line == markers.end) {
      span.end = next;
      const bool owns_line_feed = added_line_feed || content_end == text.size();
      if (next == text.size() && owns_line_feed && span.begin > 0 && text[span.begin - 1] == '\n')
        --span.begin;
      return true;
    }
    begin = next;
  }
  return false;
}

std::string strip_marked_block(const std::string& text, const BlockMarkers& markers) {
  BlockSpan span;
  if (!find_marked_block(text, markers, span)) return text;
  return text.substr(0, span.begin) + text.substr(span.end);
}

std::string marked_block(const BlockMarkers& markers, const std::string& lines) {
  return block_with_start(markers.start, markers, lines);
}

bool holds_block(const std::string& text, const BlockMarkers& markers, const std::string& lines) {
  BlockSpan span;
  if (!find_marked_block(text, markers, span)) return false;
  const std::string_view found(text.data() + span.begin, span.end - span.begin);
  return found == marked_block(markers, lines) ||
         found == "\n" + block_with_start(markers.start_after_line_feed, markers, lines) ||
         found == block_with_start(markers.start_after_line_feed, markers, lines);
}

std::string insert_marked_block(const std::string& text, size_t at, const BlockMarkers& markers,
                                const std::string& lines) {
  if (at == text.size() && !text.empty() && text.back() != '\n')
    return text + "\n" + block_with_start(markers.start_after_line_feed, markers, lines);
  return text.substr(0, at) + marked_block(markers, lines) + text.substr(at);
}

BlockUpdate update_marked_file(const MarkedFileChange& change, const BlockMarkers& markers) {
  const std::string& path = change.path;
  if (change.new_text == change.old_text) return {path, BlockChange::Unchanged, ""};
  const BlockChange done = change.remove ? BlockChange::Removed : BlockChange::Added;
  const auto only_a_block = [&markers](const std::string& bytes) {
    return !bytes.empty() && strip_marked_block(bytes, markers).empty();
  };
  // A removal keeps every byte of the user's: the text it replaces is theirs plus the block, a
  // state only the program made, as is a file that holds nothing but the block.
  const bool program_state = change.tidy && (change.remove || only_a_block(change.old_text));
  const std::string backup = program_state ? "" : back_up_before_change(path);
  bool was_empty_before = false;
  if (change.tidy && change.remove) {
    for (const std::string& kept : own_backups(path)) {
      std::string bytes;
      if (access(kept.c_str(), R_OK) != 0 || !read_whole_file(kept, bytes)) continue;
      // A backup that is the file as it is now plus a block holds nothing else of the user's.
      if (only_a_block(bytes) ||
          (bytes != change.new_text && strip_marked_block(bytes, markers) == change.new_text)) {
        remove_file(kept);
      }
      was_empty_before = was_empty_before || bytes.empty();
    }
    if (change.new_text.empty() && !was_empty_before) {
      const FoundAtName found = look_at_name(path);
      if (found.taken && found.foreign.empty()) {
        remove_file(path);
        return {path, done, backup};
      }
    }
  }
  make_directories(directory_of(path));
  write_file_atomic(path, change.new_text);
  return {path, done, backup};
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
