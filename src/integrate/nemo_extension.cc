#include "integrate/nemo_extension.h"

#include <errno.h>
#include <glob.h>
#include <unistd.h>

#include <cstring>

#include "integrate/context_action.h"
#include "integrate/desktop_switch.h"
#include "integrate/pathbar_import.h"
#include "integrate/running_nemo.h"
#include "integrate/text_file.h"
#include "settings/atomic_file.h"
#include "settings/catalogue.h"
#include "settings/failure.h"
#include "settings/file_reader.h"
#include "settings/locations.h"
#include "settings/settings_file.h"

// The module's source, built into the program from src/integrate/nemo_extension.py.
extern const char kNemoExtensionSource[];

namespace {

const char kOwnLine[] = "# managed by fennick (fennick extension-remove removes this file)\n";
const char kProgramLine[] = "FENNICK = \"fennick\"\n";

// Where distributions put nemo-python's loader.
const char* const kLoaderPlaces[] = {
    "/usr/lib/*/nemo/extensions-3.0/libnemo-python.so",
    "/usr/lib/nemo/extensions-3.0/libnemo-python.so",
    "/usr/lib64/nemo/extensions-3.0/libnemo-python.so",
};

// A Python expression for the path: its bytes as they are, whatever they are.
std::string python_path(const std::string& path) {
  const char* digits = "0123456789abcdef";
  std::string out = "os.fsdecode(b\"";
  for (const char c : path) {
    const unsigned char byte = static_cast<unsigned char>(c);
    if (byte >= 32 && byte < 127 && c != '"' && c != '\\') {
      out += c;
    } else {
      out += "\\x";
      out += digits[byte >> 4];
      out += digits[byte & 15];
    }
  }
  return out + "\")";
}

}  // namespace

std::string nemo_extension_text(const std::string& executable_path) {
  std::string text = std::string(kOwnLine) + kNemoExtensionSource;
  const size_t at = text.find(kProgramLine);
  if (at != std::string::npos) {
    text.replace(at, sizeof kProgramLine - 1, "FENNICK = " + python_path(executable_path) + "\n");
  }
  return text;
}

bool nemo_python_installed() {
  for (const char* place : kLoaderPlaces) {
    glob_t found;
    const bool any = glob(place, 0, nullptr, &found) == 0 && found.gl_pathc > 0;
    globfree(&found);
    if (any) return true;
  }
  return false;
}

ExtensionState nemo_extension_state() {
  std::string text;
  if (!read_whole_file(nemo_extension_path(), text)) return ExtensionState::Missing;
  if (text == nemo_extension_text(own_executable_path())) return ExtensionState::Current;
  return text.rfind(kOwnLine, 0) == 0 ? ExtensionState::Outdated : ExtensionState::NotOurs;
}

bool nemo_extension_runs() {
  return nemo_extension_state() == ExtensionState::Current && nemo_python_installed();
}

bool live_nemo_reader() {
  return tuned_nemo_is_default() || nemo_extension_runs();
}

namespace {

// True when a setting of that section differs from its value before.
bool changed_in(std::string_view section, const std::vector<std::string>& before) {
  for (int i = 0; i < setting_count(); ++i) {
    const size_t row = static_cast<size_t>(i);
    if (setting_at(i).section == section &&
        (row >= before.size() || before[row] != stored_value(i)))
      return true;
  }
  return false;
}

}  // namespace

std::string nemo_reader_note(const std::vector<std::string>& before) {
  const bool path_bar = changed_in("pathbar", before);
  if ((!path_bar && !changed_in("sidebar", before)) || live_nemo_reader()) return "";
  if (nemo_extension_state() == ExtensionState::Current) {
    return "fennick's Nemo extension needs nemo-python to run: sudo apt install nemo-python";
  }
  if (!path_bar) {
    return "the stock Nemo shows sidebar settings only with fennick's extension: fennick "
           "extension-install";
  }
  if (pathbar_block_installed()) {
    return "the stock Nemo shows the path bar after: fennick restart (live with: fennick "
           "extension-install)";
  }
  return "no Nemo reads the path bar yet: fennick extension-install (live) or fennick "
         "pathbar-install";
}

ExtensionInstall install_nemo_extension() {
  ExtensionInstall done;
  const std::string text = nemo_extension_text(own_executable_path());
  std::string old_text;
  if (!read_whole_file(nemo_extension_path(), old_text) || old_text != text) {
    make_directories(nemo_extensions_dir());
    write_owned_file(nemo_extension_path(), text);
    done.written = true;
  }
  if (nemo_python_installed() && pathbar_block_installed())
    done.import_removal = update_pathbar_block(true);
  return done;
}

ExtensionState remove_nemo_extension() {
  const ExtensionState state = nemo_extension_state();
  if (state == ExtensionState::Current || state == ExtensionState::Outdated) {
    if (unlink(nemo_extension_path().c_str()) != 0) {
      fail("cannot remove " + nemo_extension_path() + ": " + std::strerror(errno));
    }
  }
  return state;
}
