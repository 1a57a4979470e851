// Messages show the user's folders escaped: a folder named with control characters (a line
// break, an escape sequence) reaches the terminal from no command raw.
#include <filesystem>
#include <string>
#include <vector>

#include "test_support.h"

namespace {

using PrintablePathsTest = TempHomeTest;

TEST_F(PrintablePathsTest, EveryCommandThatShowsAPathShowsItEscaped) {
  const std::string odd = home() + "/odd\x02\x1b[31m\n";
  const std::string shown = "/odd\\x02\\x1b[31m\\n";
  setenv("FENNICK_DIR", (odd + "config").c_str(), 1);
  setenv("XDG_DATA_HOME", (odd + "data").c_str(), 1);
  setenv("XDG_CONFIG_HOME", (odd + "xdg").c_str(), 1);
  // The tuned Nemo's folder may not hold a line break at all.
  setenv("FENNICK_PREFIX", (home() + "/pre\x02" + "fix").c_str(), 1);
  make_dir(home() + "/pre\x02" + "fix/bin");
  std::filesystem::copy_file(kNemoStandIn, home() + "/pre\x02" + "fix/bin/nemo");
  // A hand edit that apply drops, a prompt that doctor finds without its script, a user entry
  // that disable leaves alone.
  write_file(odd + "config/fennick.ini", "# mine\n[terminal]\nprompt_enabled=true\n");
  write_file(odd + "data/applications/nemo.desktop", "[Desktop Entry]\nExec=mine\n");
  for (const std::vector<std::string>& args :
       std::vector<std::vector<std::string>>{{"doctor"},
                                             {"apply"},
                                             {"status"},
                                             {"help"},
                                             {"disable"},
                                             {"enable"},
                                             {"disable"},
                                             {"action-install"},
                                             {"action-remove"},
                                             {"pathbar-install"},
                                             {"pathbar-remove"},
                                             {"font", "install"}}) {
    const RunResult run = run_fennick(args);
    const std::string said = run.out + run.err;
    EXPECT_NE(said.find(shown), std::string::npos) << args[0] << ": " << said;
    for (char c : said)
      EXPECT_TRUE(c == '\n' || static_cast<unsigned char>(c) >= 32) << args[0] << ": " << said;
  }
}

}  // namespace
