// Entry point: runs the command line and reports an error nobody below could handle.
#include <errno.h>

#include <cstdio>
#include <cstring>
#include <exception>
#include <string>

#include "cli/dispatcher.h"
#include "settings/ascii_text.h"
#include "settings/console.h"

int main(int argc, char** argv) {
  int status;
  try {
    status = run_command_line(argc, argv);
  } catch (const std::exception& error) {
    std::fflush(stdout);
    // One line: a message that already ends its line gets no second line end, and control
    // characters from the user's names and values inside it are shown escaped.
    std::string_view what = error.what();
    if (!what.empty() && what.back() == '\n') what.remove_suffix(1);
    print_err("fennick: " + printable(what) + "\n");
    return 1;
  }
  // Output that could not be written (a full disk, a closed pipe) is a failed run, not a success.
  if (std::fflush(stdout) != 0 || std::ferror(stdout)) {
    print_err("fennick: cannot write standard output: " + std::string(std::strerror(errno)) + "\n");
    return 1;
  }
  return status;
}
