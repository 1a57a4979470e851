#include "integrate/shell_hook.h"

#include "integrate/shell_quote.h"
#include "integrate/text_file.h"
#include "settings/atomic_file.h"
#include "settings/console.h"
#include "settings/locations.h"

const char kHookStartMarker[] = "# >>> fennick >>>";
const char kHookEndMarker[] = "# <<< fennick <<<";

namespace {

const char* const kRcFiles[] = {".bashrc", ".zshrc"};
const char kBackupSuffix[] = ".fennick-bak";

}  // namespace

std::string hook_block() {
  const std::string path = double_quote_escaped(prompt_script_path());
  return std::string(kHookStartMarker) + "\n[ -r \"" + path + "\" ] && . \"" + path + "\"\n" +
         kHookEndMarker + "\n";
}

std::string strip_hook_block(const std::string& text) {
  // The block ends at the first end marker that follows a start marker, and begins at the start
  // marker nearest before it: a stray start marker higher up (a block the user cut short) is the
  // user's text and is kept, as is a stray end marker before the block.
  const size_t first_start = text.find(kHookStartMarker);
  if (first_start == std::string::npos) return text;
  const size_t end = text.find(kHookEndMarker, first_start);
  if (end == std::string::npos) return text;
  const size_t start = text.rfind(kHookStartMarker, end);
  std::string result = text.substr(0, start) + text.substr(end + sizeof kHookEndMarker - 1);
  while (result.size() >= 2 && result[result.size() - 1] == '\n' &&
         result[result.size() - 2] == '\n') {
    result.pop_back();
  }
  return result;
}

std::string add_hook_block(const std::string& text) {
  std::string result = strip_hook_block(text);
  if (!result.empty() && result.back() != '\n') result += '\n';
  return result + hook_block();
}

void update_shell_hooks(bool remove) {
  for (const char* name : kRcFiles) {
    const std::string path = home_dir() + "/" + name;
    const bool exists = path_exists(path);
    // A missing ~/.bashrc is created, but zsh users are not made out of bash users.
    if (!exists && !remove && std::string(name) == ".zshrc") continue;
    const std::string old_text = read_text_file(path);
    const std::string new_text = remove ? strip_hook_block(old_text) : add_hook_block(old_text);
    if (new_text == old_text) {
      print_out("unchanged: " + path + "\n");
      continue;
    }
    const std::string backup = path + kBackupSuffix;
    if (exists && !path_exists(backup)) copy_file(path, backup);
    write_file_atomic(path, new_text);
    print_out((remove ? "removed block from " : "added block to ") + path + "\n");
  }
}
