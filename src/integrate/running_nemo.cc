#include "integrate/running_nemo.h"

#include <unistd.h>

#include <algorithm>
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
  std::vector<std::string> folders;
  std::string text;
  try {
    if (!read_whole_file(nemo_windows_path(), text)) return folders;
  } catch (const std::runtime_error&) {
    return folders;  // unreadable: the folders cannot be known
  }
  // "pid N", then a URI a line; only while that Nemo runs is the list the one it shows.
  std::vector<std::string> lines;
  for (size_t start = 0; start < text.size();) {
    size_t end = text.find('\n', start);
    if (end == std::string::npos) end = text.size();
    lines.push_back(text.substr(start, end - start));
    start = end + 1;
  }
  if (lines.empty() || lines[0].rfind("pid ", 0) != 0 || lines[0].size() == 4 ||
      lines[0].find_first_not_of("0123456789", 4) != std::string::npos)
    return folders;
  std::string name;
  try {
    read_whole_file("/proc/" + lines[0].substr(4) + "/comm", name);
  } catch (const std::runtime_error&) {
    return folders;
  }
  if (name != "nemo\n") return folders;
  for (size_t i = 1; i < lines.size(); ++i) {
    const std::string& uri = lines[i];
    const bool printable_text = std::all_of(uri.begin(), uri.end(), [](char c) {
      return static_cast<unsigned char>(c) >= 32 && c != 127;
    });
    if (printable_text && uri.find("://") != std::string::npos &&
        std::find(folders.begin(), folders.end(), uri) == folders.end()) {
      folders.push_back(uri);
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
