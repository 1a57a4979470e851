// Export and import of the settings: the exported text, where it goes and how a failed write is
// reported; import of good, empty, odd and unreadable files, the backup it keeps, and a round trip
// that gives back the same settings file and generated files.
#include <stdlib.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <stdexcept>
#include <string>
#include <vector>

#include "cli/cli_helpers.h"
#include "presets/export_import.h"
#include "settings/catalogue.h"
#include "settings/settings_file.h"
#include "test_support.h"

namespace {

class ExportImportTest : public TempHomeTest {
 protected:
  void SetUp() override {
    TempHomeTest::SetUp();
    setenv("FENNICK_BIN_DIR", (home() + "/bin").c_str(), 1);
  }

  std::string backup_file() const { return config() + "/fennick.ini.bak"; }
  std::string css_file() const { return config() + "/fennick.css"; }
  std::string prompt_file() const { return config() + "/prompt.sh"; }

  // The line an import prints first (a note on what shows the path bar may follow it).
  static std::string first_line(const std::string& out) {
    return out.substr(0, out.find('\n') + 1);
  }

  std::string imported_line(const std::string& path, const std::string& backup = ".bak") const {
    return "imported " + path + "  (previous settings kept in " + settings_file() + backup + ")\n";
  }

  // Runs the program in folder dir, so that a bare file name lands there.
  static RunResult run_in(const std::string& dir, const std::vector<std::string>& args) {
    std::vector<std::string> full{"sh", "-c", "cd \"$1\" && shift && exec \"$@\"",
                                  "sh", dir,  kFennickBinary};
    full.insert(full.end(), args.begin(), args.end());
    return run_program(full);
  }

  // Runs the program with standard output unbuffered and standard error sent to the same pipe, so
  // that the lines of both come in the order in which the program wrote them.
  static std::string run_merged(const std::vector<std::string>& args) {
    std::vector<std::string> full{"sh", "-c", "exec stdbuf -o0 \"$@\" 2>&1", "sh", kFennickBinary};
    full.insert(full.end(), args.begin(), args.end());
    return run_program(full).out;
  }

  // The three files of the configuration folder and the backup, to show that nothing changed.
  std::vector<std::string> snapshot() const {
    std::vector<std::string> files;
    for (const std::string& path : {settings_file(), backup_file(), css_file(), prompt_file()})
      files.push_back(file_exists(path) ? read_file(path) : "<missing>");
    return files;
  }
};

std::vector<std::string> all_values() {
  std::vector<std::string> values;
  for (int i = 0; i < setting_count(); ++i)
    values.push_back(stored_value(i));
  return values;
}

const std::vector<std::string> kManyValues{"pathbar.enabled",
                                           "true",
                                           "pathbar.shape",
                                           "pill",
                                           "pathbar.border_width",
                                           "4",
                                           "pathbar.border_color",
                                           "#a0b1c2",
                                           "pathbar.normal_bg",
                                           "#102030",
                                           "pathbar.selected_height",
                                           "30",
                                           "terminal.prompt_enabled",
                                           "true",
                                           "terminal.scope",
                                           "all",
                                           "terminal.style",
                                           "powerline",
                                           "terminal.separator",
                                           "rounded",
                                           "terminal.template",
                                           "  {time} [{cwd}] \\ {git}{nl}{exit}{sym}  ",
                                           "terminal.cwd_style",
                                           "short",
                                           "terminal.symbol",
                                           "\xC2\xBB",
                                           "terminal.bold",
                                           "false",
                                           "terminal.color_user",
                                           "",
                                           "terminal.bg_cwd",
                                           "#000000",
                                           "terminal.raw_zsh",
                                           "%n@%m %~ %# ",
                                           "terminal.keys",
                                           "custom",
                                           "panes.enabled",
                                           "false",
                                           "panes.max_panes",
                                           "9",
                                           "panes.key_add",
                                           "F9",
                                           "sidebar.stats_max_seconds",
                                           "600",
                                           "sidebar.readonly_enabled",
                                           "false",
                                           "sidebar.readonly_marker",
                                           "lock"};

TEST_F(ExportImportTest, ExportWritesTheSettingsFileText) {
  ASSERT_EQ(setting_count(), 62);
  // Without a settings file: the defaults, and the configuration folder is not created.
  const std::string fresh = home() + "/fresh.ini";
  const RunResult first = run_fennick({"export", fresh});
  EXPECT_EQ(first.status, 0) << first.err;
  EXPECT_EQ(first.out, "exported 62 settings to " + fresh + "\n");
  EXPECT_EQ(first.err, "");
  EXPECT_EQ(read_file(fresh), settings_text_with({}));
  EXPECT_FALSE(file_exists(config()));

  set(kManyValues);
  const std::string ini = read_file(settings_file());
  const unsigned ini_mode = mode_of(settings_file());
  const std::string target = home() + "/out.ini";
  const RunResult run = run_fennick({"export", target});
  EXPECT_EQ(run.status, 0) << run.err;
  EXPECT_EQ(run.out, "exported 62 settings to " + target + "\n");
  EXPECT_EQ(run.err, "");
  EXPECT_EQ(read_file(target), ini);
  // Export reads the settings; it writes nothing else.
  EXPECT_EQ(read_file(settings_file()), ini);
  EXPECT_EQ(mode_of(settings_file()), ini_mode);
  EXPECT_EQ(folder_entries(config()), generated_files());

  // An existing target is replaced whole.
  write_file(fresh, std::string(20000, 'x'));
  EXPECT_EQ(run_fennick({"export", fresh}).status, 0);
  EXPECT_EQ(read_file(fresh), ini);
}

TEST_F(ExportImportTest, ExportWritesTheSettingsAsHeldNotACopyOfTheFile) {
  // A hand-edited settings file: comments, odd spacing, a clamped value, a bad line, a key given
  // twice. The export is the file the program would write for these values.
  write_file(settings_file(),
             "# my notes\n[pathbar]\n  shape = pill  \nborder_width=99\nnonsense\n"
             "[terminal]\r\nsymbol=>\nsymbol=%\n");
  const std::string target = home() + "/out.ini";
  ASSERT_EQ(run_fennick({"export", target}).status, 0);
  EXPECT_EQ(read_file(target), settings_text_with({{"pathbar.shape", "pill"},
                                                   {"pathbar.border_width", "8"},
                                                   {"terminal.symbol", "%"}}));
}

TEST_F(ExportImportTest, ExportToABareNameButNeverIntoMissingFolders) {
  set({"terminal.symbol", "#"});
  const std::string ini = read_file(settings_file());
  const std::string here = home() + "/work";
  make_dir(here);
  const RunResult bare = run_in(here, {"export", "mine.ini"});
  EXPECT_EQ(bare.status, 0) << bare.err;
  EXPECT_EQ(bare.out, "exported 62 settings to mine.ini\n");
  EXPECT_EQ(read_file(here + "/mine.ini"), ini);
  // Only the file itself is left there, no temporary file beside it.
  EXPECT_EQ(folder_entries(here), std::set<std::string>{"mine.ini"});

  // A folder that does not exist is a mistyped name, not one to make.
  const std::string deep = home() + "/a/b c/d/settings.txt";
  for (const std::string& target : {deep, std::string("sub/dir/x.ini")}) {
    const RunResult nested = run_in(here, {"export", target});
    EXPECT_EQ(nested.status, 1);
    EXPECT_EQ(nested.err, "fennick: cannot write " + target + ": No such file or directory\n");
  }
  EXPECT_FALSE(file_exists(home() + "/a"));
  EXPECT_EQ(folder_entries(here), std::set<std::string>{"mine.ini"});
}

TEST_F(ExportImportTest, ExportThatCannotWriteEndsWithOneErrorLine) {
  set({"terminal.symbol", "#"});
  const std::vector<std::string> before = snapshot();

  // A folder where the file should be: the file cannot replace it.
  const std::string folder = home() + "/taken";
  make_dir(folder + "/inside");
  const RunResult taken = run_fennick({"export", folder});
  EXPECT_EQ(taken.status, 1);
  EXPECT_EQ(taken.out, "");
  EXPECT_EQ(taken.err, "fennick: cannot write " + folder + ": Is a directory\n");
  EXPECT_EQ(folder_entries(folder), std::set<std::string>{"inside"});
  // No temporary file is left beside it.
  for (const std::string& name : folder_entries(home()))
    EXPECT_EQ(name.find(".tmp"), std::string::npos) << name;

  // A regular file where a folder of the path should be.
  write_file(home() + "/plain", "a file\n");
  const std::string through = home() + "/plain/sub/out.ini";
  const RunResult blocked = run_fennick({"export", through});
  EXPECT_NE(blocked.status, 0);
  EXPECT_LT(blocked.status, 128) << "ended by a signal";
  EXPECT_EQ(blocked.out, "");
  EXPECT_EQ(blocked.err.rfind("fennick: ", 0), 0u) << blocked.err;
  EXPECT_EQ(blocked.err.find('\n'), blocked.err.size() - 1) << blocked.err;
  EXPECT_NE(blocked.err.find(home() + "/plain/sub/"), std::string::npos) << blocked.err;
  EXPECT_EQ(read_file(home() + "/plain"), "a file\n");

  EXPECT_EQ(snapshot(), before);
}

// "-", a FIFO and a character device are written into as streams and stay what they are; a
// path with a line break shows escaped in the confirmation.
TEST_F(ExportImportTest, ExportIntoAStreamWritesIntoItAndNeverReplacesIt) {
  set({"terminal.symbol", "#"});
  const std::string ini = read_file(settings_file());
  for (const char* standard_output : {"-", "/dev/stdout"}) {
    const RunResult run = run_fennick({"export", standard_output});
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(run.out, ini) << standard_output;  // the settings and nothing else
  }
  const std::string fifo = home() + "/odd\nname";
  ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
  const RunResult fed = run_program(
      {"sh", "-c", "cat \"$1\" > \"$1.got\" & \"$0\" export \"$1\"; s=$?; wait; exit $s",
       kFennickBinary, fifo});
  EXPECT_EQ(fed.status, 0) << fed.err;
  EXPECT_EQ(fed.out, "exported 62 settings to " + home() + "/odd\\nname\n");
  EXPECT_EQ(run_fennick({"export", "/dev/null"}).status, 0);
  struct stat info;
  ASSERT_EQ(lstat(fifo.c_str(), &info), 0);
  EXPECT_TRUE(S_ISFIFO(info.st_mode));
  ASSERT_EQ(lstat("/dev/null", &info), 0);
  EXPECT_TRUE(S_ISCHR(info.st_mode));
  EXPECT_EQ(read_file(fifo + ".got"), ini);
}

TEST_F(ExportImportTest, ExportIntoAReadOnlyFolder) {
  if (geteuid() == 0) GTEST_SKIP() << "permission bits do not stop root";
  const std::string locked = home() + "/locked";
  make_dir(locked);
  chmod(locked.c_str(), 0500);
  const RunResult run = run_fennick({"export", locked + "/out.ini"});
  EXPECT_NE(run.status, 0);
  EXPECT_EQ(run.out, "");
  EXPECT_EQ(run.err.rfind("fennick: ", 0), 0u) << run.err;
  EXPECT_EQ(run.err.find('\n'), run.err.size() - 1) << run.err;
  EXPECT_NE(run.err.find(locked + "/out.ini"), std::string::npos) << run.err;
  EXPECT_EQ(folder_entries(locked), std::set<std::string>{});
}

TEST_F(ExportImportTest, ExportAndImportNeedAFileName) {
  set({"terminal.symbol", "#"});
  const std::vector<std::string> before = snapshot();
  for (const char* command : {"export", "import", "EXPORT"}) {
    for (const std::vector<std::string>& args :
         {std::vector<std::string>{command}, std::vector<std::string>{command, ""}}) {
      const RunResult run = run_fennick(args);
      EXPECT_EQ(run.status, 2) << command;
      EXPECT_EQ(run.out, expected_usage(settings_file())) << command;
      EXPECT_EQ(run.err, "") << command;
    }
  }
  EXPECT_EQ(snapshot(), before);
  EXPECT_EQ(folder_entries(home()), (std::set<std::string>{"config"}));
}

TEST_F(ExportImportTest, ImportOfAMissingFileTouchesNothing) {
  const std::string missing = home() + "/nosuch.ini";
  // Without settings, and with settings and a backup from before.
  for (int round = 0; round < 2; ++round) {
    const std::vector<std::string> before = snapshot();
    const RunResult run = run_fennick({"import", missing});
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(run.out, "");
    EXPECT_EQ(run.err, "fennick: cannot find " + missing + "\n");
    EXPECT_EQ(snapshot(), before);
    set({"terminal.symbol", "#"});
    write_file(backup_file(), "old backup\n");
  }
  // A path through a regular file, and a dangling link, are missing files as well.
  write_file(home() + "/plain", "x");
  const RunResult through = run_fennick({"import", home() + "/plain/settings.ini"});
  EXPECT_EQ(through.status, 1);
  EXPECT_EQ(through.err, "fennick: cannot find " + home() + "/plain/settings.ini\n");
  ASSERT_EQ(symlink((home() + "/gone.ini").c_str(), (home() + "/link.ini").c_str()), 0);
  const RunResult dangling = run_fennick({"import", home() + "/link.ini"});
  EXPECT_EQ(dangling.status, 1);
  EXPECT_EQ(dangling.err, "fennick: cannot find " + home() + "/link.ini\n");
  EXPECT_EQ(read_file(backup_file()), "old backup\n");
}

// A file that sets nothing would only reset everything: nothing at all, only blank and comment
// lines, notes with a "[" in them, a binary file. It is refused and changes nothing, the backup
// of an earlier import included.
TEST_F(ExportImportTest, ImportOfAFileThatSetsNothingIsRefused) {
  set(kManyValues);
  const std::string old_ini = read_file(settings_file());
  write_file(backup_file(), "old backup\n");
  const std::string empty = home() + "/empty.ini";
  const std::string comments = home() + "/comments.ini";
  const std::string notes = home() + "/notes.txt";
  write_file(empty, "");
  write_file(comments, "\n# exported by hand\n; nothing here\n   \n");
  write_file(notes, "see [1] below\n[terminal]\nbuy milk\n");
  for (const std::string& path : {empty, comments, notes, std::string(kNemoStandIn)}) {
    const RunResult run = run_fennick({"import", path});
    EXPECT_EQ(run.status, 1) << path;
    EXPECT_EQ(run.out, "");
    EXPECT_NE(run.err.find("fennick: " + path +
                           " does not look like a fennick settings file; nothing changed\n"),
              std::string::npos)
        << run.err;
    EXPECT_EQ(read_file(settings_file()), old_ini) << path;
    EXPECT_EQ(read_file(backup_file()), "old backup\n") << path;
    EXPECT_EQ(run_fennick({"get", "terminal.style"}).out, "powerline\n");
  }
}

TEST_F(ExportImportTest, ImportOfNotesIsRefused) {
  const std::string notes = home() + "/notes.txt";
  write_file(notes, "buy milk\nremember: fennick is set up\nshape=pill\n\n# a comment\n");
  const std::string expected_err = "fennick: 3 line(s) of " + notes +
                                   " were not understood and were skipped\nfennick: " + notes +
                                   " does not look like a fennick settings file; nothing changed\n";

  // Without a settings file: nothing is created.
  const RunResult fresh = run_fennick({"import", notes});
  EXPECT_EQ(fresh.status, 1);
  EXPECT_EQ(fresh.out, "");
  EXPECT_EQ(fresh.err, expected_err);
  EXPECT_FALSE(file_exists(config()));

  // With one: it stays as it was, byte for byte, and no backup is made.
  set(kManyValues);
  chmod(settings_file().c_str(), 0640);
  const std::vector<std::string> before = snapshot();
  const RunResult run = run_fennick({"import", notes});
  EXPECT_EQ(run.status, 1);
  EXPECT_EQ(run.out, "");
  EXPECT_EQ(run.err, expected_err);
  EXPECT_EQ(snapshot(), before);
  EXPECT_FALSE(file_exists(backup_file()));
  EXPECT_EQ(mode_of(settings_file()), 0640u);
  EXPECT_EQ(folder_entries(config()), generated_files());
}

TEST_F(ExportImportTest, RefusedImportKeepsTheValuesInMemory) {
  // The window keeps running after a refused import: what it holds must be what it held.
  set_value("pathbar.shape", "pill");
  set_value("terminal.template", " {cwd} ");
  set_value("sidebar.readonly_marker", "lock");
  set_value("panes.max_panes", "2");
  const std::vector<std::string> before = all_values();
  const std::string notes = home() + "/notes.txt";
  write_file(notes, "max_panes=9\nterminal.style=powerline\n");
  testing::internal::CaptureStdout();
  testing::internal::CaptureStderr();
  const ImportOutcome outcome = import_settings(notes);
  const std::string out = testing::internal::GetCapturedStdout();
  const std::string err = testing::internal::GetCapturedStderr();
  EXPECT_FALSE(outcome.imported);
  EXPECT_EQ(out, "");
  EXPECT_EQ(err, "");  // the caller reports
  EXPECT_NE(outcome.refusal.find("does not look like"), std::string::npos) << outcome.refusal;
  EXPECT_EQ(all_values(), before);
  EXPECT_FALSE(file_exists(config()));
}

TEST_F(ExportImportTest, ImportOfAFolderFailsWithOneLineAndKeepsEverything) {
  set(kManyValues);
  const std::vector<std::string> before = snapshot();
  const std::string folder = home() + "/folder.ini";
  make_dir(folder);
  const RunResult run = run_fennick({"import", folder});
  EXPECT_EQ(run.status, 1);
  EXPECT_EQ(run.out, "");
  EXPECT_EQ(run.err, "fennick: Unable to open file \"" + folder + "\": Is a directory\n");
  EXPECT_EQ(snapshot(), before);
  EXPECT_EQ(folder_entries(config()), generated_files());

  // In memory too nothing changes, though the failure goes up to the caller.
  reset_all_to_defaults();
  set_value("pathbar.shape", "pill");
  const std::vector<std::string> values = all_values();
  EXPECT_THROW(import_settings(folder), std::runtime_error);
  EXPECT_EQ(all_values(), values);
}

TEST_F(ExportImportTest, ImportOfAnUnreadableFile) {
  if (geteuid() == 0) GTEST_SKIP() << "permission bits do not stop root";
  set({"terminal.symbol", "#"});
  const std::vector<std::string> before = snapshot();
  const std::string locked = home() + "/locked.ini";
  write_file(locked, "[terminal]\nsymbol=%\n");
  chmod(locked.c_str(), 0);
  const RunResult run = run_fennick({"import", locked});
  EXPECT_EQ(run.status, 1);
  EXPECT_EQ(run.out, "");
  EXPECT_EQ(run.err, "fennick: Unable to open file \"" + locked + "\": Permission denied\n");
  EXPECT_EQ(snapshot(), before);
}

TEST_F(ExportImportTest, ImportWithBadLinesIsAcceptedWhenItHasSections) {
  set({"pathbar.border_width", "4", "terminal.symbol", "#"});
  const std::string old_ini = read_file(settings_file());
  const std::string path = home() + "/typo.ini";
  write_file(path, "[pathbar]\nshape=pill\nbordr_width=6\n[sidebar]\nreadonly_marker=lock\n");
  const RunResult run = run_fennick({"import", path});
  EXPECT_EQ(run.status, 0) << run.err;
  EXPECT_EQ(first_line(run.out), imported_line(path));
  EXPECT_EQ(run.err, "fennick: 1 line(s) of " + path + " were not understood and were skipped\n");
  // The misspelt key's setting takes its default, not its earlier value; so do the settings the
  // file does not mention.
  EXPECT_EQ(read_file(settings_file()),
            settings_text_with({{"pathbar.shape", "pill"}, {"sidebar.readonly_marker", "lock"}}));
  EXPECT_EQ(read_file(backup_file()), old_ini);

  // The count comes before the line that names the import.
  ASSERT_EQ(run_fennick({"set", "border_width", "4"}).status, 0);
  EXPECT_EQ(run_merged({"import", path})
                .rfind("fennick: 1 line(s) of " + path + " were not understood and were skipped\n" +
                           imported_line(path, ".bak.1"),
                       0),
            0u);
}

// Every earlier state is kept: a second import keeps the first one's backup and adds its own.
TEST_F(ExportImportTest, SecondImportKeepsTheFirstBackup) {
  set({"terminal.symbol", "#"});
  const std::string original = read_file(settings_file());
  const std::string first = home() + "/first.ini";
  const std::string second = home() + "/second.ini";
  // The first file as the user wrote it; the settings file it leads to is the normalised text.
  write_file(first, "[terminal]\nsymbol = %\nstyle=POWERLINE\n");
  write_file(second, "[pathbar]\nshape=pill\n");

  ASSERT_EQ(run_fennick({"import", first}).status, 0);
  EXPECT_EQ(read_file(backup_file()), original);
  const std::string after_first = read_file(settings_file());
  EXPECT_EQ(after_first,
            settings_text_with({{"terminal.symbol", "%"}, {"terminal.style", "powerline"}}));

  const RunResult run = run_fennick({"import", second});
  EXPECT_EQ(run.status, 0) << run.err;
  EXPECT_EQ(first_line(run.out), imported_line(second, ".bak.1"));
  EXPECT_EQ(read_file(backup_file()), original);
  EXPECT_EQ(read_file(backup_file() + ".1"), after_first);
  EXPECT_EQ(read_file(settings_file()), settings_text_with({{"pathbar.shape", "pill"}}));
  // A state already kept is not kept twice.
  write_file(settings_file(), original);
  EXPECT_EQ(first_line(run_fennick({"import", second}).out), imported_line(second));
  EXPECT_FALSE(file_exists(backup_file() + ".2"));
}

TEST_F(ExportImportTest, BackupIsAByteCopyWithTheSameMode) {
  // A hand-edited settings file with CR LF line ends and no final line feed is kept as it is.
  const std::string hand_made = "# mine\r\n[terminal]\r\nsymbol=%\r\n\r\n[pathbar]\r\nshape=pill";
  const std::string path = home() + "/in.ini";
  write_file(path, "[terminal]\nsymbol=>\n");
  for (unsigned mode : {0600u, 0644u, 0640u}) {
    std::filesystem::remove(backup_file() + ".1");
    write_file(settings_file(), hand_made);
    chmod(settings_file().c_str(), mode);
    // An older backup with other bits is kept, and does not decide the mode of the new one.
    write_file(backup_file(), "older backup");
    chmod(backup_file().c_str(), mode == 0600u ? 0644u : 0600u);
    const RunResult run = run_fennick({"import", path});
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(read_file(backup_file()), "older backup");
    EXPECT_EQ(read_file(backup_file() + ".1"), hand_made);
    // A private settings file keeps a private backup.
    EXPECT_EQ(mode_of(backup_file() + ".1"), mode);
    EXPECT_EQ(read_file(settings_file()), settings_text_with({{"terminal.symbol", ">"}}));
  }
  EXPECT_EQ(folder_entries(config()),
            (std::set<std::string>{"fennick.ini", "fennick.ini.bak", "fennick.ini.bak.1",
                                   "fennick.css", "fennick-nemo.css", "prompt.sh"}));
}

TEST_F(ExportImportTest, ImportWithoutASettingsFileMakesNoBackup) {
  const std::string path = home() + "/in.ini";
  write_file(path, "[terminal]\nsymbol=%\n");
  const RunResult run = run_fennick({"import", path});
  EXPECT_EQ(run.status, 0) << run.err;
  // The line names the backup all the same.
  EXPECT_EQ(run.out, "imported " + path + "  (previous settings kept in " + config() +
                         "/fennick.ini.bak)\n");
  EXPECT_EQ(run.err, "");
  EXPECT_EQ(folder_entries(config()), generated_files());
  EXPECT_EQ(read_file(settings_file()), settings_text_with({{"terminal.symbol", "%"}}));
}

TEST_F(ExportImportTest, ExportThenImportGivesTheSameFiles) {
  set(kManyValues);
  const std::string ini = read_file(settings_file());
  const std::string css = read_file(css_file());
  const std::string prompt = read_file(prompt_file());
  // The values reach the generated files, so that the comparison below means something.
  ASSERT_NE(css, "");
  ASSERT_NE(prompt.find("\xC2\xBB"), std::string::npos);
  ASSERT_NE(ini, settings_text_with({}));

  const std::string here = home() + "/work";
  make_dir(here);
  ASSERT_EQ(run_in(here, {"export", "saved.ini"}).status, 0);
  const RunResult reset = run_fennick({"reset"});
  ASSERT_EQ(reset.status, 0) << reset.err;
  ASSERT_NE(read_file(css_file()), css);
  ASSERT_NE(read_file(prompt_file()), prompt);

  const RunResult run = run_in(here, {"import", "saved.ini"});
  EXPECT_EQ(run.status, 0) << run.err;
  EXPECT_EQ(first_line(run.out), imported_line("saved.ini", ".bak.1"));
  EXPECT_EQ(run.err, "");
  EXPECT_EQ(read_file(settings_file()), ini);
  EXPECT_EQ(read_file(css_file()), css);
  EXPECT_EQ(read_file(prompt_file()), prompt);
  // The reset kept the settings, the import the defaults the reset left.
  EXPECT_EQ(read_file(backup_file()), ini);
  EXPECT_EQ(read_file(backup_file() + ".1"), settings_text_with({}));

  // Into another configuration folder as well: another account, the same files.
  setenv("FENNICK_DIR", (home() + "/elsewhere").c_str(), 1);
  const RunResult other = run_fennick({"import", here + "/saved.ini"});
  EXPECT_EQ(other.status, 0) << other.err;
  EXPECT_EQ(read_file(home() + "/elsewhere/fennick.ini"), ini);
  EXPECT_EQ(read_file(home() + "/elsewhere/fennick.css"), css);
  EXPECT_EQ(read_file(home() + "/elsewhere/prompt.sh"), prompt);
  EXPECT_FALSE(file_exists(home() + "/elsewhere/fennick.ini.bak"));
}

TEST_F(ExportImportTest, ImportThatCannotWriteKeepsTheBackup) {
  set({"terminal.symbol", "#"});
  const std::string old_ini = read_file(settings_file());
  const std::string path = home() + "/in.ini";
  write_file(path, "[terminal]\nsymbol=%\n");
  // A folder where the stylesheet should be: the settings file is written, the stylesheet not.
  std::filesystem::remove(css_file());
  make_dir(css_file() + "/x");
  const RunResult run = run_fennick({"import", path});
  EXPECT_NE(run.status, 0);
  EXPECT_LT(run.status, 128) << "ended by a signal";
  EXPECT_EQ(run.out, "");
  EXPECT_EQ(run.err, "fennick: cannot write " + css_file() + ": Is a directory\n");
  EXPECT_EQ(read_file(backup_file()), old_ini);
  EXPECT_EQ(read_file(settings_file()), settings_text_with({{"terminal.symbol", "%"}}));
}

}  // namespace
