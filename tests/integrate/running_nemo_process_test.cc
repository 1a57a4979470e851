// Finding the running Nemo with the real pgrep and /proc, telling the tuned one apart, the status
// report's line about it, and restarting Nemo for real through a detached sh. Nemo is played by
// copies of the stand-in program named "nemo": one under the prefix (tuned, its path contains
// "fennick") and others in a folder whose path does not.
#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <regex>
#include <string>
#include <thread>
#include <vector>

#include "cli/cli_helpers.h"
#include "integrate/running_nemo.h"
#include "settings/locations.h"
#include "test_support.h"

extern char** environ;

namespace {

using Clock = std::chrono::steady_clock;

double seconds_since(Clock::time_point start) {
  return std::chrono::duration<double>(Clock::now() - start).count();
}

long long epoch_milliseconds() {
  return std::chrono::duration_cast<std::chrono::milliseconds>(
             std::chrono::system_clock::now().time_since_epoch())
      .count();
}

// A fresh temporary folder whose path does not contain "fennick", so that a Nemo started from it
// is not the tuned one.
struct PlainDir {
  PlainDir() {
    std::string pattern = (std::filesystem::temp_directory_path() / "nemo-plain-XXXXXX").string();
    if (!mkdtemp(pattern.data())) throw std::runtime_error("mkdtemp failed");
    path = pattern;
  }
  ~PlainDir() {
    std::error_code ignored;
    std::filesystem::remove_all(path, ignored);
  }
  PlainDir(const PlainDir&) = delete;
  PlainDir& operator=(const PlainDir&) = delete;
  std::string path;
};

// Puts a copy of the stand-in at path, executable.
void install_stand_in(const std::string& path) {
  make_dir(std::filesystem::path(path).parent_path().string());
  std::filesystem::copy_file(kNemoStandIn, path, std::filesystem::copy_options::overwrite_existing);
  chmod(path.c_str(), 0755);
}

std::vector<std::string> nemo_pids() {
  return split_lines(run_program({"pgrep", "-x", "nemo"}).out);
}

std::string exe_of(const std::string& pid) {
  std::error_code error;
  const std::filesystem::path target =
      std::filesystem::read_symlink("/proc/" + pid + "/exe", error);
  return error ? "" : target.string();
}

// A process has ended once it is gone or only its exit status waits for its parent.
bool has_ended(pid_t pid) {
  char state;
  pid_t parent;
  return !process_state(pid, state, parent) || state == 'Z' || state == 'X';
}

// Terminates a process that is not our child and waits until it has ended.
void end_process(pid_t pid) {
  kill(pid, SIGTERM);
  for (int i = 0; i < 200 && !has_ended(pid); ++i)
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  if (!has_ended(pid)) kill(pid, SIGKILL);
  for (int i = 0; i < 200 && !has_ended(pid); ++i)
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
}

// Ends every process named nemo whose executable lies in one of the folders (the test's own).
void end_nemos_under(const std::vector<std::string>& folders) {
  for (const std::string& pid : nemo_pids()) {
    const std::string exe = exe_of(pid);
    for (const std::string& folder : folders) {
      if (!exe.empty() && exe.rfind(folder + "/", 0) == 0) {
        end_process(static_cast<pid_t>(std::stol(pid)));
        break;
      }
    }
  }
}

// A stand-in started by the test as its child; terminated and collected when it goes away.
class RunningNemo {
 public:
  explicit RunningNemo(const std::string& executable) {
    std::vector<std::string> env_texts{"FENNICK_STAND_IN_SECONDS=30"};
    for (char** entry = environ; *entry; ++entry) {
      const std::string text = *entry;
      if (text.rfind("FENNICK_STAND_IN_", 0) != 0) env_texts.push_back(text);
    }
    Background with_env;
    with_env.env = env_texts;
    pid_ = start_in_background({executable}, with_env);
    EXPECT_GT(pid_, 0) << "cannot start " << executable;
  }
  ~RunningNemo() {
    if (pid_ <= 0) return;
    kill(pid_, SIGTERM);
    int status;
    while (waitpid(pid_, &status, 0) < 0 && errno == EINTR) {
    }
  }
  RunningNemo(const RunningNemo&) = delete;
  RunningNemo& operator=(const RunningNemo&) = delete;
  pid_t pid() const { return pid_; }

 private:
  pid_t pid_ = -1;
};

// One line of the stand-in's log.
struct StartLine {
  long long ms = 0;
  pid_t pid = 0;
  pid_t sid = 0;
  std::string exe;
  std::string args;
};

std::vector<StartLine> read_log(const std::string& path) {
  std::vector<StartLine> starts;
  for (const std::string& line : split_lines(read_file(path))) {
    StartLine start;
    const size_t pid_at = line.find(" pid=");
    const size_t sid_at = line.find(" sid=");
    const size_t exe_at = line.find(" exe=");
    const size_t args_at = line.find(" args=", exe_at);
    if (line.rfind("started ", 0) != 0 || pid_at == std::string::npos ||
        sid_at == std::string::npos || exe_at == std::string::npos ||
        args_at == std::string::npos) {
      ADD_FAILURE() << "unexpected log line: " << line;
      continue;
    }
    start.ms = std::stoll(line.substr(8, pid_at - 8));
    start.pid = static_cast<pid_t>(std::stol(line.substr(pid_at + 5)));
    start.sid = static_cast<pid_t>(std::stol(line.substr(sid_at + 5)));
    start.exe = line.substr(exe_at + 5, args_at - exe_at - 5);
    start.args = line.substr(args_at + 6);
    starts.push_back(start);
  }
  return starts;
}

// Every test starts and ends with no process named nemo on the machine; PATH is restored.
class RunningNemoTest : public TempHomeTest {
 protected:
  void SetUp() override {
    TempHomeTest::SetUp();
    const char* path = getenv("PATH");
    saved_path_ = path ? path : "/usr/bin:/bin";
    ASSERT_EQ(nemo_pids(), std::vector<std::string>{})
        << "a process named nemo is already running; these tests need the machine to themselves";
    ASSERT_EQ(plain_.path.find("fennick"), std::string::npos) << plain_.path;
  }
  void TearDown() override {
    setenv("PATH", saved_path_.c_str(), 1);
    end_nemos_under({home(), plain_.path});
    // Ended processes that were not our children are collected by their new parent, which may
    // take it a moment.
    for (int i = 0; i < 60 && !nemo_pids().empty(); ++i)
      std::this_thread::sleep_for(std::chrono::milliseconds(50));
    EXPECT_EQ(nemo_pids(), std::vector<std::string>{}) << "a process named nemo was left running";
    int status;
    errno = 0;
    EXPECT_TRUE(waitpid(-1, &status, WNOHANG) == -1 && errno == ECHILD)
        << "a child process was left behind";
  }

  std::string plain() const { return plain_.path; }
  std::string tuned_path() const { return home() + "/prefix/bin/nemo"; }

  // Line 6 of the status report.
  static std::string running_line() {
    const RunResult run = run_fennick({"status"});
    EXPECT_EQ(run.status, 0);
    EXPECT_EQ(run.err, "");
    const std::vector<std::string> lines = split_lines(run.out);
    EXPECT_EQ(lines.size(), 8u) << run.out;
    return lines.size() > 5 ? lines[5] : "";
  }

  std::string saved_path_;

 private:
  PlainDir plain_;
};

TEST_F(RunningNemoTest, NoneRunning) {
  EXPECT_EQ(running_nemo_exe(), "");
  EXPECT_EQ(running_line(), "running Nemo  : none");
}

TEST_F(RunningNemoTest, TunedNemoFromThePrefix) {
  setenv("FENNICK_PREFIX", (home() + "/.local/opt/fennick").c_str(), 1);
  const std::string tuned = home() + "/.local/opt/fennick/bin/nemo";
  install_stand_in(tuned);
  const RunningNemo nemo(tuned);
  EXPECT_EQ(running_nemo_exe(), tuned);
  EXPECT_TRUE(is_tuned_exe(running_nemo_exe()));
  EXPECT_EQ(running_line(), "running Nemo  : " + tuned + "   (the tuned one)");
}

TEST_F(RunningNemoTest, NemoFromElsewhereIsNotTheTunedOne) {
  const std::string other = plain() + "/other/nemo";
  install_stand_in(other);
  install_stand_in(tuned_path());  // installed, but not the one running
  const RunningNemo nemo(other);
  EXPECT_EQ(running_nemo_exe(), other);
  EXPECT_FALSE(is_tuned_exe(running_nemo_exe()));
  EXPECT_EQ(running_line(),
            "running Nemo  : " + other + "   (NOT the tuned one: run  nemo -q  and reopen)");
}

// Without a tuned Nemo there is nothing to switch to: status says what the stock Nemo reads, and
// a restart opens again the folders that fennick's extension wrote down for this very Nemo.
TEST_F(RunningNemoTest, TheStockNemoIsReportedAsWhatItIsAndRestartsOnItsFolders) {
  const std::string stock = plain() + "/path/nemo";
  install_stand_in(stock);
  setenv("PATH", (plain() + "/path:" + saved_path_).c_str(), 1);
  setenv("FENNICK_STAND_IN_LOG", (plain() + "/log").c_str(), 1);
  const RunningNemo nemo(stock);
  EXPECT_EQ(running_line(),
            "running Nemo  : " + stock + "   (the stock Nemo: it reads none of fennick's files)");
  ASSERT_EQ(run_fennick({"extension-install"}).status, 0);
  EXPECT_EQ(running_line(), "running Nemo  : " + stock + "   (the stock Nemo: it follows " +
                                config() +
                                "/fennick-nemo.css and the settings through fennick's "
                                "extension)");

  const std::string folders = "file:///a\nfile:///it's%20b\nnot a uri\nfile:///a\n";
  write_file(nemo_windows_path(), "pid 1\n" + folders);  // another process: nothing is known
  EXPECT_EQ(open_nemo_folders(), std::vector<std::string>{});
  write_file(nemo_windows_path(), "pid " + std::to_string(nemo.pid()) + "\n" + folders);
  EXPECT_EQ(open_nemo_folders(), (std::vector<std::string>{"file:///a", "file:///it's%20b"}));
  EXPECT_EQ(restart_command_line("nemo", open_nemo_folders()),
            "nemo -q; sleep 1.5; exec nemo file:///a 'file:///it'\\''s%20b'");
}

TEST_F(RunningNemoTest, TunedNemoUnderAPrefixWithoutTheNameCountsAsNotTuned) {
  // Only the word in the path decides, not the prefix.
  const std::string prefix = plain() + "/opt/tuned";
  setenv("FENNICK_PREFIX", prefix.c_str(), 1);
  install_stand_in(prefix + "/bin/nemo");
  const RunningNemo nemo(prefix + "/bin/nemo");
  EXPECT_EQ(running_nemo_exe(), prefix + "/bin/nemo");
  EXPECT_EQ(running_line(), "running Nemo  : " + prefix +
                                "/bin/nemo   (NOT the tuned one: run  nemo -q  and reopen)");
}

TEST_F(RunningNemoTest, WithSeveralRunningTheFirstThatPgrepListsCounts) {
  const std::string other = plain() + "/other/nemo";
  install_stand_in(other);
  install_stand_in(tuned_path());
  // Both orders: the first listed is the one with the lowest process identifier.
  for (bool tuned_first : {false, true}) {
    SCOPED_TRACE(tuned_first ? "tuned started first" : "other started first");
    const RunningNemo first(tuned_first ? tuned_path() : other);
    const RunningNemo second(tuned_first ? other : tuned_path());
    const RunningNemo third(other);
    const std::vector<std::string> pids = nemo_pids();
    ASSERT_EQ(pids.size(), 3u);
    const std::string expected = exe_of(pids[0]);
    ASSERT_FALSE(expected.empty());
    EXPECT_EQ(running_nemo_exe(), expected);
    EXPECT_EQ(running_line(),
              "running Nemo  : " + expected +
                  (is_tuned_exe(expected) ? "   (the tuned one)"
                                          : "   (NOT the tuned one: run  nemo -q  and reopen)"));
  }
}

TEST_F(RunningNemoTest, OnlyAProcessNamedExactlyNemoCounts) {
  install_stand_in(plain() + "/x/nemo-desktop");
  install_stand_in(plain() + "/x/fennick-nemo");
  const RunningNemo desktop(plain() + "/x/nemo-desktop");
  const RunningNemo longer(plain() + "/x/fennick-nemo");
  EXPECT_EQ(running_nemo_exe(), "");
  EXPECT_EQ(running_line(), "running Nemo  : none");
}

TEST_F(RunningNemoTest, ANemoWhoseExecutableCannotBeReadIsNone) {
  // A Nemo of another user: its /proc link cannot be read by the one who asks.
  if (geteuid() != 0) GTEST_SKIP() << "needs root to look as another user";
  install_stand_in(tuned_path());
  const RunningNemo nemo(tuned_path());
  // The other user runs a copy of the program from the home, wherever the build lies.
  chmod(home().c_str(), 0755);
  const std::string program = home() + "/fennick";
  std::filesystem::copy_file(kFennickBinary, program);
  chmod(program.c_str(), 0755);
  // The other user does see the process...
  const RunResult seen = run_program(
      {"setpriv", "--reuid=65534", "--regid=65534", "--clear-groups", "pgrep", "-x", "nemo"});
  EXPECT_EQ(seen.out, std::to_string(nemo.pid()) + "\n");
  // ...but cannot learn its executable.
  const RunResult run = run_program(
      {"setpriv", "--reuid=65534", "--regid=65534", "--clear-groups", program, "status"});
  ASSERT_EQ(run.status, 0) << run.err;
  const std::vector<std::string> lines = split_lines(run.out);
  ASSERT_EQ(lines.size(), 8u) << run.out;
  EXPECT_EQ(lines[5], "running Nemo  : none");
}

TEST(TunedExecutableTest, TheWordFennickInThePathDecides) {
  EXPECT_FALSE(is_tuned_exe("/usr/bin/nemo"));
  EXPECT_FALSE(is_tuned_exe(""));
  EXPECT_TRUE(is_tuned_exe("/home/u/.local/opt/fennick/bin/nemo"));
  EXPECT_TRUE(is_tuned_exe("/opt/my-fennick-build/nemo"));
  EXPECT_TRUE(is_tuned_exe("/srv/nemo-fennick"));
  // Case-sensitive.
  EXPECT_FALSE(is_tuned_exe("/opt/Fennick/bin/nemo"));
  EXPECT_FALSE(is_tuned_exe("/opt/FENNICK/bin/nemo"));
  EXPECT_FALSE(is_tuned_exe("/opt/fen nick/bin/nemo"));
}

// What sh makes of one word of a command line.
std::string as_shell_reads(const std::string& word) {
  return run_program({"sh", "-c", "printf '%s' " + word}).out;
}
int shell_word_count(const std::string& text) {
  return std::atoi(run_program({"sh", "-c", "set -- " + text + "; printf '%s' $#"}).out.c_str());
}

// The line runs in a detached shell of its own (start_detached_shell), which execs the chosen
// Nemo in its place: no setsid program, no background job, no second shell.
TEST(RestartCommandLineTest, OrdinaryPathsAreInsertedAsTheyAre) {
  EXPECT_EQ(restart_command_line("/home/u/.local/opt/fennick/bin/nemo"),
            "nemo -q; sleep 1.5; exec /home/u/.local/opt/fennick/bin/nemo");
  EXPECT_EQ(restart_command_line("nemo"), "nemo -q; sleep 1.5; exec nemo");
  EXPECT_EQ(restart_command_line("/opt/a_b-c.d+e,f:g@h%i=j/nemo"),
            "nemo -q; sleep 1.5; exec /opt/a_b-c.d+e,f:g@h%i=j/nemo");
}

TEST(RestartCommandLineTest, ShellSpecialCharactersInThePathAreQuoted) {
  const std::string inner_head = "nemo -q; sleep 1.5; exec ";
  for (const std::string& path :
       {std::string("/home/o'neil/.local/opt/fennick/bin/nemo"), std::string("/opt/my apps/nemo"),
        std::string("/opt/$HOME/nemo"), std::string("/opt/`id`/nemo"),
        std::string("/opt/back\\slash/nemo"), std::string("/opt/\"quoted\"/nemo"),
        std::string("/opt/a;b&c|d/nemo"), std::string("/opt/*/nemo"), std::string("~/nemo"),
        std::string("/opt/it's \"all\" $(id) `x` \\ here/nemo")}) {
    SCOPED_TRACE(path);
    const std::string inner = restart_command_line(path);
    ASSERT_EQ(inner.rfind(inner_head, 0), 0u) << inner;
    // The shell executes exactly the path.
    const std::string executable_word = inner.substr(inner_head.size());
    EXPECT_EQ(shell_word_count(executable_word), 1) << executable_word;
    EXPECT_EQ(as_shell_reads(executable_word), path) << executable_word;
  }
}

// One restart run: its own home and prefix, its own stand-in log.
struct RestartCase {
  std::string name;
  bool tuned_installed;
  bool enabled;
  bool tuned_deleted_after_enable;
  std::string home;
  std::string prefix;
  std::string log;
  std::string expected_exe;
};

TEST_F(RunningNemoTest, RestartQuitsNemoAndStartsTheChosenOneDetached) {
  // The `nemo` on the search path is a stand-in: it receives the -q and is the plain Nemo.
  const std::string path_nemo = plain() + "/path/nemo";
  install_stand_in(path_nemo);
  setenv("PATH", (plain() + "/path:" + saved_path_).c_str(), 1);
  // Safety net: whatever starts ends by itself, even if this test cannot end it.
  setenv("FENNICK_STAND_IN_SECONDS", "15", 1);

  std::vector<RestartCase> cases = {
      {"enabled: the tuned Nemo", true, true, false, "", "fennick", "", ""},
      {"tuned installed, not enabled: plain nemo", true, false, false, "", "fennick", "", ""},
      {"enabled, tuned deleted since: plain nemo", true, true, true, "", "fennick", "", ""},
      {"nothing installed: plain nemo", false, false, false, "", "fennick", "", ""},
      // A prefix the shell would misread if the path were inserted unquoted.
      {"enabled, odd prefix: the tuned Nemo", true, true, false, "",
       "o'neil \"x\" $HOME `id` \\ ;&|*/fennick", "", ""},
  };
  for (size_t i = 0; i < cases.size(); ++i) {
    RestartCase& run = cases[i];
    run.home = home() + "/case" + std::to_string(i);
    run.prefix = run.home + "/" + run.prefix;
    run.log = plain() + "/log" + std::to_string(i);
    const std::string tuned = run.prefix + "/bin/nemo";
    run.expected_exe = run.enabled && !run.tuned_deleted_after_enable ? tuned : path_nemo;
    make_dir(run.home);
    setenv("HOME", run.home.c_str(), 1);
    setenv("XDG_DATA_HOME", (run.home + "/.local/share").c_str(), 1);
    setenv("FENNICK_PREFIX", run.prefix.c_str(), 1);
    if (run.tuned_installed) install_stand_in(tuned);
    if (run.enabled) {
      const RunResult enabled = run_fennick({"enable"});
      ASSERT_EQ(enabled.status, 0) << run.name << ": " << enabled.err;
      ASSERT_TRUE(file_exists(run.home + "/.local/share/dbus-1/services/org.Nemo.service"));
    }
    if (run.tuned_deleted_after_enable) unlink(tuned.c_str());
  }

  // All restarts at once: none waits for its Nemo, and the starts come 1.5 s later.
  struct Cleanup {
    std::vector<std::string> folders;
    ~Cleanup() {
      // A start may still be on its way when the test stops early.
      if (!all_started) std::this_thread::sleep_until(deadline);
      end_nemos_under(folders);
    }
    Clock::time_point deadline;
    bool all_started;
  } cleanup{{home(), plain()}, Clock::now() + std::chrono::milliseconds(2500), false};
  const long long started_ms = epoch_milliseconds();
  for (const RestartCase& run : cases) {
    SCOPED_TRACE(run.name);
    setenv("HOME", run.home.c_str(), 1);
    setenv("XDG_DATA_HOME", (run.home + "/.local/share").c_str(), 1);
    setenv("FENNICK_PREFIX", run.prefix.c_str(), 1);
    setenv("FENNICK_STAND_IN_LOG", run.log.c_str(), 1);
    const Clock::time_point start = Clock::now();
    const RunResult restart = run_fennick({"restart"});
    // The started Nemo runs for 15 s: a restart that waited for it would take that long.
    EXPECT_LT(seconds_since(start), 10.0);
    EXPECT_EQ(restart.status, 0);
    EXPECT_EQ(restart.out, "restarting Nemo\xE2\x80\xA6\n");
    EXPECT_EQ(restart.err, "");
  }

  // Wait for the second line of every log.
  const Clock::time_point wait_start = Clock::now();
  for (bool all = false; !all && seconds_since(wait_start) < 60.0;) {
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
    all = true;
    for (const RestartCase& run : cases)
      all = all && split_lines(read_file(run.log)).size() >= 2;
    cleanup.all_started = all;
  }
  for (const RestartCase& run : cases) {
    SCOPED_TRACE(run.name);
    const std::vector<StartLine> starts = read_log(run.log);
    ASSERT_EQ(starts.size(), 2u) << read_file(run.log);
    // First every Nemo is asked to quit, through the nemo on the search path...
    EXPECT_EQ(starts[0].exe, path_nemo);
    EXPECT_EQ(starts[0].args, "-q");
    EXPECT_GE(starts[0].ms, started_ms);
    EXPECT_LT(starts[0].ms - started_ms, 10000);
    // ...then, about 1.5 s later, the chosen executable starts, without arguments...
    EXPECT_EQ(starts[1].exe, run.expected_exe);
    EXPECT_EQ(starts[1].args, "");
    EXPECT_GE(starts[1].ms - starts[0].ms, 1400);
    EXPECT_LT(starts[1].ms - starts[0].ms, 15000);
    // ...in a session of its own, as nobody's child of ours.
    EXPECT_EQ(starts[1].sid, starts[1].pid);
    EXPECT_NE(getsid(starts[1].pid), getsid(0));
    char state;
    pid_t parent = 0;
    if (process_state(starts[1].pid, state, parent)) {
      EXPECT_NE(parent, getpid());
    }
  }
  // The ones that quit ended; the started ones run on.
  EXPECT_EQ(nemo_pids().size(), cases.size());
}

// The processes of a restart, traced: the program forks once (a go-between that execs nothing),
// the go-between forks once (the shell), and that shell runs the line itself and execs the chosen
// Nemo in its own place.
TEST_F(RunningNemoTest, RestartForksOnceForAGoBetweenAndOnceForTheShell) {
  if (run_program({"sh", "-c", "command -v strace"}).status != 0) GTEST_SKIP() << "no strace";
  const std::string path_nemo = plain() + "/path/nemo";
  install_stand_in(path_nemo);
  setenv("PATH", (plain() + "/path:" + saved_path_).c_str(), 1);
  setenv("FENNICK_STAND_IN_SECONDS", "0", 1);
  setenv("FENNICK_STAND_IN_LOG", (plain() + "/log").c_str(), 1);
  const std::string trace = home() + "/trace";
  // strace ends once every traced process has, the started stand-in included.
  const RunResult run =
      run_program({"strace", "-f", "-o", trace, "-e", "trace=clone,clone3,fork,vfork,execve",
                   kFennickBinary, "restart"});
  ASSERT_EQ(run.status, 0) << run.err;
  ASSERT_EQ(read_log(plain() + "/log").size(), 2u) << read_file(plain() + "/log");

  // A call that another process's line interrupts ends on a line of its own: "<... clone resumed>".
  const std::regex fork_call(
      R"re(^(\d+) +(?:(?:clone3?|fork|vfork)\(|<\.\.\. (?:clone3?|fork|vfork) resumed>).*= (\d+)$)re");
  const std::regex exec_call(R"re(^(\d+) +execve\("([^"]*)")re");
  std::map<std::string, std::vector<std::string>> children, programs;
  std::string program_pid;
  for (const std::string& line : split_lines(read_file(trace))) {
    std::smatch match;
    if (std::regex_search(line, match, fork_call)) {
      children[match[1]].push_back(match[2]);
    } else if (std::regex_search(line, match, exec_call) && line.find("= -1") == line.npos) {
      if (program_pid.empty()) program_pid = match[1];
      programs[match[1]].push_back(match[2]);
    }
  }
  ASSERT_EQ(children[program_pid].size(), 1u) << read_file(trace);
  const std::string between = children[program_pid][0];
  EXPECT_TRUE(programs[between].empty()) << read_file(trace);
  ASSERT_EQ(children[between].size(), 1u) << read_file(trace);
  const std::string shell = children[between][0];
  EXPECT_EQ(programs[shell], (std::vector<std::string>{"/bin/sh", path_nemo})) << read_file(trace);
  // No other process forks: what the shell starts for the line (nemo -q, sleep) is its own.
  children.erase(shell);
  EXPECT_EQ(children.size(), 2u) << read_file(trace);
}

}  // namespace
