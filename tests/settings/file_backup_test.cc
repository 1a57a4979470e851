// back_up_before_change: every state of a file is kept once beside it, no backup is ever
// overwritten, and a backup name taken by anything the program did not make is moved aside.
#include "settings/file_backup.h"

#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <map>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "cli/cli_helpers.h"
#include "test_support.h"

namespace {

class FileBackupTest : public TempHomeTest {
 protected:
  std::string path() const { return home() + "/rc"; }
  std::string backup(const std::string& number = "") const {
    return path() + ".fennick-bak" + (number.empty() ? "" : "." + number);
  }

  // The bytes of every regular file in the home folder, by name.
  std::map<std::string, std::string> files() const {
    std::map<std::string, std::string> bytes;
    for (const std::string& name : folder_entries(home())) {
      const std::string at = home() + "/" + name;
      if (std::filesystem::is_regular_file(std::filesystem::symlink_status(at)))
        bytes[name] = read_file(at);
    }
    return bytes;
  }
};

TEST_F(FileBackupTest, EachStateIsKeptOnceUnderTheNextFreeName) {
  EXPECT_EQ(back_up_before_change(path()), "");
  EXPECT_TRUE(folder_entries(home()).empty());

  // Each step: the file's bytes before the change, and the backup that holds them.
  const struct {
    std::string bytes;
    std::string kept_in;
  } steps[] = {
      {"first\n", backup()},
      {"first\n", backup()},
      {"second\n", backup("1")},
      // Same size, other bytes.
      {"secon!\n", backup("2")},
      {"first\n", backup()},
      {"second\n", backup("1")},
      {"", backup("3")},
      {std::string("nul\0\r\n", 6), backup("4")},
      {"", backup("3")},
  };
  for (const auto& step : steps) {
    write_file(path(), step.bytes);
    EXPECT_EQ(back_up_before_change(path()), step.kept_in) << testing::PrintToString(step.bytes);
    EXPECT_EQ(read_file(step.kept_in), step.bytes);
  }
  EXPECT_EQ(files(), (std::map<std::string, std::string>{
                         {"rc", ""},
                         {"rc.fennick-bak", "first\n"},
                         {"rc.fennick-bak.1", "second\n"},
                         {"rc.fennick-bak.2", "secon!\n"},
                         {"rc.fennick-bak.3", ""},
                         {"rc.fennick-bak.4", std::string("nul\0\r\n", 6)},
                     }));
}

TEST_F(FileBackupTest, ABackupAfterAGapIsFoundAndTheGapIsFilled) {
  write_file(backup(), "old\n");
  write_file(backup("3"), "current\n");
  write_file(path(), "current\n");
  EXPECT_EQ(back_up_before_change(path()), backup("3"));
  write_file(path(), "newer\n");
  EXPECT_EQ(back_up_before_change(path()), backup("1"));
  EXPECT_EQ(read_file(backup("1")), "newer\n");
  EXPECT_EQ(read_file(backup("3")), "current\n");
  EXPECT_EQ(read_file(backup()), "old\n");
}

// Names that only look like backups hold nothing that counts. Anything at a backup name that the
// program did not make (a link to nothing or to a copy of the file, a folder, a FIFO, a second
// name of a file elsewhere, a file of another user) is moved aside with a note, never followed,
// read or used; the next thing planted at a freed name goes to the next free name aside.
TEST_F(FileBackupTest, TakenNamesAreMovedAsideUnread) {
  const std::string bytes = "mine\n";
  write_file(path(), bytes);
  for (const char* look_alike : {".fennick-bak.01", ".fennick-bak.x", ".fennick-bak.1.tmp",
                                 ".fennick-bak.", ".fennick-bak1", ".fennick-ba"}) {
    write_file(path() + look_alike, bytes);
  }
  write_file(home() + "/copy", bytes);
  std::filesystem::create_symlink("copy", backup());
  make_dir(backup("1"));
  ASSERT_EQ(mkfifo(backup("2").c_str(), 0600), 0);
  std::filesystem::create_symlink("nothing", backup("3"));
  std::filesystem::create_hard_link(home() + "/copy", backup("4"));
  std::vector<std::pair<std::string, std::string>> planted = {
      {backup(), "a symbolic link"},
      {backup("1"), "a folder"},
      {backup("2"), "a special file"},
      {backup("3"), "a symbolic link"},
      {backup("4"), "a file with 2 names (hard links)"}};
  if (getuid() == 0) {
    write_file(backup("5"), bytes);
    ASSERT_EQ(chown(backup("5").c_str(), 65534, 65534), 0);
    planted.push_back({backup("5"), "a file of another user"});
  }
  std::string notes;
  for (const auto& [name, why] : planted)
    notes += "fennick: moved " + name + " aside to " + name + ".moved-aside: it is " + why +
             ", not a file fennick made\n";

  testing::internal::CaptureStderr();
  EXPECT_EQ(back_up_before_change(path()), backup());
  EXPECT_EQ(testing::internal::GetCapturedStderr(), notes);
  EXPECT_FALSE(is_symlink(backup()));
  EXPECT_EQ(read_file(backup()), bytes);
  EXPECT_EQ(std::filesystem::read_symlink(backup() + ".moved-aside"), "copy");
  EXPECT_TRUE(std::filesystem::is_empty(backup("1") + ".moved-aside"));

  std::filesystem::create_symlink("copy", backup("3"));
  write_file(path(), "changed\n");
  testing::internal::CaptureStderr();
  EXPECT_EQ(back_up_before_change(path()), backup("1"));
  EXPECT_EQ(testing::internal::GetCapturedStderr(),
            "fennick: moved " + backup("3") + " aside to " + backup("3") +
                ".moved-aside.1: it is a symbolic link, not a file fennick made\n");
}

TEST_F(FileBackupTest, TheBackupOfALinkLiesBesideItAndHoldsTheTarget) {
  write_file(home() + "/dotfiles/rc", "linked\n");
  chmod((home() + "/dotfiles/rc").c_str(), 0600);
  std::filesystem::create_symlink("dotfiles/rc", path());
  EXPECT_EQ(back_up_before_change(path()), backup());
  EXPECT_FALSE(is_symlink(backup()));
  EXPECT_EQ(read_file(backup()), "linked\n");
  EXPECT_EQ(mode_of(backup()), 0600u);
  EXPECT_EQ(folder_entries(home() + "/dotfiles"), std::set<std::string>{"rc"});
  // A link to nothing holds no file: nothing to keep.
  std::filesystem::create_symlink("gone", home() + "/dangling");
  EXPECT_EQ(back_up_before_change(home() + "/dangling"), "");
  EXPECT_FALSE(file_exists(home() + "/dangling.fennick-bak"));
}

TEST_F(FileBackupTest, TheBackupKeepsThePermissionBits) {
  const mode_t old_mask = umask(077);
  for (mode_t mode : {0600, 0640, 0644, 0755, 0400}) {
    write_file(path(), "mode " + std::to_string(mode) + "\n");
    chmod(path().c_str(), mode);
    const std::string kept = back_up_before_change(path());
    EXPECT_EQ(mode_of(kept), mode) << std::oct << mode;
  }
  umask(old_mask);
}

TEST_F(FileBackupTest, AFileThatCannotBeReadIsNotBackedUp) {
  ASSERT_EQ(mkfifo(path().c_str(), 0600), 0);
  const Outcome outcome = captured([&] { back_up_before_change(path()); });
  EXPECT_EQ(outcome.error, path() + " is not a regular file");
  EXPECT_EQ(folder_entries(home()), std::set<std::string>{"rc"});
}

}  // namespace
