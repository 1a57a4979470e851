// The block in GTK's user stylesheet (gtk.css) that imports the path-bar rules scoped to the Nemo
// window, so that the stock Nemo shows them: every GTK 3 program reads that file, and the scope
// keeps the other programs' path bars as they are.
#pragma once

#include <string>

#include "integrate/marked_block.h"

extern const char kPathbarStartMarker[];
// The start marker of a block put below a last line without a line feed (marked_block.h).
extern const char kPathbarStartAfterLineFeed[];
extern const char kPathbarEndMarker[];

// "file://" and the path, every byte but letters, digits and "/-._~" percent-encoded.
std::string file_url(const std::string& path);
// The three lines: start marker, the @import of fennick-nemo.css, end marker.
std::string pathbar_block();
// The text with the block first (an @charset line, which must stay first, before it), and every
// other byte as it was; a text holding the block as it would be written comes back unchanged.
std::string add_pathbar_block(const std::string& text);
std::string strip_pathbar_block(const std::string& text);
// Adds the block to gtk.css (creating the file and its folder when missing) or removes it; a file
// about to change is first kept as a backup beside it. Nothing that the program alone made stays
// (marked_block.h): a gtk.css it created goes once it holds nothing else, and so do the backups
// that hold only a block.
BlockUpdate update_pathbar_block(bool remove);
// True when gtk.css holds the block as it would be written now.
bool pathbar_block_installed();
