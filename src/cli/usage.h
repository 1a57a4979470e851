// The usage text and the version.
#pragma once

#include <string>

#include "cli/command_table.h"

extern const char kVersion[];

// What a usage line shows of its commands, e.g. "set KEY VALUE [...]", "css | prompt", "[gui]".
std::string usage_synopsis(const UsageLine& usage);

void print_usage();

// "usage: fennick NAME OPERANDS", the command's own usage line, without a line end.
std::string command_usage(const CommandInfo& command);
// The command's usage line and description, on standard output.
void print_command_help(const CommandInfo& command);
