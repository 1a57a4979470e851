#include "integrate/status.h"

#include <functional>
#include <stdexcept>
#include <string>

#include "integrate/desktop_switch.h"
#include "integrate/nemo_extension.h"
#include "integrate/pathbar_import.h"
#include "integrate/running_nemo.h"
#include "integrate/shell_hook.h"
#include "integrate/text_file.h"
#include "settings/ascii_text.h"
#include "settings/console.h"
#include "settings/locations.h"

namespace {

// Paths and names are shown by printable: the report never puts a control character from them
// on the terminal.
std::string file_line(const char* label, const std::string& path, const char* missing_note) {
  return std::string(label) + printable(path) + (path_exists(path) ? "" : missing_note) + "\n";
}

// What a look into a file found, or, when the file cannot be read (a FIFO, a folder, no
// permission), why not: the report goes on with its other lines.
std::string found_or_why_not(const std::function<std::string()>& look) {
  try {
    return look();
  } catch (const std::runtime_error& error) {
    return "unknown (" + printable(error.what()) + ")";
  }
}

std::string has_hook(const std::string& rc_file) {
  return found_or_why_not([&rc_file] {
    return read_text_file(rc_file).find(kHookStartMarker) != std::string::npos ? "yes" : "no";
  });
}

std::string extension_state() {
  switch (nemo_extension_state()) {
    case ExtensionState::Current:
      return nemo_python_installed()
                 ? "extension installed (follows the settings live)"
                 : "extension installed, but nemo-python is not (sudo apt install nemo-python)";
    case ExtensionState::Outdated:
      return "extension outdated (fennick extension-install)";
    case ExtensionState::NotOurs:
      return "a file of someone else's at " + printable(nemo_extension_path());
    case ExtensionState::Missing:
      break;
  }
  return "no extension (fennick extension-install)";
}

std::string stock_nemo_state() {
  return found_or_why_not([] {
    return extension_state() + "; " +
           (pathbar_block_installed() ? "path bar imported in " + printable(gtk_css_path())
                                      : "path bar not imported (fennick pathbar-install)");
  });
}

// What the stock Nemo running now reads of fennick's files.
std::string stock_nemo_reads() {
  return found_or_why_not([] {
    const std::string css = printable(nemo_stylesheet_path());
    if (nemo_extension_runs())
      return "it follows " + css + " and the settings through fennick's extension";
    if (pathbar_block_installed()) return "it reads " + css + " through gtk.css when it starts";
    return std::string("it reads none of fennick's files");
  });
}

}  // namespace

void print_status() {
  std::string out;
  out += file_line("settings file : ", settings_path(), "   (not created yet: defaults)");
  out += file_line("path-bar css  : ", stylesheet_path(), "   (missing)");
  out += file_line("prompt script : ", prompt_script_path(), "   (missing)");
  out += file_line("tuned Nemo    : ", tuned_nemo_path(), "   (not installed)");
  out += std::string("made default  : ") +
         (path_exists(nemo_service_path()) ? "yes (user override present)" : "no") + "\n";
  const std::string running = running_nemo_exe();
  if (running.empty()) {
    out += "running Nemo  : none\n";
  } else {
    // The advice to switch holds only where there is a tuned Nemo to switch to.
    out += "running Nemo  : " + printable(running) +
           (is_tuned_exe(running)            ? "   (the tuned one)"
            : path_exists(tuned_nemo_path()) ? "   (NOT the tuned one: run  nemo -q  and reopen)"
                                             : "   (the stock Nemo: " + stock_nemo_reads() + ")") +
           "\n";
  }
  out += std::string("prompt hook   : bashrc ") + has_hook(home_dir() + "/.bashrc") + ", zshrc " +
         has_hook(home_dir() + "/.zshrc") + "\n";
  out += "stock Nemo    : " + stock_nemo_state() + "\n";
  print_out(out);
}
