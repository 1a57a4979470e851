// `fennick doctor` run as a whole: its report and exit status, every file left as it was, the
// running Nemo (the stand-in), and a shell started by a Nemo (a copy of bash named nemo).
#include <signal.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <sys/wait.h>

#include <chrono>
#include <filesystem>
#include <map>
#include <thread>

#include "cli/cli_helpers.h"

namespace {

namespace fs = std::filesystem;

// Every entry below a folder with the time it was last changed and, for a file, its bytes.
std::map<std::string, std::string> snapshot(const std::string& dir) {
  std::map<std::string, std::string> entries;
  for (const fs::directory_entry& entry : fs::recursive_directory_iterator(dir)) {
    struct stat info;
    lstat(entry.path().c_str(), &info);
    entries[entry.path()] = std::to_string(info.st_mtim.tv_sec) + "." +
                            std::to_string(info.st_mtim.tv_nsec) +
                            (entry.is_regular_file() ? read_file(entry.path()) : "");
  }
  return entries;
}

// This fennick on PATH, bash the login shell, no Nemo running, and a folder whose name does not
// say fennick for a Nemo that is not the tuned one.
class DoctorRunTest : public TempHomeTest {
 protected:
  void SetUp() override {
    TempHomeTest::SetUp();
    saved_path_ = getenv("PATH");
    setenv("PATH", (fs::path(kFennickBinary).parent_path().string() + ":" + saved_path_).c_str(),
           1);
    setenv("SHELL", "/bin/bash", 1);
    ASSERT_NE(run_program({"pgrep", "-x", "nemo"}).status, 0) << "a process named nemo runs";
    std::string pattern = (fs::temp_directory_path() / "nemo-plain-XXXXXX").string();
    ASSERT_TRUE(mkdtemp(pattern.data()));
    plain_ = pattern;
  }
  void TearDown() override {
    setenv("PATH", saved_path_.c_str(), 1);
    fs::remove_all(plain_);
  }

  std::string saved_path_;
  std::string plain_;
};

// Nothing at all yet: the defaults are no problem. Then a file of an older form with a line that
// is not understood and the path bar on, none of it applied. Neither run changes a thing.
TEST_F(DoctorRunTest, CountsTheProblemsAndTouchesNothing) {
  auto before = snapshot(home());
  RunResult run = run_fennick({"doctor"});
  EXPECT_EQ(run.out, "no problems found\n");
  EXPECT_EQ(run.status, 0);
  EXPECT_EQ(snapshot(home()), before);

  const std::string older_form =
      settings_text_with({{"pathbar.enabled", "true"}, {"panes.key_add", "<Primary><Shift>F3"}});
  write_file(settings_file(), older_form + "foo\n");
  before = snapshot(home());
  run = run_fennick({"doctor"});
  std::vector<std::string> fixes;
  for (const std::string& line : split_lines(run.out)) {
    if (line.rfind("  fix: ", 0) == 0) fixes.push_back(line.substr(7));
  }
  const std::string foo_line = std::to_string(split_lines(older_form).size() + 1);
  EXPECT_EQ(fixes, (std::vector<std::string>{
                       "edit " + settings_file() + ": correct or delete line " + foo_line,
                       "fennick apply", "fennick apply",
                       "fennick extension-install (live), fennick pathbar-install, or fennick set "
                       "pathbar.enabled false"}));
  EXPECT_EQ(split_lines(run.out).size(), 9u) << run.out;
  EXPECT_EQ(split_lines(run.out).back(), "4 problems found");
  EXPECT_EQ(run.status, 1);
  EXPECT_EQ(run.err, "");
  EXPECT_EQ(snapshot(home()), before);
}

TEST_F(DoctorRunTest, NoProblemsOnceAllIsInPlace) {
  set({"terminal.prompt_enabled", "true", "terminal.scope", "all", "pathbar.enabled", "true"});
  EXPECT_EQ(run_fennick({"prompt-install"}).status, 0);
  EXPECT_EQ(run_fennick({"pathbar-install"}).status, 0);
  const auto before = snapshot(home());
  const RunResult run = run_fennick({"doctor"});
  EXPECT_EQ(run.out, "no problems found\n");
  EXPECT_EQ(run.status, 0);
  EXPECT_EQ(snapshot(home()), before);
}

// The running Nemo must be the one a restart starts: the tuned one once it is made the default.
TEST_F(DoctorRunTest, RunningNemoThatIsNotTheDefault) {
  const std::string tuned = home() + "/prefix/bin/nemo";
  make_dir(home() + "/prefix/bin");
  fs::copy_file(kNemoStandIn, tuned);
  fs::copy_file(kNemoStandIn, plain_ + "/nemo");
  const struct {
    const char* command;
    std::string running;
    std::string problem;  // "" for none
  } cases[] = {
      {"disable", plain_ + "/nemo", ""},
      {"disable", tuned,
       "the running Nemo is " + tuned + ", not the default one (the system Nemo)"},
      {"enable", plain_ + "/nemo",
       "the running Nemo is " + plain_ + "/nemo, not the default one (the tuned Nemo, " + tuned +
           ")"},
      {"enable", tuned, ""},
  };
  for (const auto& row : cases) {
    SCOPED_TRACE(row.command + (" " + row.running));
    EXPECT_EQ(run_fennick({row.command}).status, 0);
    const pid_t nemo = start_in_background({row.running}, {.quiet = true, .env = {}});
    for (int i = 0; i < 200 && read_file("/proc/" + std::to_string(nemo) + "/comm") != "nemo\n";
         ++i)
      std::this_thread::sleep_for(std::chrono::milliseconds(10));
    const std::string out = run_fennick({"doctor"}).out;
    kill(nemo, SIGTERM);
    waitpid(nemo, nullptr, 0);
    const size_t at = out.find("the running Nemo");
    const std::string found =
        at == out.npos ? "" : out.substr(at, out.find('\n', out.find('\n', at) + 1) - at);
    EXPECT_EQ(found, row.problem.empty() ? "" : row.problem + "\n  fix: fennick restart");
  }
}

// With scope nemo the prompt shows in a shell whose parent is called nemo.
TEST_F(DoctorRunTest, ShellStartedByNemoGetsTheNemoOnlyPrompt) {
  set({"terminal.prompt_enabled", "true"});
  fs::copy_file("/bin/bash", plain_ + "/nemo");
  const std::string doctor = std::string(kFennickBinary) + " doctor; true";
  const std::string no_bashrc = home() +
                                "/.bashrc does not exist, so bash, your login shell, never reads "
                                "the prompt\n  fix: fennick prompt-install\n";
  EXPECT_EQ(run_program({plain_ + "/nemo", "-c", "sh -c '" + doctor + "'; true"}).out,
            no_bashrc + "1 problem found\n");
  EXPECT_EQ(run_program({"sh", "-c", doctor}).out,
            no_bashrc +
                "the prompt shows only in terminals that Nemo opens (terminal.scope is nemo), and "
                "this shell was not started by Nemo\n  fix: fennick set terminal.scope all\n"
                "2 problems found\n");
}

}  // namespace
