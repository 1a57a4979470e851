#include "cli/completion_script.h"

#include <algorithm>
#include <string_view>
#include <utility>
#include <vector>

#include "cli/command_table.h"
#include "integrate/shell_quote.h"
#include "presets/palettes.h"
#include "settings/ascii_text.h"
#include "settings/catalogue.h"
#include "settings/value_access.h"

namespace {

// What goes at one operand place of a command, read from the operands its usage shows.
enum class PlaceKind { Nothing, Words, Setting, Value, File, Page, Palette };

struct Place {
  PlaceKind kind = PlaceKind::Nothing;
  std::vector<std::string> words;  // Words: the words it takes
};

// How the arguments of one command complete.
struct CommandCompletion {
  std::vector<Place> places;         // the operand places in order
  bool repeats = false;              // after the last place the first comes again (KEY VALUE ...)
  std::vector<std::string> options;  // its own options besides -h/--help, anywhere
  // An option that goes only after a word of its first place: (word, option).
  std::vector<std::pair<std::string, std::string>> word_options;
};

std::vector<std::string> split(std::string_view text, char separator) {
  std::vector<std::string> parts;
  while (true) {
    const size_t at = text.find(separator);
    const std::string part = trimmed(text.substr(0, at));
    if (!part.empty()) parts.push_back(part);
    if (at == std::string_view::npos) return parts;
    text.remove_prefix(at + 1);
  }
}

// The token without the brackets that make it optional.
std::string unbracketed(std::string token) {
  std::erase(token, '[');
  std::erase(token, ']');
  return token;
}

// What a placeholder of the usage stands for; NAME is a palette's, the only name an operand
// gives. Anything else completes nothing.
PlaceKind placeholder_kind(const std::string& name) {
  static const std::pair<const char*, PlaceKind> kinds[] = {
      {"KEY", PlaceKind::Setting}, {"VALUE", PlaceKind::Value},  {"FILE", PlaceKind::File},
      {"PAGE", PlaceKind::Page},   {"NAME", PlaceKind::Palette},
  };
  for (const auto& [placeholder, kind] : kinds)
    if (name == placeholder) return kind;
  return PlaceKind::Nothing;
}

bool contains(const std::vector<std::string>& words, const std::string& word) {
  return std::find(words.begin(), words.end(), word) != words.end();
}

CommandCompletion completion_of(const CommandInfo& command) {
  CommandCompletion completion;
  if (command.raw_operands) return completion;
  for (const std::string& token : split(command.operands, ' ')) {
    const std::string name = unbracketed(token);
    if (name == "...") {
      completion.repeats = true;
    } else if (name.find('|') != std::string::npos) {
      completion.places.push_back({PlaceKind::Words, split(name, '|')});
    } else if (!name.starts_with("-")) {
      completion.places.push_back({placeholder_kind(name), {}});
    }
  }
  // The usage line tells which options go with which word: "check | install [--yes] | use".
  const Place* first = completion.places.empty() ? nullptr : &completion.places.front();
  std::string after_word;
  const char* shown = command.usage_operands ? command.usage_operands : command.operands;
  for (const std::string& token : split(shown, ' ')) {
    const std::string name = unbracketed(token);
    if (first && first->kind == PlaceKind::Words && contains(first->words, name)) {
      after_word = name;
    } else if (name == "|") {
      after_word.clear();
    } else if (name.starts_with("--") && !after_word.empty()) {
      completion.word_options.emplace_back(after_word, name);
    }
  }
  for (const std::string& option : split(command.options, ' ')) {
    const bool per_word =
        std::any_of(completion.word_options.begin(), completion.word_options.end(),
                    [&](const auto& pair) { return pair.second == option; });
    if (!per_word) completion.options.push_back(option);
  }
  return completion;
}

// Every name that get, set and reset take: each section.key, then each key that is unique.
std::vector<std::string> setting_names() {
  std::vector<std::string> names;
  for (int i = 0; i < setting_count(); ++i)
    names.push_back(setting_name(i));
  for (int i = 0; i < setting_count(); ++i) {
    const std::string key(setting_at(i).key);
    if (resolve_setting_name(key) == i) names.push_back(key);
  }
  return names;
}

// The names of a row that set takes: its section.key and, when unique, its key.
std::vector<std::string> names_of(int index) {
  std::vector<std::string> names{setting_name(index)};
  const std::string key(setting_at(index).key);
  if (resolve_setting_name(key) == index) names.push_back(key);
  return names;
}

// What list takes as one word: the sections, and the titles without a blank in lower case.
std::vector<std::string> page_words() {
  std::vector<std::string> words;
  for (int i = 0; i < setting_count(); ++i) {
    const std::string section(setting_at(i).section);
    if (!contains(words, section)) words.push_back(section);
  }
  for (int i = 0; i < page_count(); ++i) {
    const std::string title = ascii_lowered(page_at(i).title);
    if (title.find(' ') == std::string::npos && !contains(words, title)) words.push_back(title);
  }
  return words;
}

std::vector<std::string> palette_words() {
  std::vector<std::string> words;
  for (size_t i = 0; i < kPaletteCount; ++i)
    words.emplace_back(kPalettes[i].name);
  return words;
}

// The values that set offers for a row: one group per list of values, with the names of the
// rows that take it.
struct ValueGroup {
  std::vector<std::string> values;
  std::vector<std::string> names;
};

std::vector<ValueGroup> value_groups() {
  std::vector<ValueGroup> groups;
  for (int i = 0; i < setting_count(); ++i) {
    const Setting& row = setting_at(i);
    std::vector<std::string> values;
    if (row.kind == SettingKind::Bool) values = {"true", "false"};
    if (row.kind == SettingKind::Choice) {
      for (std::string_view word : choice_words(row.choices))
        values.emplace_back(word);
    }
    if (values.empty()) continue;
    auto group = std::find_if(groups.begin(), groups.end(),
                              [&](const ValueGroup& g) { return g.values == values; });
    if (group == groups.end()) group = groups.insert(groups.end(), {values, {}});
    for (const std::string& name : names_of(i))
      group->names.push_back(name);
  }
  return groups;
}

// The words as shell words joined by `separator`, the first starting at `column`; where a line
// would pass 96 columns, `continuation`, which holds the line break, stands instead.
std::string word_list(const std::vector<std::string>& words, size_t column,
                      const std::string& separator = " ",
                      const std::string& continuation = " \\\n        ") {
  std::string out;
  for (size_t i = 0; i < words.size(); ++i) {
    const std::string word = shell_word(words[i]);
    if (i > 0 && column + separator.size() + word.size() > 96) {
      out += continuation;
      column = continuation.size() - continuation.rfind('\n') - 1;
    } else if (i > 0) {
      out += separator;
      column += separator.size();
    }
    out += word;
    column += word.size();
  }
  return out;
}

std::vector<std::string> command_names() {
  std::vector<std::string> names;
  for (const CommandInfo& command : command_table())
    names.emplace_back(command.words[0]);
  return names;
}

// The other spellings of command words that begin with "-", e.g. --gui and -h.
std::vector<std::string> dash_words() {
  std::vector<std::string> words;
  for (const CommandInfo& command : command_table()) {
    for (const char* word : command.words)
      if (word && word[0] == '-') words.emplace_back(word);
  }
  return words;
}

// The words that name the command, for a case pattern.
void add_command_words(const CommandInfo& command, std::vector<std::string>& words) {
  for (const char* word : command.words)
    if (word) words.emplace_back(word);
}

// A case pattern of the words that starts at column `indent`, as the shell writes it, broken
// into lines that stay short.
std::string case_pattern(const std::vector<std::string>& words, bool zsh, size_t indent) {
  const std::string more = "\\\n" + std::string(indent + 2, ' ');
  return zsh ? "(" + word_list(words, indent + 1, "|", "|" + more) + ")"
             : word_list(words, indent, " | ", " | " + more) + ")";
}

const char* place_name(PlaceKind kind) {
  switch (kind) {
    case PlaceKind::Words:
      return "words";
    case PlaceKind::Setting:
      return "setting";
    case PlaceKind::Value:
      return "value";
    case PlaceKind::File:
      return "files";
    case PlaceKind::Page:
      return "page";
    case PlaceKind::Palette:
      return "palette";
    case PlaceKind::Nothing:
      break;
  }
  return "";
}

// The shell code that sets `place` (and `list` for a place of words) from the operand count n,
// and the command's own options in `own`: the same in both shells but for the case patterns
// and the array indexes.
std::string place_code(const CommandCompletion& completion, bool zsh) {
  const std::string indent = "      ";
  std::string code;
  const size_t count = completion.places.size();
  if (count > 0) {
    code += indent + "case " +
            (completion.repeats ? "$((n % " + std::to_string(count) + "))" : std::string("$n")) +
            " in\n";
    for (size_t i = 0; i < count; ++i) {
      const Place& place = completion.places[i];
      if (place.kind == PlaceKind::Nothing) continue;
      code += indent + "  " + (zsh ? "(" : "") + std::to_string(i) +
              ") place=" + place_name(place.kind);
      if (place.kind == PlaceKind::Words) code += " list=(" + word_list(place.words, 30) + ")";
      code += " ;;\n";
    }
    code += indent + "esac\n";
  }
  if (!completion.options.empty())
    code += indent + "own=(" + word_list(completion.options, 12) + ")\n";
  for (const auto& [word, option] : completion.word_options)
    code += indent + "[[ ${operands[" + (zsh ? "1" : "0") + "]-} == " + shell_word(word) +
            " ]] && own+=(" + shell_word(option) + ")\n";
  return code;
}

// The branches of the case over the command word that set the place, commands with the same
// code sharing one; a word that names no command completes nothing.
std::string place_cases(bool zsh) {
  std::vector<std::pair<std::vector<std::string>, std::string>> branches;  // (words, code)
  for (const CommandInfo& command : command_table()) {
    if (command.raw_operands) continue;
    const std::string code = place_code(completion_of(command), zsh);
    auto same = std::find_if(branches.begin(), branches.end(),
                             [&](const auto& branch) { return branch.second == code; });
    if (same == branches.end()) same = branches.insert(branches.end(), {{}, code});
    add_command_words(command, same->first);
  }
  std::string out;
  for (const auto& [words, code] : branches)
    out += "    " + case_pattern(words, zsh, 4) + "\n" + code + "      ;;\n";
  return out + (zsh ? "    (*) return 1 ;;\n" : "    *) return 0 ;;\n");
}

// The case pattern of the commands for which `flag` is set; empty when there is none.
std::string pattern_where(bool CommandInfo::*flag, bool zsh) {
  std::vector<std::string> words;
  for (const CommandInfo& command : command_table())
    if (command.*flag) add_command_words(command, words);
  return words.empty() ? "" : case_pattern(words, zsh, 4);
}

std::string bash_script() {
  std::string out =
      "# bash completion for fennick                                     -*- shell-script -*-\n"
      "# Printed by `fennick completion bash` from the program's own tables: print it again\n"
      "# after an update. Works with and without the bash-completion package.\n"
      "\n"
      "# COMPREPLY: the words after the first that begin with the first.\n"
      "_fennick_offer() {\n"
      "  local prefix=$1 word\n"
      "  shift\n"
      "  COMPREPLY=()\n"
      "  for word; do\n"
      "    [[ $word == \"$prefix\"* ]] && COMPREPLY+=(\"$word\")\n"
      "  done\n"
      "  return 0\n"
      "}\n"
      "\n"
      "_fennick() {\n"
      "  local cur words cword\n"
      "  if declare -F _init_completion >/dev/null; then\n"
      "    _init_completion -n =: || return\n"
      "  else\n"
      "    words=(\"${COMP_WORDS[@]}\")\n"
      "    cword=$COMP_CWORD\n"
      "    cur=${words[cword]}\n"
      "  fi\n"
      "  if ((cword == 1)); then\n"
      "    if [[ $cur == -* ]]; then\n"
      "      _fennick_offer \"$cur\" " +
      word_list(dash_words(), 28) +
      "\n"
      "    else\n"
      "      _fennick_offer \"$cur\" " +
      word_list(command_names(), 28) +
      "\n"
      "    fi\n"
      "    return 0\n"
      "  fi\n"
      "  local command=${words[1],,} values='' ended='' place='' word i\n"
      "  local -a operands=() own=() list=()\n"
      "  case $command in\n";
  const std::string raw = pattern_where(&CommandInfo::raw_operands, false);
  if (!raw.empty()) out += "    " + raw + " return 0 ;;\n";
  const std::string values = pattern_where(&CommandInfo::takes_values, false);
  if (!values.empty()) out += "    " + values + " values=1 ;;\n";
  out +=
      "  esac\n"
      "  # The operands so far, read as the program reads them: a word that begins with \"-\" is\n"
      "  # an option unless it follows \"--\" or stands where a value goes.\n"
      "  for ((i = 2; i < cword; i++)); do\n"
      "    word=${words[i]}\n"
      "    if [[ -z $ended && $word == -* ]] && ! ((values && ${#operands[@]} % 2)); then\n"
      "      [[ $word == -- ]] && ended=1\n"
      "    else\n"
      "      operands+=(\"$word\")\n"
      "    fi\n"
      "  done\n"
      "  local n=${#operands[@]}\n"
      "  case $command in\n";
  out += place_cases(false) +
         "  esac\n"
         "  if [[ -z $ended && $cur == -* && $place != value ]]; then\n"
         "    _fennick_offer \"$cur\" -h --help \"${own[@]}\"\n"
         "    return 0\n"
         "  fi\n"
         "  case $place in\n"
         "    words) _fennick_offer \"$cur\" \"${list[@]}\" ;;\n"
         "    setting)\n"
         "      _fennick_offer \"$cur\" " +
         word_list(setting_names(), 28) +
         "\n"
         "      ;;\n"
         "    value)\n"
         "      case ${operands[n - 1]} in\n";
  for (const ValueGroup& group : value_groups())
    out += "        " + case_pattern(group.names, false, 8) +
           "\n          _fennick_offer \"$cur\" " +
           word_list(group.values, 30, " ", " \\\n            ") + "\n          ;;\n";
  out +=
      "      esac\n"
      "      ;;\n"
      "    files)\n"
      "      if declare -F _filedir >/dev/null; then\n"
      "        _filedir\n"
      "      else\n"
      "        compopt -o filenames 2>/dev/null\n"
      "        mapfile -t COMPREPLY < <(compgen -f -- \"$cur\")\n"
      "      fi\n"
      "      ;;\n"
      "    page) _fennick_offer \"$cur\" " +
      word_list(page_words(), 28) +
      " ;;\n"
      "    palette) _fennick_offer \"$cur\" " +
      word_list(palette_words(), 28) +
      " ;;\n"
      "    *)\n"
      "      # Nothing else goes here: the command's own options that are not given yet.\n"
      "      list=()\n"
      "      for word in \"${own[@]}\"; do\n"
      "        [[ \" ${words[*]:2:cword-2} \" == *\" $word \"* ]] || list+=(\"$word\")\n"
      "      done\n"
      "      _fennick_offer \"$cur\" \"${list[@]}\"\n"
      "      ;;\n"
      "  esac\n"
      "  return 0\n"
      "}\n"
      "\n"
      "complete -F _fennick fennick\n";
  return out;
}

// An entry of _describe: the name with its colons escaped, a colon, the description.
std::string described(const std::string& name, const std::string& description) {
  std::string escaped;
  for (char c : name) {
    if (c == ':') escaped += '\\';
    escaped += c;
  }
  return escaped + ":" + description;
}

std::string zsh_script() {
  std::string commands;
  for (const CommandInfo& command : command_table())
    commands += "        " + shell_word(described(command.words[0], command.description)) + "\n";
  std::string out =
      "#compdef fennick\n"
      "# zsh completion for fennick, printed by `fennick completion zsh` from the program's own\n"
      "# tables: print it again after an update. Autoloaded from fpath as _fennick, or sourced\n"
      "# after compinit.\n"
      "\n"
      "_fennick() {\n"
      "  local cur=${words[CURRENT]} command=${(L)words[2]} values='' ended='' place='' word i\n"
      "  local -a operands own list expl\n"
      "  if (( CURRENT == 2 )); then\n"
      "    if [[ $cur == -* ]]; then\n"
      "      list=(" +
      word_list(dash_words(), 28) +
      ")\n"
      "      _wanted commands expl 'fennick command' compadd -a list\n"
      "    else\n"
      "      list=(\n" +
      commands +
      "      )\n"
      "      _describe -t commands 'fennick command' list\n"
      "    fi\n"
      "    return\n"
      "  fi\n"
      "  case $command in\n";
  const std::string raw = pattern_where(&CommandInfo::raw_operands, true);
  if (!raw.empty()) out += "    " + raw + " return 1 ;;\n";
  const std::string values = pattern_where(&CommandInfo::takes_values, true);
  if (!values.empty()) out += "    " + values + " values=1 ;;\n";
  out +=
      "  esac\n"
      "  # The operands so far, read as the program reads them: a word that begins with \"-\" is\n"
      "  # an option unless it follows \"--\" or stands where a value goes.\n"
      "  for (( i = 3; i < CURRENT; i++ )); do\n"
      "    word=${words[i]}\n"
      "    if [[ -z $ended && $word == -* ]] && ! (( values && $#operands % 2 )); then\n"
      "      [[ $word == -- ]] && ended=1\n"
      "    else\n"
      "      operands+=(\"$word\")\n"
      "    fi\n"
      "  done\n"
      "  local n=$#operands\n"
      "  case $command in\n";
  out += place_cases(true) +
         "  esac\n"
         "  if [[ -z $ended && $cur == -* && $place != value ]]; then\n"
         "    list=(-h --help $own)\n"
         "    _wanted options expl option compadd -a list\n"
         "    return\n"
         "  fi\n"
         "  case $place in\n"
         "    (words) _wanted operands expl operand compadd -a list ;;\n"
         "    (setting)\n"
         "      list=(\n        " +
         word_list(setting_names(), 8) +
         "\n"
         "      )\n"
         "      _wanted settings expl setting compadd -a list\n"
         "      ;;\n"
         "    (value)\n"
         "      case ${operands[n]} in\n";
  for (const ValueGroup& group : value_groups())
    out += "        " + case_pattern(group.names, true, 8) + "\n          list=(" +
           word_list(group.values, 30, " ", " \\\n            ") + ") ;;\n";
  out +=
      "        (*) return 1 ;;\n"
      "      esac\n"
      "      _wanted values expl value compadd -a list\n"
      "      ;;\n"
      "    (files) _files ;;\n"
      "    (page)\n"
      "      list=(" +
      word_list(page_words(), 28) +
      ")\n"
      "      _wanted pages expl page compadd -a list\n"
      "      ;;\n"
      "    (palette)\n"
      "      list=(" +
      word_list(palette_words(), 28) +
      ")\n"
      "      _wanted palettes expl palette compadd -a list\n"
      "      ;;\n"
      "    (*)\n"
      "      # Nothing else goes here: the command's own options that are not given yet.\n"
      "      list=(${own:|words})\n"
      "      (( $#list )) && _wanted options expl option compadd -a list\n"
      "      ;;\n"
      "  esac\n"
      "}\n"
      "\n"
      "# Autoloaded, this file is the body of _fennick and completes; sourced, it registers.\n"
      "if [[ ${funcstack[1]-} == _fennick ]]; then\n"
      "  _fennick \"$@\"\n"
      "elif (( ${+functions[compdef]} )); then\n"
      "  compdef _fennick fennick\n"
      "fi\n";
  return out;
}

}  // namespace

std::string completion_script(const std::string& shell) {
  if (shell == "bash") return bash_script();
  if (shell == "zsh") return zsh_script();
  return "";
}
