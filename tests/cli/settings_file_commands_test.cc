// The settings file as the commands leave it: its exact bytes after set, values that survive a
// save and a new start, and the one-time rewrite of old pane keys at start-up.
#include <sys/stat.h>
#include <unistd.h>

#include "cli/cli_helpers.h"
#include "test_support.h"

namespace {

// The default file with whole lines replaced; each old text (one line or several) must occur
// exactly once.
std::string default_file_with(const std::vector<std::pair<std::string, std::string>>& lines) {
  std::string text = kDefaultSettingsFile;
  for (const auto& [old_line, new_line] : lines) {
    const std::string needle = "\n" + old_line + "\n";
    const size_t at = text.find(needle);
    if (at == std::string::npos || text.find(needle, at + 1) != std::string::npos) {
      ADD_FAILURE() << "line not found once: " << old_line;
      continue;
    }
    text.replace(at + 1, old_line.size(), new_line);
  }
  return text;
}

const char kOldPaneKeys[] =
    "[panes]\nkey_add=<Primary><Shift>F3\nkey_remove=<Primary><Shift>F4\n"
    "key_left=<Primary><Shift>F5\nkey_right=<Primary><Shift>F6\n";

using SettingsFileCommandsTest = TempHomeTest;

TEST_F(SettingsFileCommandsTest, FileOfTheDefaultsByteForByte) {
  EXPECT_EQ(run_fennick({"apply"}).status, 0);
  EXPECT_EQ(read_file(settings_file()), kDefaultSettingsFile);
  set({"terminal.bold", "true"});
  EXPECT_EQ(read_file(settings_file()), kDefaultSettingsFile);
}

TEST_F(SettingsFileCommandsTest, FileAfterSetByteForByte) {
  ASSERT_EQ(run_fennick({"set", "pathbar.enabled", "Yes", "color_user", "abcdef", "panes.enabled",
                         "off", "readonly_marker", "LOCK", "max_panes", "+9", "symbol", "%"})
                .status,
            0);
  EXPECT_EQ(read_file(settings_file()),
            default_file_with({{"[pathbar]\nenabled=false", "[pathbar]\nenabled=true"},
                               {"color_user=#4EC9B0", "color_user=#ABCDEF"},
                               {"[panes]\nenabled=true", "[panes]\nenabled=false"},
                               {"readonly_marker=none", "readonly_marker=lock"},
                               {"max_panes=6", "max_panes=9"},
                               {"symbol=$", "symbol=%"}}));
}

TEST_F(SettingsFileCommandsTest, ValuesAreEscapedInTheFileAndReadBackUnchanged) {
  const std::pair<const char*, const char*> cases[] = {
      {" a b ", "\\sa b\\s"},
      {"   ", "\\s\\s\\s"},
      {" ", "\\s"},
      {"  two leading", "\\s two leading"},
      {"in  between", "in  between"},
      {"a\\b", "a\\\\b"},
      {"C:\\", "C:\\\\"},
      {"\\s", "\\\\s"},
      {"\\n", "\\\\n"},
      {"\\ ", "\\\\\\s"},
      {"\\\\", "\\\\\\\\"},
      {"x=y=z", "x=y=z"},
      {"=", "="},
      {"#not a comment", "#not a comment"},
      {";[x]", ";[x]"},
      {"\xE2\x86\x92 \xCE\xBB \xE2\x9C\x93 \xE2\x80\x94",
       "\xE2\x86\x92 \xCE\xBB \xE2\x9C\x93 \xE2\x80\x94"},
      {"a\tb", "a\tb"},
      {"", ""},
  };
  for (const auto& [value, written] : cases) {
    SCOPED_TRACE(value);
    set({"terminal.symbol", value});
    EXPECT_EQ(read_file(settings_file()),
              default_file_with({{"symbol=$", std::string("symbol=") + written}}));
    EXPECT_EQ(get("terminal.symbol"), value);
    // A new start reads the value back unchanged and writes the same bytes again.
    const std::string saved = read_file(settings_file());
    EXPECT_EQ(run_fennick({"apply"}).status, 0);
    EXPECT_EQ(read_file(settings_file()), saved);
  }
}

TEST_F(SettingsFileCommandsTest, PromptStringsWithBackslashesSurviveASave) {
  set({"terminal.raw_bash", "\\u@\\h:\\w\\$ "});
  set({"terminal.raw_zsh", " %n@%m:%~ %# "});
  set({"terminal.template", "{user} \\{sym}\\ "});
  EXPECT_EQ(read_file(settings_file()),
            default_file_with({{"raw_bash=", "raw_bash=\\\\u@\\\\h:\\\\w\\\\$\\s"},
                               {"raw_zsh=", "raw_zsh=\\s%n@%m:%~ %#\\s"},
                               {"template={user}@{host} {cwd}{git}{nl}{sym}\\s",
                                "template={user} \\\\{sym}\\\\\\s"}}));
  EXPECT_EQ(get("raw_bash"), "\\u@\\h:\\w\\$ ");
  EXPECT_EQ(get("raw_zsh"), " %n@%m:%~ %# ");
  EXPECT_EQ(get("template"), "{user} \\{sym}\\ ");
}

// Only spaces are protected at the ends of a value; a tab there is lost at the next start.
TEST_F(SettingsFileCommandsTest, TabsAtTheEndsOfAValueAreLostWhenReadBack) {
  set({"terminal.symbol", "\t>\t"});
  EXPECT_EQ(read_file(settings_file()), default_file_with({{"symbol=$", "symbol=\t>\t"}}));
  EXPECT_EQ(get("symbol"), ">");
}

TEST_F(SettingsFileCommandsTest, EveryKindRoundTripsThroughSetAndGet) {
  const std::pair<const char*, const char*> values[] = {
      {"pathbar.enabled", "true"},
      {"pathbar.border_style", "double"},
      {"pathbar.border_width", "0"},
      {"pathbar.border_color", "#00FF7F"},
      {"pathbar.normal_font", "DejaVu Sans Mono Bold Italic 10.5"},
      {"terminal.separator", "flame"},
      {"terminal.template", "{time} {exit}{nl}{sym}"},
      {"terminal.key_paste", "<Primary>v"},
      {"panes.key_right", ""},
      {"sidebar.stats_ttl_seconds", "86400"},
      {"sidebar.readonly_color_light", ""},
  };
  std::vector<std::string> args{"set"};
  for (const auto& [name, value] : values) {
    args.push_back(name);
    args.push_back(value);
  }
  ASSERT_EQ(run_fennick(args).status, 0);
  for (const auto& [name, value] : values)
    EXPECT_EQ(get(name), value) << name;
  std::vector<std::pair<std::string, std::string>> expected;
  for (const auto& [name, value] : values)
    expected.emplace_back(name, value);
  EXPECT_EQ(read_file(settings_file()), settings_text_with(expected));
}

TEST_F(SettingsFileCommandsTest, OldPaneKeysAreRewrittenAtTheNextStartOfAnyCommand) {
  const std::vector<std::vector<std::string>> commands{{"version"},
                                                       {"help"},
                                                       {},
                                                       {"list"},
                                                       {"get", "symbol"},
                                                       {"get"},
                                                       {"css"},
                                                       {"prompt"},
                                                       {"nosuchcommand"},
                                                       {"set", "nosuch", "1"},
                                                       {"set", "symbol"},
                                                       {"reset", "nosuch"}};
  for (const std::vector<std::string>& args : commands) {
    SCOPED_TRACE(args.empty() ? "(no command)" : args[0]);
    std::filesystem::remove_all(config());
    write_file(settings_file(), std::string("[terminal]\nsymbol=%\n") + kOldPaneKeys);
    run_fennick(args);
    EXPECT_EQ(read_file(settings_file()), default_file_with({{"symbol=$", "symbol=%"}}));
    // Only the settings file is written; the generated files wait for the next apply.
    EXPECT_EQ(folder_entries(config()), std::set<std::string>{"fennick.ini"});
  }
}

TEST_F(SettingsFileCommandsTest, MigrationTouchesOnlyTheExactOldKeys) {
  write_file(settings_file(),
             "[panes]\nkey_add=<Primary><Shift>F3\nkey_remove=<Primary><Shift>F9\n"
             "key_left=<primary><shift>F5\nkey_right=<Primary><Shift>F5\n"
             "[terminal]\nkey_copy=<Primary><Shift>F3\n");
  EXPECT_EQ(run_fennick({"version"}).out, "fennick 1.1\n");
  EXPECT_EQ(read_file(settings_file()),
            default_file_with({{"key_remove=F4", "key_remove=<Primary><Shift>F9"},
                               {"key_left=F5", "key_left=<primary><shift>F5"},
                               {"key_right=F6", "key_right=<Primary><Shift>F5"},
                               {"key_copy=<Primary><Shift>c", "key_copy=<Primary><Shift>F3"}}));
}

TEST_F(SettingsFileCommandsTest, MigrationNeedsAnExistingFileAndOldKeys) {
  // No settings file: the old keys cannot be there and nothing is written.
  EXPECT_EQ(run_fennick({"version"}).status, 0);
  EXPECT_FALSE(file_exists(config()));

  // A hand-written file without old keys is left exactly as it is, comments and all.
  const std::string own = "# mine\r\n[panes]\nkey_add = F3 \n; note\n[terminal]\nsymbol=%";
  write_file(settings_file(), own);
  EXPECT_EQ(run_fennick({"version"}).status, 0);
  EXPECT_EQ(run_fennick({"list"}).status, 0);
  EXPECT_EQ(read_file(settings_file()), own);
}

TEST_F(SettingsFileCommandsTest, MigrationKeepsALinkedSettingsFileLinked) {
  const std::string real = home() + "/dotfiles/fennick.ini";
  write_file(real, kOldPaneKeys);
  std::filesystem::create_directories(config());
  std::filesystem::create_symlink("../dotfiles/fennick.ini", settings_file());
  EXPECT_EQ(run_fennick({"version"}).status, 0);
  struct stat info;
  ASSERT_EQ(lstat(settings_file().c_str(), &info), 0);
  EXPECT_TRUE(S_ISLNK(info.st_mode));
  EXPECT_EQ(read_file(real), kDefaultSettingsFile);
}

TEST_F(SettingsFileCommandsTest, FailedMigrationIsIgnoredAndTriedAgain) {
  if (geteuid() == 0) GTEST_SKIP() << "permission bits do not stop root";
  write_file(settings_file(), kOldPaneKeys);
  ASSERT_EQ(chmod(config().c_str(), 0500), 0);
  const RunResult run = run_fennick({"get", "key_add"});
  EXPECT_EQ(run.status, 0);
  EXPECT_EQ(run.out, "F3\n");
  EXPECT_EQ(run.err, "");
  EXPECT_EQ(read_file(settings_file()), kOldPaneKeys);
  ASSERT_EQ(chmod(config().c_str(), 0700), 0);
  EXPECT_EQ(run_fennick({"version"}).status, 0);
  EXPECT_EQ(read_file(settings_file()), kDefaultSettingsFile);
}

}  // namespace

// A rewrite of a settings file with lines it does not keep (the user's comments, misspelt keys,
// bad values, binary junk) first keeps the old file as fennick.ini.bak and says so once; readers
// write nothing, and a file the program wrote itself needs no copy.
TEST_F(SettingsFileCommandsTest, ARewriteOverHandEditsKeepsTheOldFileOnce) {
  const std::string hand_made =
      "# my colours\n[pathbar]\nspacing=3\nspacnig=4\nborder_width=many\n\x01\x02\xff\n";
  make_dir(config());
  write_file(settings_file(), hand_made);
  for (const char* reader : {"get", "list", "css", "prompt", "status"}) {
    run_fennick({reader, std::string(reader) == "get" ? "spacing" : ""});
    EXPECT_FALSE(file_exists(settings_file() + ".bak")) << reader;
  }
  const RunResult first = run_fennick({"set", "terminal.symbol", ">"});
  EXPECT_EQ(first.status, 0);
  EXPECT_EQ(first.err, "fennick: 4 line(s) of " + settings_file() +
                           " were comments or not understood and are not in the rewritten file; "
                           "the old file is kept in " +
                           settings_file() + ".bak\n");
  EXPECT_EQ(read_file(settings_file() + ".bak"), hand_made);
  EXPECT_EQ(get("pathbar.spacing"), "3");
  const RunResult second = run_fennick({"set", "terminal.symbol", "$"});
  EXPECT_EQ(second.err, "");
  EXPECT_EQ(read_file(settings_file() + ".bak"), hand_made);
}

// Only a reset of everything keeps the old file, as an import does; a link planted at the
// backup's name is moved aside, never written through.
TEST_F(SettingsFileCommandsTest, AFullResetKeepsTheOldFile) {
  ASSERT_EQ(run_fennick({"set", "pathbar.spacing", "5"}).status, 0);
  const std::string before = read_file(settings_file());
  ASSERT_EQ(run_fennick({"reset", "pathbar.spacing"}).status, 0);
  EXPECT_FALSE(file_exists(settings_file() + ".bak"));
  ASSERT_EQ(run_fennick({"set", "pathbar.spacing", "5"}).status, 0);
  write_file(home() + "/elsewhere", "not to be touched\n");
  ASSERT_EQ(symlink((home() + "/elsewhere").c_str(), (settings_file() + ".bak").c_str()), 0);
  const RunResult reset = run_fennick({"reset"});
  EXPECT_EQ(reset.status, 0) << reset.err;
  EXPECT_EQ(reset.err, "fennick: moved " + settings_file() + ".bak aside to " + settings_file() +
                           ".bak.moved-aside: it is a symbolic link, not a file fennick made\n");
  EXPECT_FALSE(is_symlink(settings_file() + ".bak"));
  EXPECT_EQ(read_file(settings_file() + ".bak"), before);
  EXPECT_EQ(read_file(home() + "/elsewhere"), "not to be touched\n");
  EXPECT_EQ(get("pathbar.spacing"), "0");
}

// Control characters of a value or a name reach the terminal escaped, in list and in messages.
TEST_F(SettingsFileCommandsTest, ControlCharactersAreShownEscaped) {
  ASSERT_EQ(run_fennick({"set", "terminal.symbol", "a\x1b[31mb\tc"}).status, 0);
  const std::string list = run_fennick({"list", "terminal"}).out;
  EXPECT_NE(list.find("a\\x1b[31mb\\tc"), std::string::npos) << list;
  EXPECT_EQ(list.find('\x1b'), std::string::npos);
  EXPECT_EQ(get("terminal.symbol"), "a\x1b[31mb\tc");  // get gives the value itself
  for (const std::vector<std::string>& args : {std::vector<std::string>{"get", "x\x1b]0;t\x07"},
                                               {"set", "x\x1b]0;t\x07", "1"},
                                               {"set", "pathbar.spacing", "\x1b[2J"},
                                               {"x\x1b[2J"},
                                               {"import", home() + "/\x1b[2J"}}) {
    const RunResult run = run_fennick(args);
    EXPECT_NE(run.status, 0);
    EXPECT_EQ(run.err.find('\x1b'), std::string::npos) << run.err;
    EXPECT_NE(run.err.find("\\x1b"), std::string::npos) << run.err;
  }
}
