#include "cli/doctor.h"

#include "cli/commands.h"
#include "settings/ascii_text.h"
#include "settings/console.h"

std::string doctor_report(const Problems& problems) {
  std::string text;
  for (const Problem& problem : problems)
    text += printable(problem.what) + "\n  fix: " + printable(problem.fix) + "\n";
  if (problems.empty()) return text + "no problems found\n";
  const size_t count = problems.size();
  return text + std::to_string(count) + (count == 1 ? " problem" : " problems") + " found\n";
}

int cmd_doctor(const CommandLine&) {
  const Problems problems = find_problems();
  print_out(doctor_report(problems));
  return problems.empty() ? 0 : 1;
}
