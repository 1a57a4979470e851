// prompt.sh, the one script that bash and zsh source at start-up.
#pragma once

#include <string>

std::string prompt_script();
