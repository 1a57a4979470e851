// Small text rules shared by every prompt generator: colours, bold, escaping and quoting.
#pragma once

#include <string>

#include "settings/value_access.h"  // parse_hex_colour

enum class ShellDialect { Bash, Zsh };

// "R;G;B" in decimal, or the fallback when the colour does not parse.
std::string rgb_triplet_or(const std::string& colour, const std::string& fallback);
// What colour_wrap puts before and after a piece; both empty without colour and bold.
struct ColourSequences {
  std::string opening;
  std::string closing;
};
ColourSequences colour_sequences(ShellDialect dialect, const std::string& colour_key);
// The piece with the colour of terminal.<colour_key> and the bold setting around it.
std::string colour_wrap(ShellDialect dialect, const std::string& colour_key,
                        const std::string& piece);
// Literal text made safe to stand between double quotes in prompt.sh and show as written.
std::string escape_prompt_text(ShellDialect dialect, const std::string& text);
std::string shell_single_quote(const std::string& text);
