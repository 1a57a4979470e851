// write_file_atomic: the one way the program writes a file.
#include "settings/atomic_file.h"

#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <set>
#include <stdexcept>
#include <string>

#include "test_support.h"

namespace {

class AtomicFileTest : public TempHomeTest {
 protected:
  // The message of the error that write_file_atomic raised, or "" when it succeeded.
  static std::string write_error(const std::string& path, const std::string& text) {
    try {
      write_file_atomic(path, text);
    } catch (const std::runtime_error& error) {
      return error.what();
    }
    return "";
  }

  static std::string temporary_name(const std::string& path) {
    return path + ".tmp" + std::to_string(getpid());
  }

  // Names of the entries of a directory, symbolic links included.
  static std::set<std::string> entries(const std::string& dir) {
    std::set<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(dir))
      names.insert(entry.path().filename().string());
    return names;
  }

  static std::string link_text(const std::string& path) {
    return std::filesystem::read_symlink(path).string();
  }
};

TEST_F(AtomicFileTest, CreatesMissingParentDirectoriesAndWritesTheTextExactly) {
  const std::string path = home() + "/a/b/c/file.ini";
  write_file_atomic(path, "first\nsecond\n");
  EXPECT_EQ(read_file(path), "first\nsecond\n");

  // Replacing with a shorter text leaves nothing of the longer one behind.
  write_file_atomic(path, "x");
  EXPECT_EQ(read_file(path), "x");

  // An empty text gives an empty file, not a missing one.
  write_file_atomic(path, "");
  EXPECT_TRUE(file_exists(path));
  EXPECT_EQ(read_file(path), "");

  // Bytes that are not text pass unchanged, NUL included.
  const std::string binary("a\0b\r\n\xff\xfe\t", 8);
  write_file_atomic(path, binary);
  EXPECT_EQ(read_file(path), binary);
  EXPECT_EQ(entries(home() + "/a/b/c"), std::set<std::string>{"file.ini"});
}

TEST_F(AtomicFileTest, LargeTextIsWrittenWhole) {
  std::string text;
  for (int i = 0; text.size() < 3 * 1024 * 1024; ++i)
    text += "line " + std::to_string(i) + "\n";
  const std::string path = home() + "/big.txt";
  write_file_atomic(path, text);
  EXPECT_EQ(read_file(path), text);
}

TEST_F(AtomicFileTest, BareFileNameIsWrittenInTheCurrentDirectory) {
  const std::string work = home() + "/work";
  std::filesystem::create_directories(work);
  const std::filesystem::path previous = std::filesystem::current_path();
  std::filesystem::current_path(work);
  std::string error = write_error("bare.ini", "bare\n");
  std::filesystem::current_path(previous);

  EXPECT_EQ(error, "");
  EXPECT_EQ(read_file(work + "/bare.ini"), "bare\n");
  EXPECT_EQ(entries(work), std::set<std::string>{"bare.ini"});
}

TEST_F(AtomicFileTest, NoTemporaryFileIsLeftBehind) {
  const std::string dir = home() + "/cfg";
  const std::string path = dir + "/fennick.ini";
  write_file_atomic(path, "one\n");
  write_file_atomic(path, "two\n");
  EXPECT_FALSE(file_exists(temporary_name(path)));
  EXPECT_EQ(entries(dir), std::set<std::string>{"fennick.ini"});

  // A leftover of an earlier run that had the same process id is replaced, not appended to.
  write_file(temporary_name(path), "stale leftover that is much longer than the new text\n");
  write_file_atomic(path, "three\n");
  EXPECT_EQ(read_file(path), "three\n");
  EXPECT_EQ(entries(dir), std::set<std::string>{"fennick.ini"});
}

TEST_F(AtomicFileTest, SymbolicLinkAtTheTargetIsKeptAndItsFileReplaced) {
  const std::string real = home() + "/dotfiles/fennick.ini";
  write_file(real, "old\n");
  const std::string link = home() + "/cfg/fennick.ini";
  std::filesystem::create_directories(home() + "/cfg");
  std::filesystem::create_symlink(real, link);

  write_file_atomic(link, "new\n");
  ASSERT_TRUE(is_symlink(link));
  EXPECT_EQ(link_text(link), real);
  EXPECT_EQ(read_file(real), "new\n");
  EXPECT_EQ(entries(home() + "/cfg"), std::set<std::string>{"fennick.ini"});
  EXPECT_EQ(entries(home() + "/dotfiles"), std::set<std::string>{"fennick.ini"});
}

TEST_F(AtomicFileTest, RelativeLinkIsResolvedFromTheLinkDirectory) {
  const std::string real = home() + "/dotfiles/settings/fennick.ini";
  write_file(real, "old\n");
  std::filesystem::create_directories(home() + "/cfg");
  const std::string link = home() + "/cfg/fennick.ini";
  std::filesystem::create_symlink("../dotfiles/settings/fennick.ini", link);

  write_file_atomic(link, "new\n");
  ASSERT_TRUE(is_symlink(link));
  EXPECT_EQ(link_text(link), "../dotfiles/settings/fennick.ini");
  EXPECT_EQ(read_file(real), "new\n");
  // Nothing is written relative to the current directory or beside the link.
  EXPECT_EQ(entries(home() + "/cfg"), std::set<std::string>{"fennick.ini"});
}

TEST_F(AtomicFileTest, ChainOfLinksEndsAtTheFileThatIsReplaced) {
  // cfg/fennick.ini -> ../one/link (relative) -> home/two/link (absolute) -> final.ini (relative)
  const std::string final_file = home() + "/two/final.ini";
  write_file(final_file, "old\n");
  std::filesystem::create_directories(home() + "/one");
  std::filesystem::create_directories(home() + "/cfg");
  std::filesystem::create_symlink("final.ini", home() + "/two/link");
  std::filesystem::create_symlink(home() + "/two/link", home() + "/one/link");
  std::filesystem::create_symlink("../one/link", home() + "/cfg/fennick.ini");

  write_file_atomic(home() + "/cfg/fennick.ini", "new\n");
  EXPECT_EQ(read_file(final_file), "new\n");
  EXPECT_TRUE(is_symlink(home() + "/cfg/fennick.ini"));
  EXPECT_TRUE(is_symlink(home() + "/one/link"));
  EXPECT_TRUE(is_symlink(home() + "/two/link"));
  EXPECT_EQ(entries(home() + "/two"), (std::set<std::string>{"final.ini", "link"}));
}

TEST_F(AtomicFileTest, DanglingLinkGetsItsFileCreated) {
  std::filesystem::create_directories(home() + "/cfg");
  // The target's folder does not exist either; it is created like any missing parent.
  const std::string link = home() + "/cfg/fennick.ini";
  std::filesystem::create_symlink("../not/yet/fennick.ini", link);

  write_file_atomic(link, "created\n");
  EXPECT_TRUE(is_symlink(link));
  EXPECT_EQ(read_file(home() + "/not/yet/fennick.ini"), "created\n");
  EXPECT_EQ(read_file(link), "created\n");
}

TEST_F(AtomicFileTest, LinkLoopIsAWriteFailureNamingThePath) {
  std::filesystem::create_directories(home() + "/cfg");
  const std::string a = home() + "/cfg/a";
  const std::string b = home() + "/cfg/b";
  std::filesystem::create_symlink("b", a);
  std::filesystem::create_symlink("a", b);

  EXPECT_EQ(write_error(a, "text"), "cannot write " + a);
  EXPECT_TRUE(is_symlink(a));
  EXPECT_TRUE(is_symlink(b));
  EXPECT_EQ(entries(home() + "/cfg"), (std::set<std::string>{"a", "b"}));
}

TEST_F(AtomicFileTest, PermissionBitsOfAReplacedFileAreKept) {
  const std::string path = home() + "/private.ini";
  write_file(path, "secret\n");
  ASSERT_EQ(chmod(path.c_str(), 0600), 0);
  write_file_atomic(path, "still secret\n");
  EXPECT_EQ(mode_of(path), 0600u);
  EXPECT_EQ(read_file(path), "still secret\n");

  ASSERT_EQ(chmod(path.c_str(), 0640), 0);
  write_file_atomic(path, "shared with the group\n");
  EXPECT_EQ(mode_of(path), 0640u);

  // Through a link the bits of the file at the end of the link count.
  const std::string link = home() + "/link.ini";
  std::filesystem::create_symlink(path, link);
  ASSERT_EQ(chmod(path.c_str(), 0604), 0);
  write_file_atomic(link, "via the link\n");
  EXPECT_EQ(mode_of(path), 0604u);
  EXPECT_EQ(read_file(path), "via the link\n");
}

TEST_F(AtomicFileTest, NewFileGetsTheUsualBitsOfANewFile) {
  const mode_t previous = umask(022);
  write_file_atomic(home() + "/new.ini", "new\n");
  umask(077);
  write_file_atomic(home() + "/private.ini", "new\n");
  umask(previous);
  EXPECT_EQ(mode_of(home() + "/new.ini"), 0644u);
  EXPECT_EQ(mode_of(home() + "/private.ini"), 0600u);
}

TEST_F(AtomicFileTest, LinkPlantedAtTheTemporaryNameIsNotFollowed) {
  const std::string victim = home() + "/victim.txt";
  write_file(victim, "must stay\n");
  ASSERT_EQ(chmod(victim.c_str(), 0644), 0);
  const std::string dir = home() + "/cfg";
  const std::string path = dir + "/fennick.ini";
  std::filesystem::create_directories(dir);
  std::filesystem::create_symlink(victim, temporary_name(path));

  write_file_atomic(path, "settings\n");
  EXPECT_EQ(read_file(victim), "must stay\n");
  EXPECT_EQ(mode_of(victim), 0644u);
  EXPECT_EQ(read_file(path), "settings\n");
  EXPECT_FALSE(is_symlink(path));
  EXPECT_EQ(entries(dir), std::set<std::string>{"fennick.ini"});

  // A dangling planted link does not make the writer create the file it names.
  const std::string nowhere = home() + "/created-by-mistake.txt";
  std::filesystem::create_symlink(nowhere, temporary_name(path));
  write_file_atomic(path, "again\n");
  EXPECT_FALSE(file_exists(nowhere));
  EXPECT_EQ(read_file(path), "again\n");
}

TEST_F(AtomicFileTest, TargetThatIsADirectoryCannotBeWrittenAndLeavesNoTemporaryFile) {
  const std::string path = home() + "/cfg/fennick.css";
  std::filesystem::create_directories(path);
  write_file(path + "/inside", "kept\n");

  EXPECT_EQ(write_error(path, "body {}\n"), "cannot write " + path);
  EXPECT_FALSE(file_exists(temporary_name(path)));
  EXPECT_EQ(entries(home() + "/cfg"), std::set<std::string>{"fennick.css"});
  EXPECT_EQ(read_file(path + "/inside"), "kept\n");

  // Reached through a link, the message names the path that was asked for.
  const std::string link = home() + "/cfg/link.css";
  std::filesystem::create_symlink(path, link);
  EXPECT_EQ(write_error(link, "body {}\n"), "cannot write " + link);
  EXPECT_EQ(entries(home() + "/cfg"), (std::set<std::string>{"fennick.css", "link.css"}));
}

TEST_F(AtomicFileTest, FolderThatCannotExistGivesUnableToCreateWithTheReason) {
  // A regular file where a folder should be stops every user, root included.
  write_file(home() + "/blocker", "a file, not a folder\n");
  const std::string path = home() + "/blocker/cfg/fennick.ini";
  EXPECT_EQ(write_error(path, "text"),
            "Unable to create file \"" + temporary_name(path) + "\": Not a directory");
  EXPECT_EQ(read_file(home() + "/blocker"), "a file, not a folder\n");
  EXPECT_EQ(entries(home()), (std::set<std::string>{"blocker"}));
}

TEST_F(AtomicFileTest, DirectoryAtTheTemporaryNameGivesUnableToCreate) {
  const std::string path = home() + "/cfg/fennick.ini";
  std::filesystem::create_directories(temporary_name(path));
  write_file(path, "old\n");
  EXPECT_EQ(write_error(path, "new\n"),
            "Unable to create file \"" + temporary_name(path) + "\": File exists");
  EXPECT_EQ(read_file(path), "old\n");
}

TEST_F(AtomicFileTest, ReadOnlyFolderGivesPermissionDenied) {
  if (geteuid() == 0) GTEST_SKIP() << "permission bits do not stop root";
  const std::string dir = home() + "/locked";
  const std::string path = dir + "/fennick.ini";
  write_file(path, "old\n");
  ASSERT_EQ(chmod(dir.c_str(), 0500), 0);
  EXPECT_EQ(write_error(path, "new\n"),
            "Unable to create file \"" + temporary_name(path) + "\": Permission denied");
  chmod(dir.c_str(), 0700);
  EXPECT_EQ(read_file(path), "old\n");
  EXPECT_EQ(entries(dir), std::set<std::string>{"fennick.ini"});
}

}  // namespace
