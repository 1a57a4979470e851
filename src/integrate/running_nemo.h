// Finding the running Nemo and restarting it.
#pragma once

#include <string>
#include <vector>

// The executable of the first running process named exactly "nemo"; empty when there is none or
// it cannot be read.
std::string running_nemo_exe();
// True when the executable path is the tuned Nemo's (its path contains "fennick").
bool is_tuned_exe(const std::string& path);
// True when a restart starts the tuned Nemo: it is installed and made the default.
bool tuned_nemo_is_default();
// The shell command line that quits every Nemo and starts executable 1.5 s later in its place,
// with the folders (URIs) to open, each in a window of its own; restart_nemo runs it detached.
std::string restart_command_line(const std::string& executable,
                                 const std::vector<std::string>& folders = {});
// The folders the windows of the running Nemo show, as fennick's extension wrote them down; empty
// when no extension runs in the Nemo running now.
std::vector<std::string> open_nemo_folders();
// Quits every Nemo window and starts Nemo again in the background, with the folders it showed.
void restart_nemo();
