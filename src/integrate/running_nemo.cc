#include "integrate/running_nemo.h"

#include <unistd.h>

#include "generate/prompt_pieces.h"
#include "integrate/desktop_switch.h"
#include "integrate/outside_programs.h"
#include "integrate/shell_quote.h"
#include "integrate/text_file.h"
#include "settings/ascii_text.h"
#include "settings/console.h"

std::string running_nemo_exe() {
  const RunOutcome found = run_command("pgrep", {"-x", "nemo"});
  if (!found.ok) return "";
  // The first process id listed.
  std::string_view pid = trimmed_view(found.output);
  pid = pid.substr(0, pid.find('\n'));
  if (pid.empty()) return "";
  char target[4096];
  ssize_t length =
      readlink(("/proc/" + std::string(pid) + "/exe").c_str(), target, sizeof target - 1);
  return length < 0 ? "" : std::string(target, static_cast<size_t>(length));
}

bool is_tuned_exe(const std::string& path) {
  return path.find("fennick") != std::string::npos;
}

std::string restart_command_line(const std::string& executable) {
  return "nemo -q; sleep 1.5; exec " + shell_word(executable);
}

bool tuned_nemo_is_default() {
  return path_exists(nemo_service_path()) && path_exists(tuned_nemo_path());
}

void restart_nemo() {
  start_detached_shell(restart_command_line(tuned_nemo_is_default() ? tuned_nemo_path() : "nemo"));
  print_out("restarting Nemo\xE2\x80\xA6\n");
}
