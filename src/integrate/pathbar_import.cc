#include "integrate/pathbar_import.h"

#include "integrate/file_backup.h"
#include "integrate/text_file.h"
#include "settings/atomic_file.h"
#include "settings/file_reader.h"
#include "settings/locations.h"

const char kPathbarStartMarker[] = "/* >>> fennick >>> */";
const char kPathbarEndMarker[] = "/* <<< fennick <<< */";

std::string file_url(const std::string& path) {
  const char* digits = "0123456789ABCDEF";
  std::string url = "file://";
  for (const unsigned char c : path) {
    const bool plain = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') ||
                       c == '/' || c == '-' || c == '.' || c == '_' || c == '~';
    if (plain) {
      url += static_cast<char>(c);
    } else {
      url += '%';
      url += digits[c >> 4];
      url += digits[c & 15];
    }
  }
  return url;
}

std::string pathbar_block() {
  return std::string(kPathbarStartMarker) + "\n@import url(\"" + file_url(nemo_stylesheet_path()) +
         "\");\n" + kPathbarEndMarker + "\n";
}

std::string strip_pathbar_block(const std::string& text) {
  return strip_marked_block(text, kPathbarStartMarker, kPathbarEndMarker);
}

std::string add_pathbar_block(const std::string& text) {
  const std::string block = pathbar_block();
  if (holds_block(text, block, kPathbarStartMarker, kPathbarEndMarker)) return text;
  const std::string rest = strip_pathbar_block(text);
  // An @import counts only before every other rule; only @charset may come before it.
  size_t at = 0;
  if (rest.rfind("@charset", 0) == 0) {
    const size_t line_end = rest.find('\n');
    // Below a last line without a line end, as the hook block goes: strip gives the text back.
    if (line_end == std::string::npos) return rest + "\n" + block.substr(0, block.size() - 1);
    at = line_end + 1;
  }
  return rest.substr(0, at) + block + rest.substr(at);
}

BlockUpdate update_pathbar_block(bool remove) {
  const std::string path = gtk_css_path();
  std::string old_text;
  read_whole_file(path, old_text);
  const std::string new_text = remove ? strip_pathbar_block(old_text) : add_pathbar_block(old_text);
  if (new_text == old_text) return {path, BlockChange::Unchanged, ""};
  const std::string backup = back_up_before_change(path);
  make_directories(path.substr(0, path.rfind('/')));
  write_file_atomic(path, new_text);
  return {path, remove ? BlockChange::Removed : BlockChange::Added, backup};
}

bool pathbar_block_installed() {
  std::string text;
  read_whole_file(gtk_css_path(), text);
  return holds_block(text, pathbar_block(), kPathbarStartMarker, kPathbarEndMarker);
}
