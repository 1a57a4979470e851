#include "integrate/running_nemo.h"

#include <unistd.h>

#include <algorithm>
#include <sstream>
#include <stdexcept>

#include "generate/prompt_pieces.h"
#include "integrate/desktop_switch.h"
#include "integrate/outside_programs.h"
#include "integrate/shell_quote.h"
#include "integrate/text_file.h"
#include "settings/ascii_text.h"
#include "settings/console.h"
#include "settings/file_reader.h"
#include "settings/locations.h"

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

std::string restart_command_line(const std::string& executable,
                                 const std::vector<std::string>& folders) {
  std::string line = "nemo -q; sleep 1.5; exec " + shell_word(executable);
  for (const std::string& folder : folders)
    line += " " + shell_word(folder);
  return line;
}

std::vector<std::string> open_nemo_folders() {
  std::string text;
  try {
    if (!read_whole_file(nemo_windows_path(), text)) return {};
  } catch (const std::runtime_error&) {
    return {};  // unreadable: the folders cannot be known
  }
  // "pid N", then a URI a line; only while that Nemo runs is the list the one it shows.
  std::istringstream lines(text);
  std::string line;
  if (!std::getline(lines, line) || line.size() <= 4 || line.rfind("pid ", 0) != 0 ||
      line.find_first_not_of("0123456789", 4) != std::string::npos)
    return {};
  std::string name;
  try {
    read_whole_file("/proc/" + line.substr(4) + "/comm", name);
  } catch (const std::runtime_error&) {
    return {};
  }
  if (name != "nemo\n") return {};
  std::vector<std::string> folders;
  while (std::getline(lines, line)) {
    if (printable(line) == line && line.find("://") != std::string::npos &&
        std::find(folders.begin(), folders.end(), line) == folders.end()) {
      folders.push_back(line);
    }
  }
  return folders;
}

bool tuned_nemo_is_default() {
  return path_exists(nemo_service_path()) && path_exists(tuned_nemo_path());
}

void restart_nemo() {
  start_detached_shell(restart_command_line(tuned_nemo_is_default() ? tuned_nemo_path() : "nemo",
                                            open_nemo_folders()));
  print_out("restarting Nemo\xE2\x80\xA6\n");
}
