// The plain prompt: the layout template turned into one static prompt string per shell.
#pragma once

#include <string>

#include "generate/prompt_pieces.h"

// The prompt text for one shell, ready to stand between double quotes in prompt.sh. Each new-line
// token becomes new_line (the shell's own "\n" escape unless the caller splices in another form).
std::string plain_prompt_body(ShellDialect dialect, const std::string& new_line = "\\n");
