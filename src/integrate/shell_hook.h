// The three-line block in ~/.bashrc and ~/.zshrc that sources the prompt script.
#pragma once

#include <functional>
#include <string>

#include "integrate/marked_block.h"

extern const char kHookStartMarker[];
// The start marker of a block put below a last line without a line feed (marked_block.h).
extern const char kHookStartAfterLineFeed[];
extern const char kHookEndMarker[];

std::string hook_block();
// True when the rc file's text holds the block as it would be written now.
bool holds_hook_block(const std::string& text);
// The bytes without their hook block; every other byte stays as it was. The block runs from its
// start marker line to the line end after its end marker line; the line feed before it goes
// with it when it added that line feed itself and still ends the bytes (marked_block.h).
std::string strip_hook_block(const std::string& text);
// The bytes with their hook block (a new one) at the end, on lines of its own, and every other
// byte as it was: strip_hook_block gives them back. The block always ends with a line feed;
// below a last line without one, it adds one before itself and says so in its start marker.
std::string add_hook_block(const std::string& text);
// Adds the block to both rc files (remove = false) or removes it, and tells on_update about each
// file as soon as it is done, so that a failure on the second leaves the first one reported. A
// missing ~/.zshrc is skipped when adding; a file that already holds the block as it would be
// written is left unchanged. A file about to change is first kept as a backup beside it, unless
// it holds nothing but the block. A removal leaves nothing that the program alone made: no
// backup that holds only the block, and no rc file that it created and that is now empty.
void update_shell_hooks(bool remove, const std::function<void(const BlockUpdate&)>& on_update);
