// The completion scripts are made from the tables: every word the program takes is in both. What
// the scripts offer where is tested in the real shells (completion_bash_test.sh,
// completion_zsh_test.sh).
#include "cli/completion_script.h"

#include <set>
#include <string>

#include "cli/command_table.h"
#include "presets/palettes.h"
#include "settings/catalogue.h"
#include "settings/value_access.h"
#include "test_support.h"

namespace {

// The words of the script: runs of the characters that command, setting and value names use.
std::set<std::string> words_of(const std::string& script) {
  std::set<std::string> words;
  std::string word;
  for (char c : script + "\n") {
    if (isalnum(static_cast<unsigned char>(c)) || c == '.' || c == '_' || c == '-') {
      word += c;
    } else if (!word.empty()) {
      words.insert(word);
      word.clear();
    }
  }
  return words;
}

using CompletionScriptTest = TempHomeTest;

TEST_F(CompletionScriptTest, HoldsEveryWordOfTheTables) {
  for (const char* shell : {"bash", "zsh"}) {
    SCOPED_TRACE(shell);
    const std::set<std::string> words = words_of(completion_script(shell));
    std::set<std::string> wanted;
    for (const CommandInfo& command : command_table()) {
      for (const char* word : command.words)
        if (word) wanted.insert(word);
    }
    for (int i = 0; i < setting_count(); ++i) {
      const Setting& row = setting_at(i);
      wanted.insert(setting_name(i));
      wanted.insert(std::string(row.section));
      if (resolve_setting_name(std::string(row.key)) == i) wanted.insert(std::string(row.key));
      if (row.kind == SettingKind::Choice) {
        for (std::string_view choice : choice_words(row.choices))
          wanted.insert(std::string(choice));
      }
    }
    for (size_t i = 0; i < kPaletteCount; ++i)
      wanted.insert(kPalettes[i].name);
    for (const std::string& word : wanted)
      EXPECT_TRUE(words.count(word)) << word;
  }
  EXPECT_EQ(completion_script("fish"), "");
}

}  // namespace
