#include "cli/man_roff.h"

#include <gtest/gtest.h>

#include <string>

#include "test_support.h"

namespace {

using ManPageTest = TempHomeTest;

// The page says what uninstall ends with: 255 when the installer fails, as
// tests/presets/uninstall_test.cc finds.
TEST_F(ManPageTest, ExitStatusOfUninstall) {
  const std::string page = run_fennick({"man"}).out;
  EXPECT_NE(page.find(".TP\n\\fB255\\fR\nuninstall: the installer script failed"),
            std::string::npos);
  EXPECT_EQ(page.find("installer's status"), std::string::npos);
}

struct RoffCase {
  std::string given;
  std::string expected;
};

TEST(ManRoffTest, EscapesWhatRoffWouldReadOtherwise) {
  const RoffCase cases[] = {
      {"\\u@\\h:\\w\\$", "\\eu@\\eh:\\ew\\e$"},
      {"--yes action-install", "\\-\\-yes action\\-install"},
      {".bak 'quoted' \"double\"", ".bak 'quoted' \"double\""},
      {"line\nbreak\ttab\r\x7f", "line break tab  "},
      // One, two, three and four bytes of UTF-8.
      {"caf\xC3\xA9", "caf\\[u00E9]"},
      {"Fennick\xE2\x80\xA6 \xE2\x89\xA5", "Fennick\\[u2026] \\[u2265]"},
      {"\xF0\x9F\x98\x80", "\\[u1F600]"},
      // A byte that starts no sequence, and a sequence cut short, each as one replacement.
      {"a\xFF b", "a\\[uFFFD] b"},
      {"a\xE2\x80 b", "a\\[uFFFD] b"},
      {"\xE2\x80", "\\[uFFFD]"},
  };
  for (const RoffCase& c : cases)
    EXPECT_EQ(roff_escaped(c.given), c.expected) << c.given;
}

TEST(ManRoffTest, LinesMarksAndRequests) {
  const RoffCase lines[] = {
      {".not a request", "\\&.not a request\n"},
      {"'neither", "\\&'neither\n"},
      {" leading blank", "\\& leading blank\n"},
      {"trailing blanks  ", "trailing blanks\n"},
      {"in the middle . and '", "in the middle . and '\n"},
      {"", "\n"},
  };
  for (const RoffCase& c : lines)
    EXPECT_EQ(roff_line(c.given), c.expected) << c.given;

  EXPECT_EQ(roff_marked("run `fennick set-up` now"), "run \\fBfennick set\\-up\\fR now");
  EXPECT_EQ(roff_marked("`a`, `b`"), "\\fBa\\fR, \\fBb\\fR");
  EXPECT_EQ(roff_marked("no marks - here"), "no marks \\- here");
  EXPECT_EQ(roff_request(".SS", "Say \"hi\" - now"), ".SS \"Say \\(dqhi\\(dq \\- now\"\n");
}

}  // namespace
