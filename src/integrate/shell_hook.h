// The three-line block in ~/.bashrc and ~/.zshrc that sources the prompt script.
#pragma once

#include <string>

extern const char kHookStartMarker[];
extern const char kHookEndMarker[];

std::string hook_block();
// The text without its hook block, and without the blank lines the removal leaves at its end.
std::string strip_hook_block(const std::string& text);
// The text with its hook block (a new one) as its last three lines.
std::string add_hook_block(const std::string& text);
// Adds the block to both rc files (remove = false) or removes it; one line per visited file.
void update_shell_hooks(bool remove);
