#include "cli/doctor.h"

#include "cli/commands.h"
#include "settings/console.h"

int cmd_doctor(const CommandLine&) {
  print_out("no problems found\n");
  return 0;
}
