// write_file_atomic: the one way the program writes a file.
#include "settings/atomic_file.h"
#include "settings/file_reader.h"

#include <signal.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
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

  static std::string link_text(const std::string& path) {
    return std::filesystem::read_symlink(path).string();
  }

  // The id of a process that has ended and been collected.
  static pid_t ended_process() {
    const pid_t child = fork();
    if (child == 0) _exit(0);
    int status;
    waitpid(child, &status, 0);
    return child;
  }

  static struct stat status_of(const std::string& path) {
    struct stat info {};
    EXPECT_EQ(lstat(path.c_str(), &info), 0) << path;
    return info;
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
  EXPECT_EQ(folder_entries(home() + "/a/b/c"), std::set<std::string>{"file.ini"});
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
  EXPECT_EQ(folder_entries(work), std::set<std::string>{"bare.ini"});
}

TEST_F(AtomicFileTest, NoTemporaryFileIsLeftBehind) {
  const std::string dir = home() + "/cfg";
  const std::string path = dir + "/fennick.ini";
  write_file_atomic(path, "one\n");
  write_file_atomic(path, "two\n");
  EXPECT_FALSE(file_exists(temporary_name(path)));
  EXPECT_EQ(folder_entries(dir), std::set<std::string>{"fennick.ini"});

  // A leftover of an earlier run that had the same process id is replaced, not appended to.
  write_file(temporary_name(path), "stale leftover that is much longer than the new text\n");
  write_file_atomic(path, "three\n");
  EXPECT_EQ(read_file(path), "three\n");
  EXPECT_EQ(folder_entries(dir), std::set<std::string>{"fennick.ini"});
}

TEST_F(AtomicFileTest, TemporariesLeftByEndedProcessesAreRemoved) {
  const std::string dir = home() + "/cfg";
  const std::string path = dir + "/fennick.ini";
  const std::string ended = std::to_string(ended_process());
  const std::string living = std::to_string(getppid());
  write_file(path + ".tmp" + ended, "killed mid-write\n");
  write_file(path + ".tmp" + living, "still being written\n");
  // Names that only look alike belong to someone else.
  const std::set<std::string> look_alikes = {"fennick.ini.tmp" + ended + "x",
                                             "fennick.ini.tmp0" + ended,
                                             "fennick.ini.tmp",
                                             "fennick.ini.tmpabc",
                                             "other.ini.tmp" + ended,
                                             "fennick.ini" + ended,
                                             "fennick.ini.tmp99999999999"};
  for (const std::string& name : look_alikes)
    write_file(dir + "/" + name, "not ours\n");
  // Those of the other files the program writes there (and of their backups) go as well.
  const std::set<std::string> others = {".bashrc.tmp" + ended, "gtk.css.tmp" + ended,
                                        ".zshrc.fennick-bak.2.tmp" + ended,
                                        "org.Nemo.service.tmp" + ended};
  for (const std::string& name : others)
    write_file(dir + "/" + name, "killed mid-write\n");
  std::set<std::string> stale;
  for (const std::string& name : stale_temporaries(dir))
    stale.insert(name.substr(dir.size() + 1));
  std::set<std::string> expected_stale = others;
  expected_stale.insert("fennick.ini.tmp" + ended);
  EXPECT_EQ(stale, expected_stale);

  write_file_atomic(path, "new\n");
  std::set<std::string> expected = look_alikes;
  expected.insert({"fennick.ini", "fennick.ini.tmp" + living});
  EXPECT_EQ(folder_entries(dir), expected);
  EXPECT_EQ(read_file(path + ".tmp" + living), "still being written\n");
  EXPECT_EQ(read_file(path), "new\n");

  // The folder of a linked file is the one tidied.
  std::filesystem::create_directories(home() + "/dotfiles");
  write_file(home() + "/dotfiles/rc.tmp" + ended, "killed\n");
  std::filesystem::create_symlink(home() + "/dotfiles/rc", dir + "/rc");
  write_file_atomic(dir + "/rc", "rc\n");
  EXPECT_EQ(folder_entries(home() + "/dotfiles"), std::set<std::string>{"rc"});
}

TEST_F(AtomicFileTest, ReplaceModePutsTheNewFileInPlaceOfALink) {
  const std::string victim = home() + "/victim.txt";
  write_file(victim, "must stay\n");
  const std::string dir = home() + "/cfg";
  std::filesystem::create_directories(dir);
  const std::string nowhere = home() + "/created-by-mistake.txt";
  std::filesystem::create_symlink(victim, dir + "/to-file");
  std::filesystem::create_symlink(nowhere, dir + "/dangling");
  std::filesystem::create_symlink(home() + "/missing/folder/x", dir + "/into-nothing");
  // A hard link is split from its other name rather than written through.
  ASSERT_EQ(link(victim.c_str(), (dir + "/hard").c_str()), 0);

  for (const char* name : {"to-file", "dangling", "into-nothing", "hard"}) {
    const std::string path = dir + "/" + name;
    write_file_atomic(path, std::string("own ") + name + "\n", -1, LinkAtPath::Replace);
    EXPECT_FALSE(is_symlink(path)) << name;
    EXPECT_EQ(read_file(path), std::string("own ") + name + "\n");
  }
  EXPECT_EQ(read_file(victim), "must stay\n");
  EXPECT_EQ(status_of(victim).st_nlink, 1u);
  EXPECT_FALSE(file_exists(nowhere));
  EXPECT_FALSE(file_exists(home() + "/missing"));
  EXPECT_EQ(folder_entries(dir),
            (std::set<std::string>{"to-file", "dangling", "into-nothing", "hard"}));
}

TEST_F(AtomicFileTest, HardLinkedFileIsWrittenInPlaceForBothNames) {
  const std::string repo = home() + "/dotfiles/bashrc";
  write_file(repo, "old text that is longer than the new one\n");
  ASSERT_EQ(chmod(repo.c_str(), 0640), 0);
  const std::string rc = home() + "/.bashrc";
  ASSERT_EQ(link(repo.c_str(), rc.c_str()), 0);
  const ino_t inode = status_of(rc).st_ino;

  write_file_atomic(rc, "new\n");
  EXPECT_EQ(read_file(rc), "new\n");
  EXPECT_EQ(read_file(repo), "new\n");
  EXPECT_EQ(status_of(rc).st_ino, inode);
  EXPECT_EQ(status_of(repo).st_nlink, 2u);
  EXPECT_EQ(mode_of(repo), 0640u);

  // Through a symbolic link to one of the names, and from the other name.
  std::filesystem::create_symlink(rc, home() + "/rc-link");
  write_file_atomic(home() + "/rc-link", "via the link\n");
  EXPECT_EQ(read_file(repo), "via the link\n");
  write_file_atomic(repo, "from the repository\n");
  EXPECT_EQ(read_file(rc), "from the repository\n");
  EXPECT_EQ(status_of(rc).st_ino, inode);
  EXPECT_EQ(folder_entries(home() + "/dotfiles"), std::set<std::string>{"bashrc"});
}

// The new text goes whole into a copy beside a hard-linked file before the file is touched; a run
// killed while the file takes it leaves the copy, and the next read finishes the write.
TEST_F(AtomicFileTest, InterruptedInPlaceWriteIsFinishedByTheNextRead) {
  const std::string repo = home() + "/dotfiles/bashrc", rc = home() + "/.bashrc";
  write_file(repo, "old text\n");
  ASSERT_EQ(link(repo.c_str(), rc.c_str()), 0);
  const std::string whole = "# the new text, longer than the old one\nalias ll='ls -l'\n";
  for (const pid_t writer : {getppid(), ended_process()}) {
    const bool ended = writer != getppid();
    SCOPED_TRACE(ended ? "writer ended" : "writer still running");
    const std::string copy = rc + ".fennick-copy" + std::to_string(writer);
    write_file(repo, "# the new te");  // cut short where the kill came
    write_file(copy, whole);
    std::string text;
    ASSERT_TRUE(read_whole_file(rc, text));
    EXPECT_EQ(text, whole);
    // A running writer finishes by itself; an ended one's write is finished here.
    EXPECT_EQ(read_file(repo), ended ? whole : "# the new te");
    EXPECT_EQ(file_exists(copy), !ended);
    std::filesystem::remove(copy);
  }
  EXPECT_EQ(status_of(rc).st_nlink, 2u);
  EXPECT_FALSE(file_exists(rc + ".fennick-copy" + std::to_string(getppid())));
}

TEST_F(AtomicFileTest, OwnerAndGroupOfAReplacedFileAreKept) {
  const std::string path = home() + "/cfg/fennick.ini";
  write_file(path, "old\n");
  ASSERT_EQ(chmod(path.c_str(), 0604), 0);
  if (geteuid() == 0) {
    // Root tuning another user's home: the rewritten file stays theirs, and new files and
    // folders (of the atomic writer, of make_directories) are theirs too.
    ASSERT_EQ(chown(path.c_str(), 65534, 65534), 0);
    ASSERT_EQ(chown(home().c_str(), 65534, 65534), 0);
    write_file_atomic(path, "new\n");
    write_file_atomic(home() + "/.config/gtk-3.0/gtk.css", "made\n");
    make_directories(home() + "/.local/share/applications");
    for (const char* made : {"/cfg/fennick.ini", "/.config", "/.config/gtk-3.0/gtk.css",
                             "/.local/share/applications", "/.local"}) {
      EXPECT_EQ(status_of(home() + made).st_uid, 65534u) << made;
      EXPECT_EQ(status_of(home() + made).st_gid, 65534u) << made;
    }
  } else {
    // Anyone else cannot give files away and stays the owner.
    write_file_atomic(path, "new\n");
    EXPECT_EQ(status_of(path).st_uid, geteuid());
  }
  EXPECT_EQ(mode_of(path), 0604u);
  EXPECT_EQ(read_file(path), "new\n");
}

TEST_F(AtomicFileTest, WriteThatFailsMidwayKeepsTheOldFileAndSaysWhy) {
  const std::string path = home() + "/cfg/fennick.ini";
  write_file(path, "old\n");
  // Hard-linked, it is written in place: still nothing of it may change.
  ASSERT_EQ(link(path.c_str(), (home() + "/cfg/other-name").c_str()), 0);
  // A file size limit stops the write the way a full disk would.
  rlimit previous;
  ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &previous), 0);
  rlimit small = previous;
  small.rlim_cur = 1024;
  void (*previous_handler)(int) = signal(SIGXFSZ, SIG_IGN);
  ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &small), 0);
  const std::string error = write_error(path, std::string(4096, 'x'));
  setrlimit(RLIMIT_FSIZE, &previous);
  signal(SIGXFSZ, previous_handler);

  EXPECT_EQ(error, "cannot write " + path + ": File too large");
  EXPECT_EQ(read_file(path), "old\n");
  EXPECT_EQ(read_file(home() + "/cfg/other-name"), "old\n");
  EXPECT_EQ(folder_entries(home() + "/cfg"), (std::set<std::string>{"fennick.ini", "other-name"}));
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
  EXPECT_EQ(folder_entries(home() + "/cfg"), std::set<std::string>{"fennick.ini"});
  EXPECT_EQ(folder_entries(home() + "/dotfiles"), std::set<std::string>{"fennick.ini"});
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
  EXPECT_EQ(folder_entries(home() + "/cfg"), std::set<std::string>{"fennick.ini"});
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
  EXPECT_EQ(folder_entries(home() + "/two"), (std::set<std::string>{"final.ini", "link"}));
}

TEST_F(AtomicFileTest, DanglingLinkGetsItsFileCreatedButNoFolder) {
  std::filesystem::create_directories(home() + "/cfg");
  std::filesystem::create_directories(home() + "/there");
  const std::string link = home() + "/cfg/fennick.ini";
  std::filesystem::create_symlink("../there/fennick.ini", link);

  write_file_atomic(link, "created\n");
  EXPECT_TRUE(is_symlink(link));
  EXPECT_EQ(read_file(home() + "/there/fennick.ini"), "created\n");
  EXPECT_EQ(read_file(link), "created\n");

  // A link into folders that do not exist makes none of them, whether relative or absolute.
  for (const std::string& into : {std::string("../not/yet/fennick.ini"), home() + "/gone/x.ini"}) {
    const std::string dangling = home() + "/cfg/dangling.ini";
    std::filesystem::remove(dangling);
    std::filesystem::create_symlink(into, dangling);
    EXPECT_EQ(write_error(dangling, "text"),
              "cannot write " + dangling + ": No such file or directory");
    EXPECT_EQ(folder_entries(home()), (std::set<std::string>{"cfg", "there"})) << into;
    EXPECT_EQ(folder_entries(home() + "/cfg"),
              (std::set<std::string>{"dangling.ini", "fennick.ini"}));
  }
}

TEST_F(AtomicFileTest, LinkLoopIsAWriteFailureNamingThePath) {
  std::filesystem::create_directories(home() + "/cfg");
  const std::string a = home() + "/cfg/a";
  const std::string b = home() + "/cfg/b";
  std::filesystem::create_symlink("b", a);
  std::filesystem::create_symlink("a", b);

  EXPECT_EQ(write_error(a, "text"), "cannot write " + a + ": Too many levels of symbolic links");
  EXPECT_TRUE(is_symlink(a));
  EXPECT_TRUE(is_symlink(b));
  EXPECT_EQ(folder_entries(home() + "/cfg"), (std::set<std::string>{"a", "b"}));
}

TEST_F(AtomicFileTest, AFifoOrDeviceAtThePathIsNeverReplaced) {
  const std::string fifo = home() + "/fifo";
  ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
  EXPECT_EQ(write_error(fifo, "text"),
            "cannot write " + fifo + ": it is not a regular file, and fennick does not replace it");
  EXPECT_EQ(write_error("/dev/null", "text"),
            "cannot write /dev/null: it is not a regular file, and fennick does not replace it");
  struct stat info;
  ASSERT_EQ(lstat(fifo.c_str(), &info), 0);
  EXPECT_TRUE(S_ISFIFO(info.st_mode));
  ASSERT_EQ(lstat("/dev/null", &info), 0);
  EXPECT_TRUE(S_ISCHR(info.st_mode));
  EXPECT_EQ(folder_entries(home()), std::set<std::string>{"fifo"});
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
  EXPECT_EQ(folder_entries(dir), std::set<std::string>{"fennick.ini"});

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

  EXPECT_EQ(write_error(path, "body {}\n"), "cannot write " + path + ": Is a directory");
  EXPECT_FALSE(file_exists(temporary_name(path)));
  EXPECT_EQ(folder_entries(home() + "/cfg"), std::set<std::string>{"fennick.css"});
  EXPECT_EQ(read_file(path + "/inside"), "kept\n");

  // Reached through a link, the message names the path that was asked for.
  const std::string link = home() + "/cfg/link.css";
  std::filesystem::create_symlink(path, link);
  EXPECT_EQ(write_error(link, "body {}\n"), "cannot write " + link + ": Is a directory");
  EXPECT_EQ(folder_entries(home() + "/cfg"), (std::set<std::string>{"fennick.css", "link.css"}));
}

TEST_F(AtomicFileTest, FolderThatCannotExistGivesTheReason) {
  // A regular file where a folder should be stops every user, root included.
  write_file(home() + "/blocker", "a file, not a folder\n");
  const std::string path = home() + "/blocker/cfg/fennick.ini";
  EXPECT_EQ(write_error(path, "text"), "cannot write " + path + ": Not a directory");
  EXPECT_EQ(read_file(home() + "/blocker"), "a file, not a folder\n");
  EXPECT_EQ(folder_entries(home()), (std::set<std::string>{"blocker"}));
}

TEST_F(AtomicFileTest, DirectoryAtTheTemporaryNameGivesFileExists) {
  const std::string path = home() + "/cfg/fennick.ini";
  std::filesystem::create_directories(temporary_name(path));
  write_file(path, "old\n");
  EXPECT_EQ(write_error(path, "new\n"), "cannot write " + path + ": File exists");
  EXPECT_EQ(read_file(path), "old\n");
}

TEST_F(AtomicFileTest, ReadOnlyFolderGivesPermissionDenied) {
  if (geteuid() == 0) GTEST_SKIP() << "permission bits do not stop root";
  const std::string dir = home() + "/locked";
  const std::string path = dir + "/fennick.ini";
  write_file(path, "old\n");
  ASSERT_EQ(chmod(dir.c_str(), 0500), 0);
  EXPECT_EQ(write_error(path, "new\n"), "cannot write " + path + ": Permission denied");
  chmod(dir.c_str(), 0700);
  EXPECT_EQ(read_file(path), "old\n");
  EXPECT_EQ(folder_entries(dir), std::set<std::string>{"fennick.ini"});
}

}  // namespace
