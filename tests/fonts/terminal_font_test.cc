// The `font` sub-commands against real gsettings with GNOME Terminal's own schemas, on the key
// file back end inside the test's home, so that no real terminal profile is ever read or changed.
#include <gtest/gtest.h>
#include <stdlib.h>

#include <filesystem>
#include <string>
#include <utility>
#include <vector>

#include "font_test_support.h"
#include "fonts/terminal_font.h"

namespace {

const char kProfileId[] = "6d1e3c2a-58f4-4b7e-9a0c-2f9e8d7c6b5a";
const char kProfileList[] = "org.gnome.Terminal.ProfilesList";
const char kUsage[] = "usage: fennick font check | install [--yes] | use | restore\n";

class TerminalFontTest : public FontHomeTest {
 protected:
  void SetUp() override {
    FontHomeTest::SetUp();
    RunResult schemas = run_program({"gsettings", "list-schemas"});
    ASSERT_NE(schemas.out.find(std::string(kProfileList) + "\n"), std::string::npos)
        << "gsettings with GNOME Terminal's schemas is needed (Debian: libglib2.0-bin, "
           "gnome-terminal)";
    gsettings_set(kProfileList, "list", std::string("['") + kProfileId + "']");
    gsettings_set(kProfileList, "default", std::string("'") + kProfileId + "'");
    gsettings_set(profile(), "font", "'Ubuntu Mono 13'");
    gsettings_set(profile(), "use-system-font", "true");
    // The values really live in the test's own key file.
    ASSERT_NE(read_file(home() + "/.config/glib-2.0/settings/keyfile").find("Ubuntu Mono 13"),
              std::string::npos);
  }

  static std::string profile() {
    return std::string("org.gnome.Terminal.Legacy.Profile:/org/gnome/terminal/legacy/profiles:/:") +
           kProfileId + "/";
  }
  std::string backup() const { return config() + "/font-backup.txt"; }

  static void gsettings_set(const std::string& schema, const std::string& key,
                            const std::string& value) {
    RunResult set = run_program({"gsettings", "set", schema, key, value});
    ASSERT_EQ(set.status, 0) << schema << " " << key << " " << value << ": " << set.err;
  }
  static std::string gsettings_value(const std::string& key) {
    return run_program({"gsettings", "get", profile(), key}).out;
  }
  // The profile's font and flag as gsettings prints them.
  static std::string profile_state() {
    return gsettings_value("font") + gsettings_value("use-system-font");
  }
  // Puts a stand-in for gsettings first on PATH that runs `shell_code` for "set SCHEMA font ..."
  // and hands every other call to the real gsettings.
  void stand_in_for_set_font(const std::string& shell_code) {
    const std::string real =
        split_lines(run_program({"sh", "-c", "command -v gsettings"}).out).at(0);
    write_file(home() + "/wrap/gsettings", "#!/bin/sh\nif [ \"$1 $3\" = 'set font' ]; then " +
                                               shell_code + "; fi\nexec '" + real + "' \"$@\"\n");
    chmod((home() + "/wrap/gsettings").c_str(), 0755);
    setenv("PATH", (home() + "/wrap:" + getenv("PATH")).c_str(), 1);
  }
};

const char kNotKept[] =
    "fennick: the terminal profile did not keep the font (gsettings stored nothing: is there a "
    "session bus?); nothing changed.\n";

TEST_F(TerminalFontTest, UseThenRestoreBringsTheOldFontBack) {
  install_font_by_hand();
  RunResult used = run_fennick({"font", "use"});
  EXPECT_EQ(used.status, 0) << used.err;
  EXPECT_EQ(used.out,
            "the default terminal profile now uses \"MesloLGS NF 13\". Undo with: fennick font "
            "restore\n"
            "(The terminal inside Nemo follows the system monospace font: Menu > Preferences > "
            "Fonts.)\n");
  EXPECT_EQ(used.err, "");
  EXPECT_EQ(profile_state(), "'MesloLGS NF 13'\nfalse\n");
  const std::string first_backup = profile() + "\n'Ubuntu Mono 13'\ntrue\n";
  EXPECT_EQ(read_file(backup()), first_backup);

  // A second use keeps the backup of the first, which holds the state from before any change.
  gsettings_set(profile(), "font", "'Other Mono 9'");
  RunResult again = run_fennick({"font", "use"});
  EXPECT_EQ(again.status, 0) << again.err;
  EXPECT_EQ(profile_state(), "'MesloLGS NF 9'\nfalse\n");
  EXPECT_EQ(read_file(backup()), first_backup);

  RunResult check = run_fennick({"font", "check"});
  EXPECT_EQ(check.status, 0);
  EXPECT_EQ(check.out,
            "powerline-capable font installed: MesloLGS NF\n"
            "default terminal profile font: 'MesloLGS NF 9' (system font: false)\n");

  RunResult restored = run_fennick({"font", "restore"});
  EXPECT_EQ(restored.status, 0) << restored.err;
  EXPECT_EQ(restored.out, "terminal profile font restored\n");
  EXPECT_EQ(restored.err, "");
  EXPECT_EQ(profile_state(), "'Ubuntu Mono 13'\ntrue\n");
  EXPECT_FALSE(file_exists(backup()));

  RunResult nothing = run_fennick({"font", "restore"});
  EXPECT_EQ(nothing.status, 0);
  EXPECT_EQ(nothing.out, "nothing to restore\n");
  EXPECT_EQ(profile_state(), "'Ubuntu Mono 13'\ntrue\n");
}

// The new font keeps the size that ends the profile's font, 12 when it ends in no size, and a
// restore brings back the font as it was, quotes in its name included.
TEST_F(TerminalFontTest, UseKeepsTheSizeOfTheProfileFont) {
  install_font_by_hand();
  const std::pair<std::string, std::string> cases[] = {
      // the profile's font as gsettings prints it, and the font it gets
      {"'Ubuntu Mono 16'", "MesloLGS NF 16"},
      {"'Monospace 10.5'", "MesloLGS NF 10.5"},
      {"'Sans'", "MesloLGS NF 12"},
      {"'DejaVu Sans Mono Bold Oblique 9'", "MesloLGS NF 9"},
      {"\"O'Neil Mono 14\"", "MesloLGS NF 14"},
      {"'Noto Mono 0'", "MesloLGS NF 12"},
      {"'Fira Code 1.2.3'", "MesloLGS NF 12"},
      {"'Source Code Pro .5'", "MesloLGS NF 12"},
      {"''", "MesloLGS NF 12"},
  };
  for (const auto& [old_font, font] : cases) {
    gsettings_set(profile(), "font", old_font);
    RunResult used = run_fennick({"font", "use"});
    EXPECT_EQ(used.status, 0) << old_font << used.err;
    EXPECT_EQ(split_lines(used.out).at(0), "the default terminal profile now uses \"" + font +
                                               "\". Undo with: fennick font restore")
        << old_font;
    EXPECT_EQ(profile_state(), "'" + font + "'\nfalse\n") << old_font;
    RunResult restored = run_fennick({"font", "restore"});
    EXPECT_EQ(restored.status, 0) << old_font << restored.err;
    EXPECT_EQ(profile_state(), old_font + "\ntrue\n");
  }
}

// Without a session bus gsettings keeps values in memory only and still exits 0. A use then
// fails and takes back the backup it made; a backup from an earlier use, the user's own font,
// stays, and so does the backup of a restore that did not stick.
TEST_F(TerminalFontTest, ValuesGsettingsDoesNotKeepAreAnError) {
  install_font_by_hand();
  setenv("GSETTINGS_BACKEND", "memory", 1);
  RunResult run = run_fennick({"font", "use"});
  EXPECT_EQ(run.status, 1);
  EXPECT_EQ(run.out, "");
  EXPECT_EQ(run.err, kNotKept);
  EXPECT_FALSE(file_exists(backup()));

  setenv("GSETTINGS_BACKEND", "keyfile", 1);
  EXPECT_EQ(profile_state(), "'Ubuntu Mono 13'\ntrue\n");
  ASSERT_EQ(run_fennick({"font", "use"}).status, 0);
  const std::string first_backup = profile() + "\n'Ubuntu Mono 13'\ntrue\n";
  ASSERT_EQ(read_file(backup()), first_backup);
  setenv("GSETTINGS_BACKEND", "memory", 1);
  run = run_fennick({"font", "use"});
  EXPECT_EQ(run.status, 1);
  EXPECT_EQ(run.err, kNotKept);
  EXPECT_EQ(read_file(backup()), first_backup);
  run = run_fennick({"font", "restore"});
  EXPECT_EQ(run.status, 1);
  EXPECT_EQ(run.out, "");
  EXPECT_EQ(run.err,
            "fennick: the terminal profile did not keep the restored font (gsettings stored "
            "nothing: is there a session bus?); the previous values stay in " +
                backup() + "\n");
  EXPECT_EQ(read_file(backup()), first_backup);

  setenv("GSETTINGS_BACKEND", "keyfile", 1);
  EXPECT_EQ(profile_state(), "'MesloLGS NF 13'\nfalse\n");
  run = run_fennick({"font", "restore"});
  EXPECT_EQ(run.status, 0) << run.err;
  EXPECT_EQ(profile_state(), "'Ubuntu Mono 13'\ntrue\n");
}

// The backup is the program's own file: a link to nothing planted at its name is moved aside for
// it, not followed.
TEST_F(TerminalFontTest, ALinkPlantedAtTheBackupIsReplacedNotFollowed) {
  install_font_by_hand();
  make_dir(config());
  make_dir(home() + "/elsewhere");
  const std::string outside = home() + "/elsewhere/written-through-the-link";
  ASSERT_EQ(symlink(outside.c_str(), backup().c_str()), 0);
  RunResult used = run_fennick({"font", "use"});
  EXPECT_EQ(used.status, 0) << used.err;
  EXPECT_FALSE(file_exists(outside));
  EXPECT_FALSE(is_symlink(backup()));
  EXPECT_EQ(read_file(backup()), profile() + "\n'Ubuntu Mono 13'\ntrue\n");
}

// Only a backup the program made counts: a link to a backup-like file elsewhere is never read. A
// restore refuses and changes nothing; a use moves the link aside and keeps a real backup.
TEST_F(TerminalFontTest, APlantedBackupIsNeverTrusted) {
  install_font_by_hand();
  const std::string outside = home() + "/elsewhere/backup";
  write_file(outside, profile() + "\n'Planted Mono 20'\nfalse\n");
  make_dir(config());
  std::filesystem::create_symlink(outside, backup());
  RunResult run = run_fennick({"font", "restore"});
  EXPECT_EQ(run.status, 1);
  EXPECT_EQ(run.out, "");
  EXPECT_EQ(run.err, "fennick: not restoring from " + backup() +
                         ": it is a symbolic link, not a backup fennick made; nothing changed.\n");
  EXPECT_EQ(profile_state(), "'Ubuntu Mono 13'\ntrue\n");

  run = run_fennick({"font", "use"});
  EXPECT_EQ(run.status, 0) << run.err;
  EXPECT_EQ(run.err, "fennick: moved " + backup() + " aside to " + backup() +
                         ".moved-aside: it is a symbolic link, not a file fennick made\n");
  EXPECT_FALSE(is_symlink(backup()));
  EXPECT_EQ(read_file(backup()), profile() + "\n'Ubuntu Mono 13'\ntrue\n");
  EXPECT_EQ(read_file(outside), profile() + "\n'Planted Mono 20'\nfalse\n");
}

TEST_F(TerminalFontTest, RestoreWithoutBackupChangesNothing) {
  gsettings_set(profile(), "font", "'Fixed 8'");
  RunResult run = run_fennick({"font", "restore"});
  EXPECT_EQ(run.status, 0);
  EXPECT_EQ(run.out, "nothing to restore\n");
  EXPECT_EQ(run.err, "");
  EXPECT_EQ(profile_state(), "'Fixed 8'\ntrue\n");
}

// The font line keeps the quotes gsettings printed; they are taken off before the value goes
// back. A backup without its last line end, or with CR LF line ends, is read all the same.
TEST_F(TerminalFontTest, RestoreTakesTheQuotesOffTheFont) {
  for (const std::string& text :
       {profile() + "\n'Monospace 12'\nfalse\n", profile() + "\n'Monospace 12'\nfalse",
        profile() + "\r\n'Monospace 12'\r\nfalse\r\n", profile() + "\n'Monospace 12\nfalse\n"}) {
    gsettings_set(profile(), "font", "'Other 7'");
    gsettings_set(profile(), "use-system-font", "true");
    write_file(backup(), text);
    RunResult run = run_fennick({"font", "restore"});
    EXPECT_EQ(run.status, 0) << text << run.err;
    EXPECT_EQ(run.out, "terminal profile font restored\n") << text;
    EXPECT_EQ(profile_state(), "'Monospace 12'\nfalse\n") << text;
    EXPECT_FALSE(file_exists(backup())) << text;
  }
}

// The backup is the only record of the user's own font: when gsettings refuses either value it
// stays for another try, and the run fails with a message.
TEST_F(TerminalFontTest, ARefusedRestoreKeepsTheBackup) {
  const std::string cases[] = {
      // a profile path gsettings rejects (no closing slash)
      "org.gnome.Terminal.Legacy.Profile:/org/gnome/terminal/legacy/profiles:/:" +
          std::string(kProfileId) + "\n'Monospace 12'\nfalse\n",
      // a schema that does not exist
      "org.example.NoSuchSchema:/x/\n'Monospace 12'\nfalse\n",
      // a flag value that is no boolean
      profile() + "\n'Monospace 12'\nmaybe\n",
      // an empty flag, as a backup made while gsettings could not read the profile has
      profile() + "\n\n\n",
  };
  for (const std::string& text : cases) {
    write_file(backup(), text);
    RunResult run = run_fennick({"font", "restore"});
    EXPECT_EQ(run.status, 1) << text;
    EXPECT_EQ(run.out, "") << text;
    EXPECT_EQ(run.err.rfind("fennick: ", 0), 0u) << text << run.err;
    EXPECT_EQ(split_lines(run.err).size(), 1u) << run.err;
    EXPECT_EQ(run.err.back(), '\n');
    EXPECT_EQ(read_file(backup()), text);
  }
}

// A backup cut short holds no font: it is left alone, and that is a failed restore.
TEST_F(TerminalFontTest, AShortBackupIsLeftAlone) {
  for (const std::string& text : {profile() + "\n'Monospace 12'\n", std::string("")}) {
    write_file(backup(), text);
    RunResult run = run_fennick({"font", "restore"});
    EXPECT_EQ(run.status, 1) << text;
    EXPECT_EQ(run.out, "") << text;
    EXPECT_EQ(run.err, "fennick: " + backup() +
                           " does not hold the three lines of a font fennick saved; it is left "
                           "as it is and the terminal profile was not changed\n")
        << text;
    EXPECT_EQ(read_file(backup()), text);
    EXPECT_EQ(profile_state(), "'Ubuntu Mono 13'\ntrue\n");
  }
}

TEST_F(TerminalFontTest, UseWithoutAProfileChangesNothing) {
  install_font_by_hand();
  const std::string message =
      "fennick: no GNOME/Mint terminal profile found (gsettings), nothing changed.\n";
  gsettings_set(kProfileList, "default", "''");
  RunResult run = run_fennick({"font", "use"});
  EXPECT_EQ(run.status, 1);
  EXPECT_EQ(run.out, "");
  EXPECT_EQ(run.err, message);
  EXPECT_FALSE(file_exists(backup()));
  EXPECT_EQ(profile_state(), "'Ubuntu Mono 13'\ntrue\n");

  // Without GNOME Terminal's schemas gsettings knows no profile list at all.
  make_dir(home() + "/no-schemas");
  setenv("XDG_DATA_DIRS", (home() + "/no-schemas").c_str(), 1);
  run = run_fennick({"font", "use"});
  EXPECT_EQ(run.status, 1);
  EXPECT_EQ(run.err, message);
  EXPECT_FALSE(file_exists(backup()));
  RunResult check = run_fennick({"font", "check"});
  EXPECT_EQ(check.status, 0);
  EXPECT_EQ(check.out,
            "powerline-capable font installed: MesloLGS NF\n"
            "default terminal profile font:  (system font: )\n");

  // And without gsettings itself.
  setenv("XDG_DATA_DIRS", "/usr/local/share:/usr/share", 1);
  limit_path_to({"fc-list"});
  run = run_fennick({"font", "use"});
  EXPECT_EQ(run.status, 1);
  EXPECT_EQ(run.err, message);
  EXPECT_FALSE(file_exists(backup()));
}

// gsettings refusing the new font: the run fails with the last line gsettings wrote on its
// standard error. The flag is off by then, so the backup stays for the restore.
TEST_F(TerminalFontTest, ARefusedFontSaysWhyGsettingsRefusedIt) {
  install_font_by_hand();
  stand_in_for_set_font(
      "echo 'a first line' >&2\n  echo '  gsettings: the font was refused  ' >&2; exit 1");
  RunResult run = run_fennick({"font", "use"});
  EXPECT_EQ(run.status, 1);
  EXPECT_EQ(run.out, "");
  EXPECT_EQ(run.err, "fennick: gsettings failed: gsettings: the font was refused\n");
  EXPECT_EQ(profile_state(), "'Ubuntu Mono 13'\nfalse\n");
  EXPECT_EQ(read_file(backup()), profile() + "\n'Ubuntu Mono 13'\ntrue\n");
}

// A gsettings that says it set the font but kept only the flag: the run says what the profile
// has now, and the backup stays for the restore.
TEST_F(TerminalFontTest, AChangeKeptInPartSaysSoAndKeepsTheBackup) {
  install_font_by_hand();
  stand_in_for_set_font("exit 0");
  RunResult run = run_fennick({"font", "use"});
  EXPECT_EQ(run.status, 1);
  EXPECT_EQ(run.out, "");
  EXPECT_EQ(run.err,
            "fennick: the terminal profile kept only part of the change (font 'Ubuntu Mono 13', "
            "system font false); undo with: fennick font restore\n");
  EXPECT_EQ(read_file(backup()), profile() + "\n'Ubuntu Mono 13'\ntrue\n");
  run = run_fennick({"font", "restore"});
  EXPECT_EQ(run.status, 0) << run.err;
  EXPECT_EQ(profile_state(), "'Ubuntu Mono 13'\ntrue\n");
}

TEST_F(TerminalFontTest, UseWithoutAPowerlineFontChangesNothing) {
  RunResult run = run_fennick({"font", "use"});
  EXPECT_EQ(run.status, 1);
  EXPECT_EQ(run.out, "");
  EXPECT_EQ(run.err, "fennick: no nerd font installed. Run: fennick font install\n");
  EXPECT_FALSE(file_exists(backup()));
  EXPECT_EQ(profile_state(), "'Ubuntu Mono 13'\ntrue\n");
  RunResult check = run_fennick({"font", "check"});
  EXPECT_EQ(check.out,
            "no installed font has the powerline glyphs; run: fennick font install\n"
            "default terminal profile font: 'Ubuntu Mono 13' (system font: true)\n");
}

// A default profile whose path gsettings rejects: its font cannot be read, so no backup could
// ever bring it back. Nothing is written or changed.
TEST_F(TerminalFontTest, UseStopsWhenTheOldFontCannotBeRead) {
  install_font_by_hand();
  gsettings_set(kProfileList, "default", "'bad//id'");
  RunResult run = run_fennick({"font", "use"});
  EXPECT_EQ(run.status, 1);
  EXPECT_EQ(run.out, "");
  EXPECT_EQ(run.err,
            "fennick: cannot read the font of the default terminal profile (gsettings), nothing "
            "changed.\n");
  EXPECT_FALSE(file_exists(backup()));
  EXPECT_EQ(profile_state(), "'Ubuntu Mono 13'\ntrue\n");
}

TEST_F(TerminalFontTest, SubCommandsAreCheckedAndCaseBlind) {
  for (const std::vector<std::string>& args :
       std::vector<std::vector<std::string>>{{"font"},
                                             {"font", ""},
                                             {"font", "help"},
                                             {"font", "uses"},
                                             {"font", "check-it"},
                                             {"FONT", "instal"}}) {
    RunResult run = run_fennick(args);
    EXPECT_EQ(run.status, 2) << args.back();
    EXPECT_EQ(run.out, "") << args.back();
    EXPECT_EQ(run.err, kUsage) << args.back();
  }
  for (const char* word : {"CHECK", "Check", "check"}) {
    RunResult run = run_fennick({"font", word, "ignored"});
    EXPECT_EQ(run.status, 0) << word;
    EXPECT_EQ(run.out,
              "no installed font has the powerline glyphs; run: fennick font install\n"
              "default terminal profile font: 'Ubuntu Mono 13' (system font: true)\n")
        << word;
    EXPECT_EQ(run.err, "");
  }
  RunResult restore = run_fennick({"font", "RESTORE"});
  EXPECT_EQ(restore.out, "nothing to restore\n");
  RunResult use = run_fennick({"Font", "Use"});
  EXPECT_EQ(use.err, "fennick: no nerd font installed. Run: fennick font install\n");
}

// The same steps called inside the program, as the settings window does.
TEST_F(TerminalFontTest, ProfileLookupAndRestoreResult) {
  EXPECT_EQ(terminal_profile_path(), profile());
  EXPECT_EQ(gsettings_get(profile(), "font"), "'Ubuntu Mono 13'");
  EXPECT_EQ(gsettings_get(profile(), "no-such-key"), "");
  EXPECT_EQ(font_backup_path(), config() + "/font-backup.txt");
  testing::internal::CaptureStdout();
  testing::internal::CaptureStderr();
  EXPECT_EQ(restore_terminal_font(), FontRestore::NoBackup);
  write_file(backup(), profile() + "\n'Monospace 12'\nmaybe\n");
  // A refused value is an error raised for the caller to report.
  EXPECT_THROW(restore_terminal_font(), std::runtime_error);
  const std::string out = testing::internal::GetCapturedStdout();
  const std::string err = testing::internal::GetCapturedStderr();
  EXPECT_EQ(out + err, "");
  EXPECT_TRUE(file_exists(backup()));
  gsettings_set(kProfileList, "default", "''");
  EXPECT_EQ(terminal_profile_path(), "");
}

}  // namespace
