// The one way the program runs other programs.
#pragma once

#include <sys/types.h>

#include <string>
#include <vector>

struct CommandResult {
  bool ok;             // started, ran to its end, exit status 0
  std::string output;  // everything it wrote on standard output
};

// Runs a program found on the search path with the given arguments, directly (no shell), with
// nothing on its standard input and its standard error dropped; waits for it.
CommandResult run_command(const std::string& program, const std::vector<std::string>& args);

// Runs "/bin/sh -c command_line" and waits; returns the raw wait status (-1 when no process
// could be created). Interrupt and quit are ignored by the program meanwhile.
int run_shell(const std::string& command_line);

// Starts a program with the given arguments, sharing our standard input, output and error, and
// returns at once with its process id (0 when it could not be started).
pid_t start_program(const std::string& path, const std::vector<std::string>& args);
// True once a program started by start_program has ended (it is then collected).
bool has_ended(pid_t pid);

// Starts "/bin/sh -c command_line" and returns at once; the shell is nobody's child of ours, so
// nothing is left behind when it ends.
void start_detached_shell(const std::string& command_line);
