// The three-line block in ~/.bashrc and ~/.zshrc that sources the prompt script.
#pragma once

#include <functional>
#include <string>

#include "integrate/marked_block.h"

extern const char kHookStartMarker[];
extern const char kHookEndMarker[];

std::string hook_block();
// True when the rc file's text holds the block as it would be written now.
bool holds_hook_block(const std::string& text);
// The bytes without their hook block; every other byte stays as it was. The block runs from its
// start marker to the line end after its end marker. A block that ends the bytes without a line
// end is one that add_hook_block put below a last line without one: the line feed before it
// belongs to the block and goes with it.
std::string strip_hook_block(const std::string& text);
// The bytes with their hook block (a new one) at the end, on lines of its own, and every other
// byte as it was: strip_hook_block gives them back. Below a last line without a line end, the
// block starts with a line feed and its last line gets none.
std::string add_hook_block(const std::string& text);
// Adds the block to both rc files (remove = false) or removes it, and tells on_update about each
// file as soon as it is done, so that a failure on the second leaves the first one reported. A
// missing ~/.zshrc is skipped when adding; a file that already holds the block as it would be
// written is left unchanged. A file about to change is first kept as a backup beside it.
void update_shell_hooks(bool remove, const std::function<void(const BlockUpdate&)>& on_update);
