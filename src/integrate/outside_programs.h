// The one way the program runs other programs.
#pragma once

#include <sys/types.h>

#include <string>
#include <vector>

// How a program that was waited for ended.
struct RunOutcome {
  int status = -1;     // the raw wait status; -1 when no process could be started
  bool ok = false;     // started, ran to its end, exit status 0 (follows from status)
  std::string output;  // what it wrote on standard output, when that was captured
  std::string errors;  // what it wrote on standard error, when that was captured; when it could
                       // not be started, the runner's note of why
};

// Runs a program found on the search path with the given arguments, directly (no shell), with
// nothing on its standard input, and both of its outputs captured; waits for it.
RunOutcome run_command(const std::string& program, const std::vector<std::string>& args);

// Runs "/bin/sh -c command_line" on our own standard input, output and error, and waits; nothing
// is captured. Interrupt and quit are ignored by the program meanwhile.
RunOutcome run_shell(const std::string& command_line);

// Why a run failed, on one line: the last line of its standard error with blanks trimmed, else
// how it ended ("exit status N", "killed by signal N").
std::string failure_reason(const RunOutcome& outcome);

// Starts a program with the given arguments, sharing our standard input, output and error, and
// returns at once with its process id (0 when it could not be started).
pid_t start_program(const std::string& path, const std::vector<std::string>& args);
// True once a program started by start_program has ended (it is then collected).
bool has_ended(pid_t pid);

// Starts "/bin/sh -c command_line" in a session of its own, with /dev/null as its standard input,
// output and error, and returns at once; the shell is nobody's child of ours, so nothing is left
// behind when it ends.
void start_detached_shell(const std::string& command_line);
