// Entry point: runs the command line and reports an error nobody below could handle.
#include <errno.h>

#include <cstdio>
#include <cstring>
#include <exception>
#include <string>

#include "cli/dispatcher.h"
#include "settings/console.h"

int main(int argc, char** argv) {
  int status;
  try {
    status = run_command_line(argc, argv);
  } catch (const std::exception& error) {
    std::fflush(stdout);
    // One line: a message that already ends its line gets no second line end.
    std::string message = "fennick: " + std::string(error.what());
    if (message.back() != '\n') message += '\n';
    print_err(message);
    return 1;
  }
  // Output that could not be written (a full disk, a closed pipe) is a failed run, not a success.
  if (std::fflush(stdout) != 0 || std::ferror(stdout)) {
    print_err("fennick: cannot write standard output: " + std::string(std::strerror(errno)) + "\n");
    return 1;
  }
  return status;
}
