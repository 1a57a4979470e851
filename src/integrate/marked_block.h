// A block of lines the program keeps in a file of the user's between a start and an end marker
// line (the prompt hook in the rc files, the path-bar import in GTK's user stylesheet), and what
// an update of such a file did.
#pragma once

#include <string>
#include <string_view>

// The bytes [begin, end) of a text that are its block.
struct BlockSpan {
  size_t begin;
  size_t end;
};

// The block ends at the first end marker that follows a start marker, and begins at the start
// marker nearest before it: a stray start marker higher up (a block the user cut short) is the
// user's text and is kept, as is a stray end marker before the block. The line end after the
// end marker is the block's; a block without one ends the text, and the line feed before it is
// the block's. False when the text holds no block.
bool find_marked_block(const std::string& text, std::string_view start_marker,
                       std::string_view end_marker, BlockSpan& span);

// The text without its block; every other byte stays as it was.
std::string strip_marked_block(const std::string& text, std::string_view start_marker,
                               std::string_view end_marker);

// True when the text holds exactly this block (markers and lines between them, as written).
bool holds_block(const std::string& text, const std::string& block, std::string_view start_marker,
                 std::string_view end_marker);

enum class BlockChange { Added, Removed, Unchanged, Skipped };

// What happened to one file.
struct BlockUpdate {
  std::string path;
  BlockChange change;
  std::string backup;     // where its old bytes were kept; empty when it did not change
  std::string note = {};  // why a skipped file was skipped
};

// One line for the user: "added block to PATH", "removed block from PATH", "unchanged: PATH",
// "skipped: PATH (NOTE)".
std::string block_update_line(const BlockUpdate& update);
