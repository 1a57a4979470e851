#include "cli/completion_script.h"

std::string completion_script(const std::string& shell) {
  return "# completion for " + shell + "\n";
}
