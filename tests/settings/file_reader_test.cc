// read_whole_file: whole regular files only, at most 16 MiB, never waiting on a FIFO.
#include "settings/file_reader.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <future>
#include <stdexcept>
#include <string>

#include "test_support.h"

namespace {

class FileReaderTest : public TempHomeTest {
 protected:
  // The message of the error that reading path raised ("" when none); the bytes read go to text.
  static std::string read_error(const std::string& path, std::string& text, bool& found) {
    try {
      found = read_whole_file(path, text);
    } catch (const std::runtime_error& error) {
      return error.what();
    }
    return "";
  }
};

TEST_F(FileReaderTest, RegularFilesAreReadWhole) {
  const std::string bytes("crlf\r\nnul\0\xFF no final line feed", 30);
  for (const std::string& content : {std::string(), bytes, std::string(100000, 'x')}) {
    write_file(home() + "/file", content);
    std::string text = "left over";
    EXPECT_TRUE(read_whole_file(home() + "/file", text));
    EXPECT_EQ(text, content);
  }
  // Through a link, and a file the system reports as empty while it has bytes.
  std::filesystem::create_symlink("file", home() + "/link");
  std::string text;
  EXPECT_TRUE(read_whole_file(home() + "/link", text));
  EXPECT_EQ(text.size(), 100000u);
  EXPECT_TRUE(read_whole_file("/proc/self/status", text));
  EXPECT_NE(text.find("Pid:"), std::string::npos);
}

TEST_F(FileReaderTest, NoFileIsFalse) {
  write_file(home() + "/plain", "x");
  std::filesystem::create_symlink("gone", home() + "/dangling");
  for (const std::string& path : {home() + "/missing", home() + "/plain/below",
                                  home() + "/dangling", home() + "/no/such/folder"}) {
    std::string text;
    EXPECT_FALSE(read_whole_file(path, text)) << path;
  }
}

// A FIFO without a writer, a device (also behind a link) and a folder are refused at once, and
// nothing is read from them.
TEST_F(FileReaderTest, AnythingButARegularFileIsRefused) {
  const std::string fifo = home() + "/fifo";
  ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
  const std::string zero = home() + "/zero";
  std::filesystem::create_symlink("/dev/zero", zero);
  const std::string folder = home() + "/folder";
  make_dir(folder);
  std::filesystem::create_symlink("folder", home() + "/folder-link");
  const struct {
    std::string path;
    std::string error;
  } cases[] = {
      {fifo, fifo + " is not a regular file"},
      {zero, zero + " is not a regular file"},
      {"/dev/null", "/dev/null is not a regular file"},
      {folder, "Unable to open file \"" + folder + "\": Is a directory"},
      {home() + "/folder-link",
       "Unable to open file \"" + home() + "/folder-link\": Is a directory"},
  };
  for (const auto& c : cases) {
    // Run aside, so that a reader that waits for a writer fails the test instead of hanging it.
    std::string text;
    bool found = false;
    auto reading = std::async(std::launch::async, [&] { return read_error(c.path, text, found); });
    if (reading.wait_for(std::chrono::seconds(10)) != std::future_status::ready) {
      ADD_FAILURE() << "reading " << c.path << " waits";
      close(open(c.path.c_str(), O_WRONLY | O_NONBLOCK));
    }
    EXPECT_EQ(reading.get(), c.error);
    EXPECT_TRUE(text.empty()) << c.path;
    EXPECT_FALSE(found) << c.path;
  }
}

TEST_F(FileReaderTest, FilesOverSixteenMebibytesAreRefused) {
  const std::string path = home() + "/big";
  write_file(path, "");
  ASSERT_EQ(truncate(path.c_str(), 16 * 1024 * 1024), 0);
  std::string text;
  EXPECT_TRUE(read_whole_file(path, text));
  EXPECT_EQ(text.size(), kMaxReadSize);
  ASSERT_EQ(truncate(path.c_str(), 16 * 1024 * 1024 + 1), 0);
  bool found = false;
  EXPECT_EQ(read_error(path, text, found), path + " is larger than 16 MiB");
}

}  // namespace
