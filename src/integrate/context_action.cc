#include "integrate/context_action.h"

#include <limits.h>
#include <unistd.h>

#include "integrate/desktop_switch.h"
#include "integrate/shell_quote.h"
#include "integrate/text_file.h"
#include "settings/ascii_text.h"
#include "settings/atomic_file.h"
#include "settings/console.h"
#include "settings/locations.h"

std::string own_executable_path() {
  char buffer[PATH_MAX];
  ssize_t length = readlink("/proc/self/exe", buffer, sizeof buffer - 1);
  return length < 0 ? "fennick" : std::string(buffer, static_cast<size_t>(length));
}

std::string action_text(const std::string& executable_path) {
  return "[Nemo Action]\n"
         "Name=Fennick\xE2\x80\xA6\n"
         "Comment=Tune the path bar, prompt, panes and sidebar\n"
         "Exec=" +
         key_file_escaped(shell_word(single_line_path(executable_path))) +
         " gui\n"
         "Icon-Name=preferences-system\n"
         "Selection=none\n"
         "Extensions=any;\n"
         "# managed by fennick\n";
}

void install_action() {
  const std::string text = action_text(own_executable_path());
  make_directories(actions_dir());
  write_owned_file(action_file_path(), text);
  print_out("added the \"Fennick\xE2\x80\xA6\" right-click entry (" +
            printable(action_file_path()) + ")\n");
}

void remove_action() {
  const std::string path = action_file_path();
  if (!path_exists(path)) return;
  if (read_text_file(path).find("managed by fennick") == std::string::npos) return;
  unlink(path.c_str());
  print_out("removed " + printable(path) + "\n");
}
