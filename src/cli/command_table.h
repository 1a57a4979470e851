// The table of commands: the words that name each one, its operands and one-line description as
// the usage shows them, and the function that runs it; and the lines of the usage text, which
// name the commands they show.
#pragma once

#include <span>
#include <string>

#include "cli/command_line.h"

struct CommandInfo {
  const char* words[3];  // the words that name it, its name first; unused places are null
  const char* operands;  // as the usage shows them after the name, e.g. "KEY VALUE [...]"
  // One line. Empty when the usage line shows none, or when the command is shown after another
  // on one usage line: then the description of that line's first command covers both.
  const char* description;
  int (*run)(const CommandLine& line);
  // Holds the settings lock from reading the settings file to writing the generated files.
  bool changes_settings = false;
  // Also runs when no command word is given (on a display); the usage shows its name in brackets.
  bool word_optional = false;
};

// A line of the usage text: the names of the commands it shows, joined by " | ", each with its
// operands, then the description of the first. Unused places are null.
struct UsageLine {
  const char* commands[3];
};

// Every command, in dispatch order: the first row with a matching word runs.
std::span<const CommandInfo> command_table();

// The command that the (lower-cased) word names, or null.
const CommandInfo* find_command(const std::string& word);

// The lines of the usage text in their order; together they show every command once.
std::span<const UsageLine> usage_lines();
