// The tab-completion scripts for bash and zsh, made from the command table and the catalogue.
#pragma once

#include <string>

// The script for `shell` ("bash" or "zsh"), as `fennick completion SHELL` prints it.
std::string completion_script(const std::string& shell);
