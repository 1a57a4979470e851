#include "integrate/running_nemo.h"

#include <unistd.h>

#include "generate/prompt_pieces.h"
#include "integrate/desktop_switch.h"
#include "integrate/outside_programs.h"
#include "integrate/shell_quote.h"
#include "integrate/text_file.h"
#include "settings/console.h"

std::string running_nemo_exe() {
  CommandResult found = run_command("pgrep", {"-x", "nemo"});
  if (!found.ok) return "";
  const std::string& output = found.output;
  size_t begin = 0;
  size_t end = output.size();
  while (begin < end && static_cast<unsigned char>(output[begin]) < 33)
    ++begin;
  while (end > begin && static_cast<unsigned char>(output[end - 1]) < 33)
    --end;
  const size_t line_feed = output.find('\n', begin);
  if (line_feed < end) end = line_feed;
  if (begin == end) return "";
  char target[4096];
  ssize_t length = readlink(("/proc/" + output.substr(begin, end - begin) + "/exe").c_str(), target,
                            sizeof target - 1);
  return length < 0 ? "" : std::string(target, static_cast<size_t>(length));
}

bool is_tuned_exe(const std::string& path) {
  return path.find("fennick") != std::string::npos;
}

std::string restart_command_line(const std::string& executable) {
  const std::string inner = "nemo -q; sleep 1.5; exec " + shell_word(executable);
  return "setsid sh -c " + shell_single_quote(inner) + " >/dev/null 2>&1 &";
}

void restart_nemo() {
  const std::string tuned = tuned_nemo_path();
  const bool use_tuned = path_exists(nemo_service_path()) && path_exists(tuned);
  start_detached_shell(restart_command_line(use_tuned ? tuned : "nemo"));
  print_out("restarting Nemo\xE2\x80\xA6\n");
}
