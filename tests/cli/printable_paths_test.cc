// A folder named with control characters reaches the terminal escaped from every command that
// names a path in a message.
#include <filesystem>

#include "test_support.h"

namespace {

using PrintablePathsTest = TempHomeTest;

TEST_F(PrintablePathsTest, EveryCommandShowsOddPathsEscaped) {
  const std::string odd = home() + "/odd\x02\x1b[31m\n", prefix = home() + "/pre\x02";
  for (const char* name : {"FENNICK_DIR", "XDG_DATA_HOME", "XDG_CONFIG_HOME"})
    setenv(name, (odd + name).c_str(), 1);
  setenv("FENNICK_PREFIX", prefix.c_str(), 1);  // a prefix may not hold a line break at all
  make_dir(prefix + "/bin");
  std::filesystem::copy_file(kNemoStandIn, prefix + "/bin/nemo");
  // A hand edit that apply drops, a prompt script that doctor misses, an entry disable leaves.
  write_file(odd + "FENNICK_DIR/fennick.ini", "# mine\n[terminal]\nprompt_enabled=true\n");
  write_file(odd + "XDG_DATA_HOME/applications/nemo.desktop", "[Desktop Entry]\n");
  for (const char* command :
       {"doctor", "apply", "status", "help", "disable", "enable", "disable", "action-install",
        "action-remove", "pathbar-install", "pathbar-remove", "font"}) {
    const RunResult run =
        command[0] == 'f' ? run_fennick({command, "install"}) : run_fennick({command});
    const std::string said = run.out + run.err;
    EXPECT_NE(said.find("/odd\\x02\\x1b[31m\\n"), std::string::npos) << command << ": " << said;
    for (char c : said)
      EXPECT_TRUE(c == '\n' || static_cast<unsigned char>(c) >= 32) << command << ": " << said;
  }
}

}  // namespace
