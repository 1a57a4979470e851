#include "generate/apply.h"

#include "generate/prompt_script.h"
#include "generate/stylesheet.h"
#include "settings/ascii_text.h"
#include "settings/atomic_file.h"
#include "settings/locations.h"
#include "settings/settings_file.h"

ApplyOutcome apply_settings() {
  ApplyOutcome outcome;
  if (lines_a_rewrite_drops() > 0) {
    outcome.backup = back_up_settings_file();
    if (!outcome.backup.empty()) outcome.dropped_lines = lines_a_rewrite_drops();
  }
  write_file_atomic(settings_path(), settings_text());
  forget_dropped_lines();
  write_file_atomic(stylesheet_path(), generate_stylesheet());
  write_file_atomic(nemo_stylesheet_path(), generate_nemo_stylesheet());
  write_file_atomic(prompt_script_path(), prompt_script());
  return outcome;
}

std::string dropped_lines_notice(const ApplyOutcome& outcome) {
  if (outcome.dropped_lines == 0) return "";
  return std::to_string(outcome.dropped_lines) + " line(s) of " + printable(settings_path()) +
         " were comments or not understood and are not in the rewritten file; the old file is " +
         "kept in " + printable(outcome.backup);
}
