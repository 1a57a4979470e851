#include "integrate/shell_hook.h"

#include "integrate/file_backup.h"
#include "integrate/marked_block.h"
#include "integrate/shell_quote.h"
#include "integrate/text_file.h"
#include "settings/atomic_file.h"
#include "settings/file_reader.h"
#include "settings/locations.h"

const char kHookStartMarker[] = "# >>> fennick >>>";
const char kHookEndMarker[] = "# <<< fennick <<<";

namespace {

const char* const kRcFiles[] = {".bashrc", ".zshrc"};

}  // namespace

std::string hook_block() {
  const std::string path = double_quote_escaped(prompt_script_path());
  return std::string(kHookStartMarker) + "\n[ -r \"" + path + "\" ] && . \"" + path + "\"\n" +
         kHookEndMarker + "\n";
}

bool holds_hook_block(const std::string& text) {
  return holds_block(text, hook_block(), kHookStartMarker, kHookEndMarker);
}

std::string strip_hook_block(const std::string& text) {
  return strip_marked_block(text, kHookStartMarker, kHookEndMarker);
}

std::string add_hook_block(const std::string& text) {
  const std::string block = hook_block();
  // The block as it would be written stays where it is, even above lines added after it.
  if (holds_hook_block(text)) return text;
  const std::string result = strip_hook_block(text);
  if (result.empty() || result.back() == '\n') return result + block;
  return result + "\n" + block.substr(0, block.size() - 1);
}

void update_shell_hooks(bool remove, const std::function<void(const BlockUpdate&)>& on_update) {
  for (const char* name : kRcFiles) {
    const std::string path = home_dir() + "/" + name;
    // A missing ~/.bashrc is created, but zsh users are not made out of bash users.
    if (!remove && std::string(name) == ".zshrc" && !path_exists(path)) {
      on_update(
          {path, BlockChange::Skipped, "", "no such file; create it to get the prompt in zsh"});
      continue;
    }
    std::string old_text;
    read_whole_file(path, old_text);
    const std::string new_text = remove ? strip_hook_block(old_text) : add_hook_block(old_text);
    if (new_text == old_text) {
      on_update({path, BlockChange::Unchanged, ""});
      continue;
    }
    const std::string backup = back_up_before_change(path);
    write_file_atomic(path, new_text);
    on_update({path, remove ? BlockChange::Removed : BlockChange::Added, backup});
  }
}
