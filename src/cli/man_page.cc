#include "cli/man_page.h"

std::string man_page() {
  return ".TH FENNICK 1\n";
}
