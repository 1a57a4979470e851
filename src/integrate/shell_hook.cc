#include "integrate/shell_hook.h"

#include "integrate/marked_block.h"
#include "integrate/shell_quote.h"
#include "integrate/text_file.h"
#include "settings/file_reader.h"
#include "settings/locations.h"

const char kHookStartMarker[] = "# >>> fennick >>>";
const char kHookStartAfterLineFeed[] = "# >>> fennick >>> (line end above added by fennick)";
const char kHookEndMarker[] = "# <<< fennick <<<";

namespace {

const char* const kRcFiles[] = {".bashrc", ".zshrc"};
const BlockMarkers kHookMarkers = {kHookStartMarker, kHookStartAfterLineFeed, kHookEndMarker};

// The line between the markers.
std::string hook_line() {
  const std::string path = double_quote_escaped(prompt_script_path());
  return "[ -r \"" + path + "\" ] && . \"" + path + "\"\n";
}

}  // namespace

std::string hook_block() {
  return marked_block(kHookMarkers, hook_line());
}

bool holds_hook_block(const std::string& text) {
  return holds_block(text, kHookMarkers, hook_line());
}

std::string strip_hook_block(const std::string& text) {
  return strip_marked_block(text, kHookMarkers);
}

std::string add_hook_block(const std::string& text) {
  // The block as it would be written stays where it is, even above lines added after it.
  if (holds_hook_block(text)) return text;
  const std::string rest = strip_hook_block(text);
  return insert_marked_block(rest, rest.size(), kHookMarkers, hook_line());
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
    on_update(update_marked_file({path, old_text, new_text, remove, true}, kHookMarkers));
  }
}
