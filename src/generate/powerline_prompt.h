// The powerline prompt: shell functions that rebuild the prompt as coloured blocks before each
// prompt, with the user's block order, colours and separator baked in.
#pragma once

#include <string>

#include "generate/prompt_layout.h"

std::string powerline_functions();
std::string separator_glyph();
