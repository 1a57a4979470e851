#include "cli/commands.h"
#include "generate/apply.h"
#include "settings/console.h"

void save_and_apply() {
  const std::string notice = dropped_lines_notice(apply_settings());
  if (!notice.empty()) print_err("fennick: " + notice + "\n");
}
