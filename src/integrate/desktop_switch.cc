#include "integrate/desktop_switch.h"

#include <unistd.h>

#include "integrate/context_action.h"
#include "integrate/shell_quote.h"
#include "integrate/text_file.h"
#include "settings/ascii_text.h"
#include "settings/atomic_file.h"
#include "settings/console.h"
#include "settings/failure.h"
#include "settings/file_backup.h"
#include "settings/locations.h"

const char kSystemDesktopEntry[] = "/usr/share/applications/nemo.desktop";

namespace {

// The executable as an argument of a desktop entry's Exec key: quoted by the entry rules when it
// holds anything but plain characters ("%" is written "%%"), then escaped as a key value.
std::string desktop_exec_argument(const std::string& path) {
  if (path.find('%') == std::string::npos && shell_word(path) == path) return path;
  std::string quoted = "\"";
  for (char c : path) {
    if (c == '"' || c == '`' || c == '$' || c == '\\') quoted += '\\';
    quoted += c == '%' ? std::string("%%") : std::string(1, c);
  }
  return key_file_escaped(quoted + "\"");
}

}  // namespace

std::string single_line_path(const std::string& path) {
  if (path.find_first_of("\n\r") != std::string::npos) {
    fail("cannot use " + path + ": it contains a line break");
  }
  return path;
}

std::string tuned_desktop_text(const std::string& system_entry) {
  const std::string exec = "Exec=" + desktop_exec_argument(single_line_path(tuned_nemo_path()));
  std::string text;
  size_t start = 0;
  while (start < system_entry.size()) {
    size_t end = system_entry.find('\n', start);
    if (end == std::string::npos) end = system_entry.size();
    const std::string line = system_entry.substr(start, end - start);
    if (line.compare(0, 5, "Exec=") == 0) {
      const size_t blank = line.find(' ');
      text += exec + (blank == std::string::npos ? "" : line.substr(blank));
    } else {
      text += line;
    }
    text += '\n';
    start = end + 1;
  }
  return text + "X-Fennick=true\n";
}

std::string dbus_service_text(const std::string& bus_name) {
  return "# managed by fennick (fennick disable removes this file)\n"
         "[D-BUS Service]\n"
         "Name=" +
         bus_name + "\nExec=" + key_file_escaped(shell_word(single_line_path(tuned_nemo_path()))) +
         " --gapplication-service\n";
}

bool is_ours(const std::string& text) {
  return text.find("X-Fennick") != std::string::npos ||
         text.find("managed by fennick") != std::string::npos;
}

void write_owned_file(const std::string& path, const std::string& text) {
  if (path_exists(path) && !is_ours(read_text_file(path))) back_up_before_change(path);
  write_file_atomic(path, text);
}

bool remove_if_ours(const std::string& path) {
  if (!path_exists(path)) return false;
  if (!is_ours(read_text_file(path))) {
    print_out("left alone (not ours): " + printable(path) + "\n");
    return false;
  }
  unlink(path.c_str());
  print_out("removed " + printable(path) + "\n");
  return true;
}

void enable_tuned_nemo() {
  enable_tuned_nemo_from(kSystemDesktopEntry);
}

void enable_tuned_nemo_from(const std::string& system_entry_path) {
  const std::string tuned = single_line_path(tuned_nemo_path());
  if (!path_exists(tuned)) {
    fail(
        "the tuned Nemo is not installed: it is a separately built Nemo that reads fennick's "
        "pane, sidebar, read-only and terminal-key settings, and its executable must be placed "
        "at " +
        tuned +
        ". Without it, the prompt, the context-menu action and the path bar (fennick "
        "pathbar-install) work with the stock Nemo.");
  }
  make_directories(applications_dir());
  make_directories(dbus_services_dir());
  const std::string system_entry = read_text_file(system_entry_path);
  if (system_entry.empty()) fail(system_entry_path + " not found");

  write_owned_file(user_desktop_entry_path(), tuned_desktop_text(system_entry));
  write_owned_file(nemo_service_path(), dbus_service_text("org.Nemo"));
  write_owned_file(file_manager_service_path(), dbus_service_text("org.freedesktop.FileManager1"));
  install_action();
  print_out("enabled: the tuned Nemo (" + printable(tuned) + ") now opens folders.\n");
  print_out("A running Nemo keeps the old one until you run:  nemo -q   (then open a folder).\n");
}

bool disable_tuned_nemo() {
  // Each goes, whatever became of the others.
  const bool entry = remove_if_ours(user_desktop_entry_path());
  const bool nemo_service = remove_if_ours(nemo_service_path());
  const bool manager_service = remove_if_ours(file_manager_service_path());
  remove_action();
  return entry || nemo_service || manager_service;
}

bool user_override_present() {
  return path_exists(user_desktop_entry_path()) || path_exists(nemo_service_path()) ||
         path_exists(file_manager_service_path());
}
