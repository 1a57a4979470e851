// list, get, set and reset run as the built program in a private home.
#include <cstdio>

#include "cli/cli_helpers.h"
#include "settings/ascii_text.h"
#include "settings/catalogue.h"
#include "test_support.h"

namespace {

using SettingsCommandsTest = TempHomeTest;

// One line of the list report.
std::string list_line(const std::string& name, const std::string& value,
                      const std::string& third = "") {
  char line[512];
  std::snprintf(line, sizeof line, "  %-28s = %-22s %s\n", name.c_str(), value.c_str(),
                third.c_str());
  return line;
}

// The list report of the defaults for the rows whose page passes the filter.
std::string default_list(const std::string& only_page) {
  std::string text;
  std::string last_page;
  for (int i = 0; i < setting_count(); ++i) {
    const Setting& row = setting_at(i);
    if (!only_page.empty() && row.page != only_page) continue;
    if (row.page != last_page) text += "\n== " + std::string(row.page) + " ==\n";
    last_page = row.page;
    text += list_line(setting_name(i), std::string(row.default_value));
  }
  return text;
}

TEST_F(SettingsCommandsTest, ListOfAFreshConfiguration) {
  const RunResult run = run_fennick({"list"});
  EXPECT_EQ(run.status, 0);
  EXPECT_EQ(run.err, "");
  EXPECT_EQ(run.out, default_list(""));

  const std::vector<std::string> lines = split_lines(run.out);
  ASSERT_EQ(lines.size(), 62u + 4 * 2);
  EXPECT_EQ(lines[0], "");
  EXPECT_EQ(lines[1], "== Path bar ==");
  EXPECT_EQ(lines[2], "  pathbar.enabled              = false                  ");
  EXPECT_EQ(lines[17], "");
  EXPECT_EQ(lines[18], "== Terminal ==");
  // A value longer than its column is written whole and still followed by the one space.
  EXPECT_EQ(lines[23], "  terminal.template            = {user}@{host} {cwd}{git}{nl}{sym}  ");
  int headings = 0;
  for (const std::string& line : lines)
    headings += line.rfind("== ", 0) == 0;
  EXPECT_EQ(headings, 4);
  EXPECT_NE(
      run.out.find("\n\n== Panes ==\n  panes.enabled                = true                   \n"),
      std::string::npos);
  EXPECT_NE(run.out.find("\n\n== Sidebar ==\n"), std::string::npos);
}

TEST_F(SettingsCommandsTest, ListShowsChangedValuesWithTheirDefault) {
  set({"terminal.symbol", "#", "pathbar.border_color", "#112233", "terminal.template",
       "{cwd} a template longer than the column {sym}", "panes.max_panes", "12"});
  const std::string out = run_fennick({"list", "terminal"}).out;
  EXPECT_NE(out.find("\n  terminal.symbol              = #                      (default: $)\n"),
            std::string::npos)
      << out;
  EXPECT_NE(out.find(list_line("terminal.template", "{cwd} a template longer than the column {sym}",
                               "(default: {user}@{host} {cwd}{git}{nl}{sym} )")),
            std::string::npos)
      << out;
  EXPECT_NE(run_fennick({"list", "pathbar"})
                .out.find(list_line("pathbar.border_color", "#112233", "(default: )")),
            std::string::npos);
  EXPECT_NE(
      run_fennick({"list", "panes"}).out.find(list_line("panes.max_panes", "12", "(default: 6)")),
      std::string::npos);

  // A value set back to its default loses the default part again.
  set({"terminal.symbol", "$"});
  EXPECT_NE(run_fennick({"list", "terminal"}).out.find(list_line("terminal.symbol", "$")),
            std::string::npos);
}

TEST_F(SettingsCommandsTest, ListPageFilterByTitleSectionAndLetterCase) {
  const std::string terminal = default_list("Terminal");
  for (const char* page : {"terminal", "Terminal", "TERMINAL", "tErMiNaL"}) {
    EXPECT_EQ(run_fennick({"list", page}).out, terminal) << page;
  }
  const std::string path_bar = default_list("Path bar");
  // The title with its space, and the section name, in any letter case.
  for (const char* page : {"path bar", "Path Bar", "PATH BAR", "pathbar", "PathBar"}) {
    const RunResult run = run_fennick({"list", page});
    EXPECT_EQ(run.status, 0);
    EXPECT_EQ(run.out, path_bar) << page;
  }
  EXPECT_EQ(run_fennick({"list", "Panes"}).out, default_list("Panes"));
  EXPECT_EQ(run_fennick({"list", "sidebar"}).out, default_list("Sidebar"));
  // The filtered block starts with an empty line like in the full report.
  EXPECT_EQ(run_fennick({"list", "panes"}).out.rfind("\n== Panes ==\n", 0), 0u);
  // Further operands are ignored.
  EXPECT_EQ(run_fennick({"list", "panes", "sidebar"}).out, default_list("Panes"));
}

TEST_F(SettingsCommandsTest, ListOfAnUnknownPageNamesThePages) {
  for (const char* page : {"nosuch", "path", "bar", " terminal", "terminal ", "pathbar.", "=="}) {
    const RunResult run = run_fennick({"list", page});
    EXPECT_EQ(run.status, 2) << page;
    EXPECT_EQ(run.out, "") << page;
    EXPECT_EQ(run.err, "fennick: no page \"" + std::string(page) +
                           "\"; the pages are: Path bar, Terminal, Panes, Sidebar (or the "
                           "sections: pathbar, terminal, panes, sidebar)\n")
        << page;
  }
}

TEST_F(SettingsCommandsTest, GetPrintsTheValueAlone) {
  EXPECT_EQ(run_fennick({"get", "panes.enabled"}).out, "true\n");
  EXPECT_EQ(get("pathbar.enabled"), "false");
  EXPECT_EQ(get("max_panes"), "6");
  EXPECT_EQ(get("terminal.template"), "{user}@{host} {cwd}{git}{nl}{sym} ");
  EXPECT_EQ(get("border_color"), "");
  EXPECT_EQ(get("readonly_color_dark"), "#E69F00");
  // Operands after the key are ignored.
  EXPECT_EQ(get("symbol"), "$");
  EXPECT_EQ(run_fennick({"get", "symbol", "extra"}).out, "$\n");
}

// The one error line of get, set and reset for a name that names no setting, or several.
std::string name_problem(const std::string& name) {
  if (name == "enabled")
    return "fennick: \"enabled\" is ambiguous; write one of: pathbar.enabled, panes.enabled\n";
  return "fennick: unknown setting \"" + name + "\"  (try: fennick list)\n";
}

TEST_F(SettingsCommandsTest, GetOfUnknownOrAmbiguousNames) {
  for (const char* name : {"enabled", "nosuch", "Terminal.Scope", "terminal.Scope", "pathbar.",
                           ".shape", "terminal.scope.x", "SYMBOL", " symbol"}) {
    const RunResult run = run_fennick({"get", name});
    EXPECT_EQ(run.status, 1) << name;
    EXPECT_EQ(run.out, "") << name;
    EXPECT_EQ(run.err, name_problem(name));
  }
}

TEST_F(SettingsCommandsTest, GetWithoutKeyPrintsUsage) {
  for (const std::vector<std::string>& args :
       std::vector<std::vector<std::string>>{{"get"}, {"get", ""}, {"GET"}}) {
    const RunResult run = run_fennick(args);
    EXPECT_EQ(run.status, 2);
    EXPECT_EQ(run.out, expected_usage(settings_file()));
    EXPECT_EQ(run.err, "");
  }
}

TEST_F(SettingsCommandsTest, GetReadsTheSettingsFile) {
  write_file(settings_file(),
             "[terminal]\nsymbol=%\nscope=ALL\n[panes]\nmax_panes=99\nenabled=no\n"
             "[pathbar]\nnormal_bg=abcdef\n");
  EXPECT_EQ(get("symbol"), "%");
  EXPECT_EQ(get("terminal.scope"), "all");
  EXPECT_EQ(get("max_panes"), "12");
  EXPECT_EQ(get("panes.enabled"), "false");
  EXPECT_EQ(get("normal_bg"), "#ABCDEF");
  EXPECT_EQ(get("pathbar.enabled"), "false");
}

TEST_F(SettingsCommandsTest, SetWithAWrongArgumentCount) {
  write_file(settings_file(), "[terminal]\nsymbol=%\n");
  for (const std::vector<std::string>& args :
       std::vector<std::vector<std::string>>{{"set"},
                                             {"set", "terminal.symbol"},
                                             {"set", "terminal.symbol", "#", "terminal.bold"},
                                             {"SET", "a", "b", "c", "d", "e"}}) {
    SCOPED_TRACE(args.size());
    const RunResult run = run_fennick(args);
    EXPECT_EQ(run.status, 2);
    EXPECT_EQ(run.out, "");
    EXPECT_EQ(run.err, "usage: fennick set KEY VALUE [KEY VALUE ...]\n");
  }
  EXPECT_EQ(read_file(settings_file()), "[terminal]\nsymbol=%\n");
  EXPECT_EQ(folder_entries(config()), std::set<std::string>{"fennick.ini"});
}

TEST_F(SettingsCommandsTest, SetStoresSavesAndApplies) {
  set({"terminal.bold", "yes"});
  EXPECT_EQ(folder_entries(config()), generated_files());
  EXPECT_EQ(read_file(settings_file()), settings_text_with({}));
  EXPECT_EQ(get("terminal.bold"), "true");

  set({"pathbar.shape", "pill", "symbol", "%", "panes.enabled", "off"});
  EXPECT_EQ(read_file(settings_file()),
            settings_text_with(
                {{"pathbar.shape", "pill"}, {"terminal.symbol", "%"}, {"panes.enabled", "false"}}));
  // The generated files are those of the new settings.
  EXPECT_EQ(read_file(config() + "/fennick.css"), run_fennick({"css"}).out);
  EXPECT_EQ(read_file(config() + "/prompt.sh"), run_fennick({"prompt"}).out);

  // A later pair for the same setting wins.
  set({"symbol", "1", "symbol", "2"});
  EXPECT_EQ(get("symbol"), "2");
}

TEST_F(SettingsCommandsTest, SetNormalisesValues) {
  const std::pair<const char*, const char*> cases[][2] = {
      {{"terminal.bold", "Yes"}, {"terminal.bold", "true"}},
      {{"panes.enabled", "OFF"}, {"panes.enabled", "false"}},
      {{"pathbar.enabled", "1"}, {"pathbar.enabled", "true"}},
      {{"terminal.color_user", "abcdef"}, {"terminal.color_user", "#ABCDEF"}},
      {{"color_host", "#e69f00"}, {"terminal.color_host", "#E69F00"}},
      {{"color_cwd", ""}, {"terminal.color_cwd", ""}},
      {{"panes.max_panes", "+2"}, {"panes.max_panes", "2"}},
      {{"max_panes", "012"}, {"panes.max_panes", "12"}},
      {{"border_width", "8"}, {"pathbar.border_width", "8"}},
      {{"border_radius", "+007"}, {"pathbar.border_radius", "7"}},
      {{"spacing", "-0"}, {"pathbar.spacing", "0"}},
      {{"stats_max_entries", "5000000"}, {"sidebar.stats_max_entries", "5000000"}},
      {{"pathbar.shape", "PILL"}, {"pathbar.shape", "pill"}},
      {{"readonly_marker", "Lock"}, {"sidebar.readonly_marker", "lock"}},
      {{"terminal.keys", "CUSTOM"}, {"terminal.keys", "custom"}},
      {{"key_copy", "<Control>c"}, {"terminal.key_copy", "<Control>c"}},
      {{"normal_font", "Sans Bold 11"}, {"pathbar.normal_font", "Sans Bold 11"}},
  };
  for (const auto& [given, stored] : cases) {
    SCOPED_TRACE(std::string(given.first) + " " + given.second);
    set({given.first, given.second});
    EXPECT_EQ(get(stored.first), stored.second);
  }
  // All of them are in the file, in their normal form.
  std::vector<std::pair<std::string, std::string>> stored_values;
  for (const auto& [given, stored] : cases)
    stored_values.emplace_back(stored.first, stored.second);
  EXPECT_EQ(read_file(settings_file()), settings_text_with(stored_values));
}

// A choice word is stored as the catalogue spells it, whatever letter case it was given in, so
// that everything that compares it exactly sees the word the user meant.
TEST_F(SettingsCommandsTest, ChoiceWordsAreStoredAsTheCatalogueSpellsThem) {
  set({"terminal.prompt_enabled", "true", "terminal.style", "powerline"});
  const std::string powerline_prompt = read_file(config() + "/prompt.sh");
  ASSERT_NE(powerline_prompt.find("__fk_build() {"), std::string::npos) << powerline_prompt;
  EXPECT_EQ(powerline_prompt.find("setopt prompt_subst"), std::string::npos);

  set({"terminal.style", "plain"});
  ASSERT_NE(read_file(config() + "/prompt.sh"), powerline_prompt);

  set({"terminal.style", "Powerline"});
  EXPECT_EQ(get("terminal.style"), "powerline");
  EXPECT_NE(read_file(settings_file()).find("\nstyle=powerline\n"), std::string::npos);
  EXPECT_EQ(read_file(config() + "/prompt.sh"), powerline_prompt);
  EXPECT_EQ(run_fennick({"prompt"}).out, powerline_prompt);
  EXPECT_NE(run_fennick({"list", "terminal"})
                .out.find(list_line("terminal.style", "powerline", "(default: plain)")),
            std::string::npos);

  set({"terminal.style", "POWERLINE"});
  EXPECT_EQ(read_file(config() + "/prompt.sh"), powerline_prompt);

  // The default word in capitals is the default: no "(default: ...)" part in the list.
  set({"terminal.style", "PLAIN"});
  EXPECT_NE(run_fennick({"list", "terminal"}).out.find(list_line("terminal.style", "plain")),
            std::string::npos);

  // The scope guard, the folder style and the separator follow the word as well.
  set({"terminal.scope", "ALL"});
  EXPECT_EQ(read_file(config() + "/prompt.sh").find("FENNICK_FORCE"), std::string::npos);
  set({"terminal.scope", "Nemo"});
  EXPECT_NE(read_file(config() + "/prompt.sh").find("FENNICK_FORCE"), std::string::npos);
  set({"terminal.cwd_style", "Short"});
  EXPECT_NE(read_file(config() + "/prompt.sh").find("\nPROMPT_DIRTRIM=2\n"), std::string::npos);

  set({"pathbar.enabled", "true", "pathbar.shape", "pill"});
  const std::string pill_css = read_file(config() + "/fennick.css");
  set({"pathbar.shape", "custom"});
  ASSERT_NE(read_file(config() + "/fennick.css"), pill_css);
  set({"pathbar.shape", "PiLL"});
  EXPECT_EQ(read_file(config() + "/fennick.css"), pill_css);
}

TEST_F(SettingsCommandsTest, EveryBadPairIsReportedAndNothingIsWritten) {
  const RunResult run = run_fennick(
      {"set",       "terminal.bold",  "maybe", "enabled",           "true",  "panes.max_panes",
       "x",         "symbol",         "ok",    "terminal.style",    "fancy", "terminal.color_user",
       "#abc",      "nosuchkey",      "1",     "terminal.key_copy", "a\nb",  "terminal.symbol",
       "a\nb",      "terminal.style", "",      "terminal.bold",     " true", "border_width",
       "999",       "border_width",   "-1",    "max_panes",         "1",     "stats_max_entries",
       "2147483647"});
  EXPECT_EQ(run.status, 1);
  EXPECT_EQ(run.out, "");
  EXPECT_EQ(run.err,
            "fennick: bad value \"maybe\" for terminal.bold  (use true or false)\n"
            "fennick: \"enabled\" is ambiguous; write one of: pathbar.enabled, panes.enabled\n"
            "fennick: bad value \"x\" for panes.max_panes  (a number from 2 to 12)\n"
            "fennick: bad value \"fancy\" for terminal.style  (one of: plain,powerline)\n"
            "fennick: bad value \"#abc\" for terminal.color_user  (a colour like #E69F00, or empty "
            "for the theme colour)\n"
            "fennick: unknown setting \"nosuchkey\"  (try: fennick list)\n"
            "fennick: bad value \"a\\nb\" for terminal.key_copy  (a key combination like "
            "<Primary><Shift>F3)\n"
            "fennick: bad value \"a\\nb\" for terminal.symbol\n"
            "fennick: bad value \"\" for terminal.style  (one of: plain,powerline)\n"
            "fennick: bad value \" true\" for terminal.bold  (use true or false)\n"
            // A number out of its range is refused as one that is no number, not brought into
            // the range as a number read from a file is.
            "fennick: bad value \"999\" for pathbar.border_width  (a number from 0 to 8)\n"
            "fennick: bad value \"-1\" for pathbar.border_width  (a number from 0 to 8)\n"
            "fennick: bad value \"1\" for panes.max_panes  (a number from 2 to 12)\n"
            "fennick: bad value \"2147483647\" for sidebar.stats_max_entries  (a number from "
            "1000 to 5000000)\n");
  EXPECT_FALSE(file_exists(config()));
}

TEST_F(SettingsCommandsTest, OneBadPairKeepsTheGoodOnesFromTheFile) {
  set({"terminal.symbol", "%"});
  const std::string before = read_file(settings_file());
  const std::string css_before = read_file(config() + "/fennick.css");
  const RunResult run = run_fennick({"set", "pathbar.shape", "pill", "nosuchkey", "1"});
  EXPECT_EQ(run.status, 1);
  EXPECT_EQ(run.out, "");
  EXPECT_EQ(run.err, "fennick: unknown setting \"nosuchkey\"  (try: fennick list)\n");
  EXPECT_EQ(read_file(settings_file()), before);
  EXPECT_EQ(read_file(config() + "/fennick.css"), css_before);
  EXPECT_EQ(get("pathbar.shape"), "custom");
  EXPECT_EQ(folder_entries(config()), generated_files());
}

TEST_F(SettingsCommandsTest, LineBreaksAreRefusedInEveryFreeTextKind) {
  set({"terminal.symbol", "%"});
  const std::string before = read_file(settings_file());
  const std::pair<const char*, const char*> cases[] = {
      {"terminal.symbol", ""},
      {"terminal.template", ""},
      {"pathbar.normal_font", ""},
      {"panes.key_add", "  (a key combination like <Primary><Shift>F3)"},
  };
  for (const auto& [name, hint] : cases) {
    for (const char* value : {"a\rb", "a\nb", "\r", "ab\r\n", "\n"}) {
      SCOPED_TRACE(std::string(name) + " " + value);
      const RunResult run = run_fennick({"set", name, value});
      EXPECT_EQ(run.status, 1);
      EXPECT_EQ(run.out, "");
      // The line break is shown escaped, so the message stays one line.
      EXPECT_EQ(run.err,
                "fennick: bad value \"" + printable(value) + "\" for " + name + hint + "\n");
    }
  }
  EXPECT_EQ(read_file(settings_file()), before);
  EXPECT_EQ(get("symbol"), "%");
}

TEST_F(SettingsCommandsTest, ResetOneSetting) {
  set({"terminal.symbol", "%", "pathbar.shape", "pill", "panes.enabled", "false"});
  const RunResult run = run_fennick({"reset", "symbol"});
  EXPECT_EQ(run.status, 0);
  EXPECT_EQ(run.out, "reset and applied\n");
  EXPECT_EQ(run.err, "");
  EXPECT_EQ(read_file(settings_file()),
            settings_text_with({{"pathbar.shape", "pill"}, {"panes.enabled", "false"}}));

  EXPECT_EQ(run_fennick({"reset", "panes.enabled"}).out, "reset and applied\n");
  EXPECT_EQ(get("panes.enabled"), "true");
  EXPECT_EQ(get("pathbar.shape"), "pill");
  EXPECT_EQ(read_file(config() + "/fennick.css"), run_fennick({"css"}).out);
}

TEST_F(SettingsCommandsTest, ResetEverything) {
  set({"terminal.symbol", "%", "pathbar.shape", "pill", "terminal.prompt_enabled", "true"});
  const std::string before = read_file(settings_file());
  const RunResult run = run_fennick({"reset"});
  EXPECT_EQ(run.status, 0);
  // Where the old settings are, and how to bring them back.
  const std::string backup = settings_file() + ".bak";
  EXPECT_EQ(run.out, "reset and applied\nthe previous settings are kept in " + backup +
                         " (fennick import " + backup +
                         " brings them back)\nno Nemo reads the path bar yet: fennick "
                         "extension-install (live) or fennick pathbar-install\n");
  EXPECT_EQ(read_file(backup), before);
  EXPECT_EQ(read_file(settings_file()), settings_text_with({}));
  EXPECT_EQ(read_file(config() + "/prompt.sh"),
            "# fennick: generated from fennick.ini \xE2\x80\x94 edit the settings, not this file\n"
            "# prompt customisation is off\n");
  // Without a settings file a reset writes the three files of the defaults.
  std::filesystem::remove_all(config());
  EXPECT_EQ(run_fennick({"reset"}).out, "reset and applied\n");
  EXPECT_EQ(folder_entries(config()), generated_files());
  EXPECT_EQ(read_file(settings_file()), settings_text_with({}));
}

TEST_F(SettingsCommandsTest, ResetOfUnknownAmbiguousOrEmptyNameResetsNothing) {
  set({"terminal.symbol", "%", "pathbar.enabled", "true"});
  const std::string before = read_file(settings_file());
  // An empty name, as an unset shell variable gives, must never reset everything.
  for (const char* name : {"enabled", "nosuch", "", "Symbol", "terminal."}) {
    const RunResult run = run_fennick({"reset", name});
    EXPECT_EQ(run.status, 1) << name;
    EXPECT_EQ(run.out, "");
    EXPECT_EQ(run.err, name_problem(name));
  }
  EXPECT_EQ(read_file(settings_file()), before);
  EXPECT_EQ(get("symbol"), "%");
  EXPECT_EQ(get("pathbar.enabled"), "true");
}

}  // namespace
