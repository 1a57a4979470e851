// A block of lines the program keeps in a file of the user's between a start and an end marker
// line (the prompt hook in the rc files, the path-bar import in GTK's user stylesheet): finding
// it, putting it in and taking it out byte for byte, updating the file, and what that did.
#pragma once

#include <string>
#include <string_view>

// The marker lines of one kind of block. A marker counts only as a whole line that reads exactly
// so, ended by LF, CR LF, CR or the end of the text; the same words inside a line (in a comment
// of the user's, say) are the user's text.
struct BlockMarkers {
  std::string_view start;
  // The start marker of a block that was put below a last line without a line feed and so added
  // one before itself: that line feed is the block's while the block ends the text.
  std::string_view start_after_line_feed;
  std::string_view end;
};

// The bytes [begin, end) of a text that are its block.
struct BlockSpan {
  size_t begin;
  size_t end;
};

// The block ends at the first end marker line that follows a start marker line, and begins at
// the start marker line nearest before it: a stray start marker higher up (a block the user cut
// short) is the user's text and is kept, as is a stray end marker before the block. The line end
// after the end marker is the block's. When the block ends the text, the line feed before it is
// the block's too if it starts with start_after_line_feed or its end marker has no line end (as
// blocks were once written below a last line without one). False when the text holds no block.
bool find_marked_block(const std::string& text, const BlockMarkers& markers, BlockSpan& span);

// The text without its block; every other byte stays as it was.
std::string strip_marked_block(const std::string& text, const BlockMarkers& markers);

// The block with these lines (each ended by a line feed) between its markers.
std::string marked_block(const BlockMarkers& markers, const std::string& lines);

// True when the text holds the block with these lines as the program writes it (with either
// start marker, each line ended by a line feed).
bool holds_block(const std::string& text, const BlockMarkers& markers, const std::string& lines);

// The text with the block put in at byte `at` (the start of a line, or the end of the text) and
// every other byte as it was, so that strip_marked_block gives the text back. At the end of a
// text whose last byte is no line feed, the block goes below a line feed of its own and starts
// with start_after_line_feed. The block always ends with a line feed, so that a line appended to
// the file later stands on a line of its own.
std::string insert_marked_block(const std::string& text, size_t at, const BlockMarkers& markers,
                                const std::string& lines);

enum class BlockChange { Added, Removed, Unchanged, Skipped };

// What happened to one file.
struct BlockUpdate {
  std::string path;
  BlockChange change;
  std::string backup;     // where its old bytes were kept; empty when it did not change
  std::string note = {};  // why a skipped file was skipped
};

// One change of a file that holds a block.
struct MarkedFileChange {
  std::string path;
  std::string old_text;  // the file's bytes; empty when there is none
  std::string new_text;  // the bytes with the block added or taken out
  bool remove;
  // Leave nothing that the program alone made: no backup of bytes that are only a block; after
  // a removal, none of the file's backups that holds only a block, and no empty file that the
  // program created (a regular file at path itself that no backup shows empty before a change).
  bool tidy;
};

// Writes the new text (creating the file's folder when missing), first keeping the old bytes as
// a backup beside the file (file_backup.h); a text that did not change leaves the file untouched.
BlockUpdate update_marked_file(const MarkedFileChange& change, const BlockMarkers& markers);

// One line for the user: "added block to PATH", "removed block from PATH", "unchanged: PATH",
// "skipped: PATH (NOTE)".
std::string block_update_line(const BlockUpdate& update);
