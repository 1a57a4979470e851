#include "integrate/shell_hook.h"

#include "integrate/file_backup.h"
#include "integrate/shell_quote.h"
#include "integrate/text_file.h"
#include "settings/atomic_file.h"
#include "settings/file_reader.h"
#include "settings/locations.h"

const char kHookStartMarker[] = "# >>> fennick >>>";
const char kHookEndMarker[] = "# <<< fennick <<<";

namespace {

const char* const kRcFiles[] = {".bashrc", ".zshrc"};

// The bytes [begin, end) of the text that are its hook block.
struct BlockSpan {
  size_t begin;
  size_t end;
};

bool find_hook_block(const std::string& text, BlockSpan& span) {
  // The block ends at the first end marker that follows a start marker, and begins at the start
  // marker nearest before it: a stray start marker higher up (a block the user cut short) is the
  // user's text and is kept, as is a stray end marker before the block.
  const size_t first_start = text.find(kHookStartMarker);
  if (first_start == std::string::npos) return false;
  const size_t end_marker = text.find(kHookEndMarker, first_start);
  if (end_marker == std::string::npos) return false;
  span.begin = text.rfind(kHookStartMarker, end_marker);
  span.end = end_marker + sizeof kHookEndMarker - 1;
  // The line end after the end marker is the block's. A block without one ends the text: it
  // was put below a last line without a line end, and the line feed before it is the block's.
  if (span.end == text.size()) {
    if (span.begin > 0 && text[span.begin - 1] == '\n') --span.begin;
  } else if (text.compare(span.end, 2, "\r\n") == 0) {
    span.end += 2;
  } else if (text[span.end] == '\n' || text[span.end] == '\r') {
    ++span.end;
  }
  return true;
}

}  // namespace

std::string hook_block() {
  const std::string path = double_quote_escaped(prompt_script_path());
  return std::string(kHookStartMarker) + "\n[ -r \"" + path + "\" ] && . \"" + path + "\"\n" +
         kHookEndMarker + "\n";
}

std::string strip_hook_block(const std::string& text) {
  BlockSpan span;
  if (!find_hook_block(text, span)) return text;
  return text.substr(0, span.begin) + text.substr(span.end);
}

std::string add_hook_block(const std::string& text) {
  const std::string block = hook_block();
  // The block as it would be written stays where it is, even above lines added after it.
  BlockSpan span;
  if (find_hook_block(text, span) && text.compare(span.begin, span.end - span.begin, block) == 0)
    return text;
  const std::string result = strip_hook_block(text);
  if (result.empty() || result.back() == '\n') return result + block;
  return result + "\n" + block.substr(0, block.size() - 1);
}

void update_shell_hooks(bool remove, const std::function<void(const HookUpdate&)>& on_update) {
  for (const char* name : kRcFiles) {
    const std::string path = home_dir() + "/" + name;
    // A missing ~/.bashrc is created, but zsh users are not made out of bash users.
    if (!remove && std::string(name) == ".zshrc" && !path_exists(path)) {
      on_update({path, HookChange::Skipped, ""});
      continue;
    }
    std::string old_text;
    read_whole_file(path, old_text);
    const std::string new_text = remove ? strip_hook_block(old_text) : add_hook_block(old_text);
    if (new_text == old_text) {
      on_update({path, HookChange::Unchanged, ""});
      continue;
    }
    const std::string backup = back_up_before_change(path);
    write_file_atomic(path, new_text);
    on_update({path, remove ? HookChange::Removed : HookChange::Added, backup});
  }
}

std::string hook_update_line(const HookUpdate& update) {
  switch (update.change) {
    case HookChange::Added:
      return "added block to " + update.path;
    case HookChange::Removed:
      return "removed block from " + update.path;
    case HookChange::Unchanged:
      break;
    case HookChange::Skipped:
      return "skipped: " + update.path + " (no such file; create it to get the prompt in zsh)";
  }
  return "unchanged: " + update.path;
}
