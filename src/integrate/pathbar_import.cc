#include "integrate/pathbar_import.h"

#include "settings/file_reader.h"
#include "settings/locations.h"

const char kPathbarStartMarker[] = "/* >>> fennick >>> */";
const char kPathbarStartAfterLineFeed[] = "/* >>> fennick >>> (line end above added by fennick) */";
const char kPathbarEndMarker[] = "/* <<< fennick <<< */";

namespace {

const BlockMarkers kPathbarMarkers = {kPathbarStartMarker, kPathbarStartAfterLineFeed,
                                      kPathbarEndMarker};

// The line between the markers.
std::string import_line() {
  return "@import url(\"" + file_url(nemo_stylesheet_path()) + "\");\n";
}

}  // namespace

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
  return marked_block(kPathbarMarkers, import_line());
}

std::string strip_pathbar_block(const std::string& text) {
  return strip_marked_block(text, kPathbarMarkers);
}

std::string add_pathbar_block(const std::string& text) {
  if (holds_block(text, kPathbarMarkers, import_line())) return text;
  const std::string rest = strip_pathbar_block(text);
  // An @import counts only before every other rule; only @charset may come before it.
  size_t at = 0;
  if (rest.rfind("@charset", 0) == 0) {
    const size_t line_end = rest.find('\n');
    at = line_end == std::string::npos ? rest.size() : line_end + 1;
  }
  return insert_marked_block(rest, at, kPathbarMarkers, import_line());
}

BlockUpdate update_pathbar_block(bool remove) {
  const std::string path = gtk_css_path();
  std::string old_text;
  read_whole_file(path, old_text);
  const std::string new_text = remove ? strip_pathbar_block(old_text) : add_pathbar_block(old_text);
  return update_marked_file({path, old_text, new_text, remove, true}, kPathbarMarkers);
}

bool pathbar_block_installed() {
  std::string text;
  read_whole_file(gtk_css_path(), text);
  return holds_block(text, kPathbarMarkers, import_line());
}
