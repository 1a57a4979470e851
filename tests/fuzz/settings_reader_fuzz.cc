// Fuzzes the settings reader with arbitrary file text. Besides crashes and sanitizer findings it
// checks that whatever the reader stores is in normal form, that reading is idempotent, and that
// the file the program writes from that store reads back as the same store.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "settings/catalogue.h"
#include "settings/settings_file.h"
#include "settings/value_access.h"

namespace {

[[noreturn]] void broken(const char* rule, int index, const std::string& value) {
  std::fprintf(stderr, "%s: %s = \"%s\"\n", rule, setting_name(index).c_str(), value.c_str());
  std::abort();
}

std::vector<std::string> current_store() {
  std::vector<std::string> store;
  for (int i = 0; i < setting_count(); ++i)
    store.push_back(stored_value(i));
  return store;
}

// Only spaces are protected at the ends of a written value; another character below code 33
// there is trimmed away when the file is read back.
bool survives_writing(const std::string& value) {
  auto unprotected = [](char c) { return static_cast<unsigned char>(c) < 33 && c != ' '; };
  return value.empty() || (!unprotected(value.front()) && !unprotected(value.back()));
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string text(reinterpret_cast<const char*>(data), size);

  reset_all_to_defaults();
  if (read_settings_text(text) < 0) std::abort();
  const std::vector<std::string> read = current_store();

  // Every stored value is already in the normal form of its kind.
  for (int i = 0; i < setting_count(); ++i) {
    std::string again = read[i];
    if (!normalize_value(i, again) || again != read[i]) broken("not in normal form", i, read[i]);
  }

  // Reading the same text over its own result changes nothing.
  read_settings_text(text);
  if (current_store() != read) std::abort();

  // The written file reads back as the same store, except where a value begins or ends with a
  // character that only spaces are protected against; such a value comes back trimmed, and from
  // then on it is stable.
  const std::string written = settings_text();
  reset_all_to_defaults();
  if (read_settings_text(written) != 0) {
    std::fprintf(stderr, "own file not understood:\n%s\n", written.c_str());
    std::abort();
  }
  const std::vector<std::string> reread = current_store();
  for (int i = 0; i < setting_count(); ++i) {
    if (survives_writing(read[i]) ? reread[i] != read[i]
                                  : read[i].find(reread[i]) == std::string::npos) {
      broken("changed by writing and reading", i, read[i]);
    }
  }
  const std::string rewritten = settings_text();
  reset_all_to_defaults();
  if (read_settings_text(rewritten) != 0 || current_store() != reread) std::abort();
  if (settings_text() != rewritten) std::abort();
  return 0;
}
