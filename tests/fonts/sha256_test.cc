#include "fonts/sha256.h"

#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "test_support.h"

namespace {

TEST(Sha256Test, KnownMessages) {
  EXPECT_EQ(sha256_hex(""), "e3b0c44298fc1c149afbf4c8996fb92427ae41e4649b934ca495991b7852b855");
  EXPECT_EQ(sha256_hex("abc"), "ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad");
  EXPECT_EQ(sha256_hex("abcdbcdecdefdefgefghfghighijhijkijkljklmklmnlmnomnopnopq"),
            "248d6a61d20638b8e5c026930c3e6039a33ce45964ff2167f6ecedd419db06c1");
  EXPECT_EQ(
      sha256_hex("abcdefghbcdefghicdefghijdefghijkefghijklfghijklmghijklmnhijklmnoijklmnopjklm"
                 "nopqklmnopqrlmnopqrsmnopqrstnopqrstu"),
      "cf5b16a778af8380036ce59e7b0492370b249b11e8f07a51afac45037afee9d1");
  EXPECT_EQ(sha256_hex(std::string(1000000, 'a')),
            "cdc76e5c9914fb9281a1c7e284d73e67f1809a48a497200e046d39ccc7112cd0");
}

// The padding needs a second block from 56 bytes on and fills a block exactly at 64.
TEST(Sha256Test, LengthsAroundTheLastBlock) {
  const std::pair<size_t, const char*> cases[] = {
      {55, "9f4390f8d30c2dd92ec9f095b65e2b9ae9b0a925a5258e241c9f1e910f734318"},
      {56, "b35439a4ac6f0948b6d6f9e3c6af0f5f590ce20f1bde7090ef7970686ec6738a"},
      {63, "7d3e74a05d7db15bce4ad9ec0658ea98e3f06eeecf16b4c6fff2da457ddc2f34"},
      {64, "ffe054fe7ae0cb6dc65c3af9b61d5209f439851db43d0ba5997337df154668eb"},
      {65, "635361c48bb9eab14198e76ea8ab7f1a41685d6ad62aa9146d301d4f17eb0ae0"},
  };
  for (const auto& [length, digest] : cases)
    EXPECT_EQ(sha256_hex(std::string(length, 'a')), digest) << length;
}

// Random bytes of every length over three blocks and a few longer ones (high bytes and zero bytes
// included), against sha256sum.
using Sha256CrossCheckTest = TempHomeTest;

TEST_F(Sha256CrossCheckTest, AgreesWithSha256sumOnRandomBytes) {
  std::mt19937 random(20240517);
  std::vector<size_t> lengths;
  for (size_t length = 0; length <= 200; ++length)
    lengths.push_back(length);
  for (size_t length : {511u, 512u, 513u, 4095u, 65536u, 100003u})
    lengths.push_back(length);
  std::string expected_list;
  std::vector<std::string> names;
  for (size_t length : lengths) {
    std::string bytes(length, '\0');
    for (char& c : bytes)
      c = static_cast<char>(random() & 0xff);
    const std::string name = home() + "/r" + std::to_string(length);
    write_file(name, bytes);
    names.push_back(name);
    expected_list += sha256_hex(bytes) + "  " + name + "\n";
  }
  std::vector<std::string> command = {"sha256sum", "--"};
  command.insert(command.end(), names.begin(), names.end());
  RunResult summed = run_program(command);
  ASSERT_EQ(summed.status, 0) << summed.err;
  EXPECT_EQ(summed.out, expected_list);
}

TEST(Sha256Test, TheFontFilesMatchTheirPublishedDigests) {
  const std::string folder = std::string(kSourceDir) + "/tests/data/fonts/MesloLGS-NF";
  const std::string sums = read_file(folder + "/SHA256SUMS");
  ASSERT_FALSE(sums.empty());
  size_t start = 0;
  int checked = 0;
  while (start < sums.size()) {
    size_t end = sums.find('\n', start);
    if (end == std::string::npos) end = sums.size();
    const std::string line = sums.substr(start, end - start);
    start = end + 1;
    if (line.empty()) continue;
    ASSERT_GT(line.size(), 66u) << line;
    const std::string name = line.substr(66);
    const std::string bytes = read_file(folder + "/" + name);
    ASSERT_FALSE(bytes.empty()) << name;
    EXPECT_EQ(sha256_hex(bytes), line.substr(0, 64)) << name;
    ++checked;
  }
  EXPECT_EQ(checked, 4);
}

}  // namespace
