// The table of commands: the words that name each one, its operands and one-line description as
// the usage shows them, and the function that runs it; and the lines of the usage text, which
// name the commands they show.
#pragma once

#include <span>
#include <string>

#include "cli/command_line.h"

// What a command does with the settings file before it runs.
enum class SettingsUse {
  ReadAndUpgrade,  // reads it; a file in an older form is rewritten in the current one
  ReadOnly,        // reads it and writes nothing, not even that rewrite
  Unused,          // does not read it: the command works whatever state the file is in
};

struct CommandInfo {
  const char* words[3];     // the words that name it, its name first; unused places are null
  const char* operands;     // as the usage shows them after the name, e.g. "KEY VALUE [...]"
  const char* description;  // what it does, on one line
  int (*run)(const CommandLine& line);
  // Holds the settings lock from reading the settings file to writing the generated files.
  bool changes_settings = false;
  // Also runs when no command word is given (on a display); the usage shows its name in brackets.
  bool word_optional = false;
  // The options it takes besides -h/--help, separated by blanks, e.g. "--yes".
  const char* options = "";
  // Its operands as its own usage line shows them, when they differ from `operands`.
  const char* usage_operands = nullptr;
  // Operands it takes at most; -1 for no limit.
  int max_operands = -1;
  // Every second operand is a value, which may begin with "-" (set KEY VALUE ...).
  bool takes_values = false;
  // Reads -h and --help as operands like any other word (help itself); another word that begins
  // with "-" is still an unknown option.
  bool raw_operands = false;
  SettingsUse settings = SettingsUse::ReadAndUpgrade;
};

// A line of the usage text: the names of the commands it shows, joined by " | ", each with its
// operands, then its description: the first command's own, unless the line has one that covers
// all of its commands. Unused places are null.
struct UsageLine {
  const char* commands[3];
  const char* description = nullptr;
};

// Every command, in dispatch order: the first row with a matching word runs.
std::span<const CommandInfo> command_table();

// The command that the (lower-cased) word names, or null.
const CommandInfo* find_command(const std::string& word);

// The lines of the usage text in their order; together they show every command once.
std::span<const UsageLine> usage_lines();

// The description a usage line shows.
const char* usage_line_description(const UsageLine& usage);
