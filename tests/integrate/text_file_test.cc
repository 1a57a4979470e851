// read_text_file, copy_file and path_exists: how the shell and desktop integration reads text
// files and keeps byte-for-byte backups.
#include "integrate/text_file.h"

#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <functional>
#include <set>
#include <stdexcept>
#include <string>
#include <utility>

#include "test_support.h"

namespace {

class TextFileTest : public TempHomeTest {
 protected:
  // The message of the error the action raised, or "" when it raised none.
  static std::string error_of(const std::function<void()>& action) {
    try {
      action();
    } catch (const std::runtime_error& error) {
      return error.what();
    }
    return "";
  }

  static void make_link(const std::string& target, const std::string& link) {
    std::filesystem::create_symlink(target, link);
  }
};

// Sets the file creation mask for the life of the value.
struct ScopedUmask {
  explicit ScopedUmask(mode_t mask) : old(umask(mask)) {}
  ~ScopedUmask() { umask(old); }
  mode_t old;
};

TEST_F(TextFileTest, NoFileReadsAsEmptyText) {
  EXPECT_EQ(read_text_file(home() + "/missing"), "");
  EXPECT_EQ(read_text_file(home() + "/no/such/folder/file"), "");
  // A dangling link and a path through a regular file hold no file either.
  make_link(home() + "/gone", home() + "/dangling");
  EXPECT_EQ(read_text_file(home() + "/dangling"), "");
  write_file(home() + "/plain", "text\n");
  EXPECT_EQ(read_text_file(home() + "/plain/inside"), "");
  // An empty file has no lines: no line feed is made up for it.
  write_file(home() + "/empty", "");
  EXPECT_EQ(read_text_file(home() + "/empty"), "");
}

TEST_F(TextFileTest, LinesAreRejoinedWithOneLineFeedEach) {
  const struct {
    std::string bytes;
    std::string text;
  } cases[] = {
      {"one\ntwo\n", "one\ntwo\n"},
      {"one\ntwo", "one\ntwo\n"},
      {"one", "one\n"},
      {"one\r\ntwo\r\n", "one\ntwo\n"},
      {"one\r\ntwo", "one\ntwo\n"},
      {"one\rtwo\r", "one\ntwo\n"},
      {"one\r", "one\n"},
      {"mixed\r\nends\rhere\nand there", "mixed\nends\nhere\nand there\n"},
      // Empty lines count as lines in every line-end style.
      {"\n", "\n"},
      {"\r\n", "\n"},
      {"\r", "\n"},
      {"\n\n\n", "\n\n\n"},
      {"x\r\n\r\n", "x\n\n"},
      {"\r\r\n", "\n\n"},
      {"\n\r", "\n\n"},
      {"\r\r", "\n\n"},
      {"a\n\r\nb", "a\n\nb\n"},
      // Everything else passes unchanged: tabs, trailing blanks, UTF-8, other bytes, NUL.
      {"\ttab  \n", "\ttab  \n"},
      {"caf\xC3\xA9 \xE2\x86\x92 \xF0\x9F\x90\x9F", "caf\xC3\xA9 \xE2\x86\x92 \xF0\x9F\x90\x9F\n"},
      {"\xFF\xFE bytes", "\xFF\xFE bytes\n"},
      {std::string("nul\0inside\r\n", 12), std::string("nul\0inside\n", 11)},
  };
  for (const auto& c : cases) {
    write_file(home() + "/rc", c.bytes);
    EXPECT_EQ(read_text_file(home() + "/rc"), c.text) << testing::PrintToString(c.bytes);
  }
}

TEST_F(TextFileTest, LargeFileIsReadWhole) {
  std::string bytes;
  std::string text;
  for (int i = 0; bytes.size() < 2 * 1024 * 1024; ++i) {
    bytes += "line " + std::to_string(i) + "\r\n";
    text += "line " + std::to_string(i) + "\n";
  }
  write_file(home() + "/big", bytes);
  EXPECT_EQ(read_text_file(home() + "/big"), text);
}

TEST_F(TextFileTest, SymbolicLinksAreFollowed) {
  write_file(home() + "/dotfiles/bashrc", "linked\r\n");
  make_link("dotfiles/bashrc", home() + "/relative");
  make_link(home() + "/relative", home() + "/chain");
  EXPECT_EQ(read_text_file(home() + "/relative"), "linked\n");
  EXPECT_EQ(read_text_file(home() + "/chain"), "linked\n");
  EXPECT_TRUE(path_exists(home() + "/chain"));
}

TEST_F(TextFileTest, AFolderIsAnErrorNotAnEmptyFile) {
  make_dir(home() + "/folder");
  const std::string path = home() + "/folder";
  EXPECT_EQ(error_of([&] { read_text_file(path); }),
            "Unable to open file \"" + path + "\": Is a directory");
  make_link("folder", home() + "/link-to-folder");
  EXPECT_EQ(error_of([&] { read_text_file(home() + "/link-to-folder"); }),
            "Unable to open file \"" + home() + "/link-to-folder\": Is a directory");
}

// The rule of read_whole_file holds for the text and for the source of a copy: a FIFO is refused
// at once (no writer is waited for), a file over 16 MiB is refused, and no copy is made.
TEST_F(TextFileTest, OnlyRegularFilesOfAtMostSixteenMebibytesAreRead) {
  const std::string fifo = home() + "/fifo";
  ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
  const std::string big = home() + "/big";
  write_file(big, "");
  ASSERT_EQ(truncate(big.c_str(), 16 * 1024 * 1024 + 1), 0);
  const std::string device = home() + "/device";
  make_link("/dev/zero", device);
  for (const auto& [path, error] : {std::pair{fifo, fifo + " is not a regular file"},
                                    std::pair{device, device + " is not a regular file"},
                                    std::pair{big, big + " is larger than 16 MiB"}}) {
    EXPECT_EQ(error_of([&] { read_text_file(path); }), error);
    EXPECT_EQ(error_of([&] { copy_file(path, home() + "/copy"); }), error);
  }
  EXPECT_EQ(folder_entries(home()), (std::set<std::string>{"fifo", "big", "device"}));
}

TEST_F(TextFileTest, AnUnreadableFileIsAnError) {
  if (getuid() == 0) GTEST_SKIP() << "root reads every file";
  const std::string path = home() + "/private";
  write_file(path, "secret\n");
  chmod(path.c_str(), 0);
  EXPECT_EQ(error_of([&] { read_text_file(path); }),
            "Unable to open file \"" + path + "\": Permission denied");
}

TEST_F(TextFileTest, CopyIsByteForByte) {
  const char raw[] = "crlf\r\nlone cr\rnul\0byte\n\xFF\xFE no final line feed";
  const std::string bytes(raw, sizeof raw - 1);
  write_file(home() + "/source", bytes);
  copy_file(home() + "/source", home() + "/copy");
  EXPECT_EQ(read_file(home() + "/copy"), bytes);
  // The source is left as it was.
  EXPECT_EQ(read_file(home() + "/source"), bytes);

  // A longer destination is replaced whole, and an empty source gives an empty file.
  write_file(home() + "/longer", std::string(5000, 'x'));
  copy_file(home() + "/source", home() + "/longer");
  EXPECT_EQ(read_file(home() + "/longer"), bytes);
  write_file(home() + "/empty", "");
  copy_file(home() + "/empty", home() + "/longer");
  EXPECT_TRUE(file_exists(home() + "/longer"));
  EXPECT_EQ(read_file(home() + "/longer"), "");

  // Missing folders of the destination are created.
  copy_file(home() + "/source", home() + "/new/folders/copy");
  EXPECT_EQ(read_file(home() + "/new/folders/copy"), bytes);

  // A large file.
  std::string big;
  for (int i = 0; big.size() < 3 * 1024 * 1024; ++i)
    big += std::to_string(i) + (i % 3 ? "\r\n" : "\n");
  write_file(home() + "/big", big);
  copy_file(home() + "/big", home() + "/big-copy");
  EXPECT_EQ(read_file(home() + "/big-copy"), big);

  // Nothing but the copies is left behind (no temporary files).
  EXPECT_EQ(folder_entries(home()),
            (std::set<std::string>{"source", "copy", "longer", "empty", "new", "big", "big-copy"}));
}

TEST_F(TextFileTest, CopyGetsThePermissionBitsOfTheSource) {
  ScopedUmask mask(022);
  const std::string source = home() + "/bashrc";
  write_file(source, "private\n");
  for (mode_t mode : {0600, 0640, 0644, 0664, 0755, 0400}) {
    chmod(source.c_str(), mode);
    const std::string copy = home() + "/copy-" + std::to_string(mode);
    copy_file(source, copy);
    // Also the bits that the creation mask would take away.
    EXPECT_EQ(mode_of(copy), mode) << std::oct << mode;
  }

  // An existing destination gets the source's bits, not the ones it had.
  chmod(source.c_str(), 0600);
  write_file(home() + "/open", "old\n");
  chmod((home() + "/open").c_str(), 0644);
  copy_file(source, home() + "/open");
  EXPECT_EQ(mode_of(home() + "/open"), 0600u);
  chmod(source.c_str(), 0644);
  write_file(home() + "/closed", "old\n");
  chmod((home() + "/closed").c_str(), 0600);
  copy_file(source, home() + "/closed");
  EXPECT_EQ(mode_of(home() + "/closed"), 0644u);

  // A tight creation mask does not narrow the copy either.
  ScopedUmask tight(077);
  chmod(source.c_str(), 0664);
  copy_file(source, home() + "/under-tight-mask");
  EXPECT_EQ(mode_of(home() + "/under-tight-mask"), 0664u);
}

TEST_F(TextFileTest, CopyFollowsLinksAtBothEnds) {
  write_file(home() + "/dotfiles/bashrc", "from the link target\n");
  chmod((home() + "/dotfiles/bashrc").c_str(), 0600);
  make_link("dotfiles/bashrc", home() + "/source-link");
  copy_file(home() + "/source-link", home() + "/copy");
  EXPECT_FALSE(is_symlink(home() + "/copy"));
  EXPECT_EQ(read_file(home() + "/copy"), "from the link target\n");
  EXPECT_EQ(mode_of(home() + "/copy"), 0600u);

  // A link at the destination stays a link; the file it points at gets the bytes.
  write_file(home() + "/dotfiles/target", "old\n");
  make_link("dotfiles/target", home() + "/destination-link");
  copy_file(home() + "/source-link", home() + "/destination-link");
  EXPECT_TRUE(is_symlink(home() + "/destination-link"));
  EXPECT_EQ(read_file(home() + "/dotfiles/target"), "from the link target\n");
  EXPECT_EQ(folder_entries(home() + "/dotfiles"), (std::set<std::string>{"bashrc", "target"}));
}

TEST_F(TextFileTest, CopyFailuresWriteNothing) {
  const std::string missing = home() + "/missing";
  EXPECT_EQ(error_of([&] { copy_file(missing, home() + "/copy"); }),
            "Unable to open file \"" + missing + "\": No such file or directory");
  EXPECT_FALSE(file_exists(home() + "/copy"));

  make_dir(home() + "/folder");
  EXPECT_EQ(error_of([&] { copy_file(home() + "/folder", home() + "/copy"); }),
            "Unable to open file \"" + home() + "/folder\": Is a directory");
  EXPECT_FALSE(file_exists(home() + "/copy"));

  // A destination below a regular file, and a folder where the destination should be.
  write_file(home() + "/source", "text\n");
  write_file(home() + "/plain", "a file, not a folder\n");
  const std::string below = home() + "/plain/copy";
  EXPECT_EQ(error_of([&] { copy_file(home() + "/source", below); }),
            "cannot write " + below + ": Not a directory");
  EXPECT_EQ(read_file(home() + "/plain"), "a file, not a folder\n");
  EXPECT_EQ(error_of([&] { copy_file(home() + "/source", home() + "/folder"); }),
            "cannot write " + home() + "/folder: Is a directory");
  EXPECT_TRUE(std::filesystem::is_directory(home() + "/folder"));
  EXPECT_EQ(folder_entries(home()), (std::set<std::string>{"folder", "source", "plain"}));
  EXPECT_TRUE(folder_entries(home() + "/folder").empty());
}

TEST_F(TextFileTest, CopyOfAnUnreadableFileFails) {
  if (getuid() == 0) GTEST_SKIP() << "root reads every file";
  const std::string source = home() + "/private";
  write_file(source, "secret\n");
  chmod(source.c_str(), 0);
  EXPECT_EQ(error_of([&] { copy_file(source, home() + "/copy"); }),
            "Unable to open file \"" + source + "\": Permission denied");
  EXPECT_FALSE(file_exists(home() + "/copy"));
}

TEST_F(TextFileTest, PathExistsFollowsLinks) {
  write_file(home() + "/file", "x");
  make_dir(home() + "/folder");
  make_link("file", home() + "/link");
  make_link("folder", home() + "/folder-link");
  make_link("nothing", home() + "/dangling");
  EXPECT_TRUE(path_exists(home() + "/file"));
  EXPECT_TRUE(path_exists(home() + "/folder"));
  EXPECT_TRUE(path_exists(home() + "/link"));
  EXPECT_TRUE(path_exists(home() + "/folder-link"));
  EXPECT_FALSE(path_exists(home() + "/dangling"));
  EXPECT_FALSE(path_exists(home() + "/missing"));
  EXPECT_FALSE(path_exists(home() + "/file/below"));
}

}  // namespace
