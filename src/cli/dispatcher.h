// The whole life of a run: start-up, one command, the exit status.
#pragma once

int run_command_line(int argc, char** argv);
