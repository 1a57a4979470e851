// One function per command word; each returns the exit status of the run.
#pragma once

#include "cli/command_line.h"

// usage.cc
int cmd_help(const CommandLine& line);
int cmd_version(const CommandLine& line);

// settings_commands.cc
int cmd_list(const CommandLine& line);
int cmd_get(const CommandLine& line);
int cmd_set(const CommandLine& line);
int cmd_reset(const CommandLine& line);

// generate_commands.cc
int cmd_apply(const CommandLine& line);
int cmd_css(const CommandLine& line);
int cmd_prompt(const CommandLine& line);
