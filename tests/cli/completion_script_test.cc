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

using CompletionScriptTest = TempHomeTest;

TEST_F(CompletionScriptTest, HoldsEveryWordOfTheTables) {
  std::set<std::string> wanted;
  for (const CommandInfo& command : command_table()) {
    for (const char* word : command.words)
      if (word) wanted.insert(word);
  }
  for (int i = 0; i < setting_count(); ++i) {
    const Setting& row = setting_at(i);
    wanted.insert(setting_name(i));
    if (resolve_setting_name(std::string(row.key)) == i) wanted.insert(std::string(row.key));
    if (row.kind == SettingKind::Choice) {
      for (std::string_view choice : choice_words(row.choices))
        wanted.insert(std::string(choice));
    }
  }
  for (size_t i = 0; i < kPaletteCount; ++i)
    wanted.insert(kPalettes[i].name);
  for (const char* shell : {"bash", "zsh"}) {
    // The words of the script: runs of the characters that the names use.
    std::set<std::string> words;
    std::string word;
    for (char c : completion_script(shell) + "\n") {
      if (isalnum(static_cast<unsigned char>(c)) || c == '.' || c == '_' || c == '-') {
        word += c;
      } else if (!word.empty()) {
        words.insert(word);
        word.clear();
      }
    }
    for (const std::string& name : wanted)
      EXPECT_TRUE(words.count(name)) << shell << ": " << name;
  }
  EXPECT_EQ(completion_script("fish"), "");
}

}  // namespace
