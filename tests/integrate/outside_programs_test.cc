// The runner of outside programs: run_command (captured output and errors, no shell), run_shell
// (raw wait status, interrupt and quit ignored meanwhile), the reason a run failed, and
// start_detached_shell (fire and forget).
#include "integrate/outside_programs.h"

#include <dirent.h>
#include <fcntl.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstdio>
#include <string>
#include <thread>
#include <vector>

#include "test_support.h"

namespace {

using Clock = std::chrono::steady_clock;

double seconds_since(Clock::time_point start) {
  return std::chrono::duration<double>(Clock::now() - start).count();
}

// True when the test process has no child left, neither running nor waiting to be collected.
bool no_child_left() {
  int status;
  errno = 0;
  return waitpid(-1, &status, WNOHANG) == -1 && errno == ECHILD;
}

int open_descriptor_count() {
  int count = 0;
  if (DIR* dir = opendir("/proc/self/fd")) {
    while (dirent* entry = readdir(dir)) {
      if (entry->d_name[0] != '.') ++count;
    }
    closedir(dir);
  }
  return count - 1;  // the directory being read
}

// Waits for a file to hold some text (a minute at most, room for a loaded machine); returns
// its text.
std::string wait_for_text(const std::string& path) {
  const Clock::time_point start = Clock::now();
  while (seconds_since(start) < 60) {
    const std::string text = read_file(path);
    if (!text.empty()) return text;
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  }
  return read_file(path);
}

// Ends the test process when a call hangs (a deadlocked pipe), instead of blocking the suite.
struct Deadline {
  explicit Deadline(unsigned seconds) { alarm(seconds); }
  ~Deadline() { alarm(0); }
};

// Points one of the test process's standard descriptors somewhere else until it goes away.
class RedirectedDescriptor {
 public:
  RedirectedDescriptor(int target, int replacement) : target_(target), saved_(dup(target)) {
    dup2(replacement, target);
    close(replacement);
  }
  ~RedirectedDescriptor() {
    dup2(saved_, target_);
    close(saved_);
  }
  RedirectedDescriptor(const RedirectedDescriptor&) = delete;
  RedirectedDescriptor& operator=(const RedirectedDescriptor&) = delete;

 private:
  int target_;
  int saved_;
};

// Gives the test process a standard input that holds text (the writing end closed), so that a
// child that wrongly inherits it would read that text.
class StandardInputWithText {
 public:
  explicit StandardInputWithText(const std::string& text) : redirect_(0, make_pipe(text)) {}

 private:
  static int make_pipe(const std::string& text) {
    int ends[2];
    if (pipe(ends) != 0) return -1;
    ssize_t written = write(ends[1], text.data(), text.size());
    (void)written;
    close(ends[1]);
    return ends[0];
  }
  RedirectedDescriptor redirect_;
};

pid_t parent_of(pid_t pid) {
  char state;
  pid_t parent = 0;
  return process_state(pid, state, parent) ? parent : 0;
}

// A process has ended once it is gone or only its exit status waits for its parent.
bool has_not_ended(pid_t pid) {
  char state;
  pid_t parent;
  return process_state(pid, state, parent) && state != 'Z' && state != 'X';
}

// Kills a process that is not our child (the detached shell), found by its identifier.
class DetachedProcess {
 public:
  explicit DetachedProcess(pid_t pid) : pid_(pid) {}
  ~DetachedProcess() {
    if (pid_ <= 0) return;
    kill(pid_, SIGKILL);
    // Its new parent collects it; wait until it has ended so that nothing outlives the test.
    for (int i = 0; i < 300 && has_not_ended(pid_); ++i)
      std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
  DetachedProcess(const DetachedProcess&) = delete;
  DetachedProcess& operator=(const DetachedProcess&) = delete;

 private:
  pid_t pid_;
};

// Every test ends with no child process and no descriptor left open by the runner.
class OutsideProgramsTest : public TempHomeTest {
 protected:
  void SetUp() override {
    TempHomeTest::SetUp();
    descriptors_before_ = open_descriptor_count();
  }
  void TearDown() override {
    EXPECT_TRUE(no_child_left()) << "a child process was left behind";
    EXPECT_EQ(open_descriptor_count(), descriptors_before_) << "a descriptor was left open";
  }

 private:
  int descriptors_before_ = 0;
};

TEST_F(OutsideProgramsTest, RunCommandSucceedsOnlyForExitStatusZero) {
  RunOutcome result = run_command("true", {});
  EXPECT_TRUE(result.ok);
  EXPECT_EQ(result.output, "");

  result = run_command("false", {});
  EXPECT_FALSE(result.ok);

  for (const char* code : {"1", "2", "127", "255"}) {
    SCOPED_TRACE(code);
    result = run_command("sh", {"-c", std::string("echo partial; exit ") + code});
    EXPECT_FALSE(result.ok);
    // What was read before the failure is kept.
    EXPECT_EQ(result.output, "partial\n");
  }
  // Exit status 256 wraps to 0: a success as far as the system is concerned.
  result = run_command("sh", {"-c", "exit 256"});
  EXPECT_TRUE(result.ok);
}

TEST_F(OutsideProgramsTest, RunCommandKeepsTheOutputUntrimmed) {
  RunOutcome result = run_command("printf", {"  first \n\n\tsecond\n\n"});
  EXPECT_TRUE(result.ok);
  EXPECT_EQ(result.output, "  first \n\n\tsecond\n\n");

  // Bytes of any value, the zero byte included, and no final line feed.
  result = run_command("printf", {"a\\000b\\377"});
  EXPECT_TRUE(result.ok);
  EXPECT_EQ(result.output, std::string("a\0b\xFF", 4));
}

TEST_F(OutsideProgramsTest, RunCommandPassesArgumentsVerbatimWithoutAShell) {
  const std::vector<std::string> words = {
      "two words", "'single'", "\"double\"", "$HOME",     "`id`", "$(id)", "*",
      "",          "back\\n",  "a;b|c&d",    "new\nline", "~",    " ",     "-n"};
  std::vector<std::string> args = {"<%s>\n"};
  args.insert(args.end(), words.begin(), words.end());
  const RunOutcome result = run_command("printf", args);
  EXPECT_TRUE(result.ok);
  std::string expected;
  for (const std::string& word : words)
    expected += "<" + word + ">\n";
  EXPECT_EQ(result.output, expected);

  // The number of arguments is kept too: empty ones are not dropped, blanks do not split.
  const RunOutcome count = run_command("sh", {"-c", "echo $#", "name", "", "", "a b", "", "$1"});
  EXPECT_EQ(count.output, "5\n");
}

TEST_F(OutsideProgramsTest, RunCommandFindsTheProgramOnThePathOrByItsPath) {
  make_dir(home() + "/bin");
  write_file(home() + "/bin/fennick-probe", "#!/bin/sh\necho probe \"$@\"\n");
  chmod((home() + "/bin/fennick-probe").c_str(), 0755);
  const std::string old_path = getenv("PATH") ? getenv("PATH") : "";
  setenv("PATH", (home() + "/bin:" + old_path).c_str(), 1);
  const RunOutcome found = run_command("fennick-probe", {"x"});
  setenv("PATH", old_path.c_str(), 1);
  EXPECT_TRUE(found.ok);
  EXPECT_EQ(found.output, "probe x\n");

  const RunOutcome by_path = run_command(home() + "/bin/fennick-probe", {"y"});
  EXPECT_TRUE(by_path.ok);
  EXPECT_EQ(by_path.output, "probe y\n");
}

TEST_F(OutsideProgramsTest, RunCommandFailsQuicklyWhenTheProgramCannotStart) {
  write_file(home() + "/not-executable", "#!/bin/sh\necho ran\n");
  chmod((home() + "/not-executable").c_str(), 0644);
  make_dir(home() + "/a-folder");
  for (const std::string& program :
       {std::string("fennick-no-such-program"), home() + "/missing/program",
        home() + "/not-executable", home() + "/a-folder", std::string("")}) {
    SCOPED_TRACE(program);
    const Clock::time_point start = Clock::now();
    const RunOutcome result = run_command(program, {"--version"});
    EXPECT_LT(seconds_since(start), 10.0) << "waited for a program that never started";
    EXPECT_FALSE(result.ok);
    EXPECT_EQ(result.output, "");
  }
}

TEST_F(OutsideProgramsTest, RunCommandCountsAKilledProgramAsAFailure) {
  for (const char* signal_name : {"KILL", "TERM", "SEGV", "PIPE"}) {
    SCOPED_TRACE(signal_name);
    const RunOutcome result = run_command(
        "sh", {"-c", std::string("ulimit -c 0; echo before; kill -") + signal_name + " $$"});
    EXPECT_FALSE(result.ok);
    EXPECT_EQ(result.output, "before\n");
  }
}

TEST_F(OutsideProgramsTest, RunCommandReadsALotOfOutputWhileMuchGoesToStandardError) {
  // 10 MB on each stream at the same time: a runner that stops reading, or waits before reading,
  // or leaves standard error on a pipe that nobody drains, hangs here.
  const Deadline deadline(30);
  const size_t size = 10 * 1024 * 1024;
  const RunOutcome result = run_command(
      "sh",
      {"-c", "head -c 10485760 /dev/zero >&2 & head -c 10485760 /dev/zero | tr '\\0' x; wait"});
  EXPECT_TRUE(result.ok);
  ASSERT_EQ(result.output.size(), size);
  EXPECT_EQ(result.output.find_first_not_of('x'), std::string::npos);
  ASSERT_EQ(result.errors.size(), size);
}

TEST_F(OutsideProgramsTest, RunCommandDropsStandardError) {
  const std::string captured = home() + "/stderr.txt";
  RunOutcome result;
  {
    const RedirectedDescriptor redirect(
        2, open(captured.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600));
    result = run_command("sh", {"-c", "echo to-out; echo to-err >&2; echo more-out"});
  }
  EXPECT_TRUE(result.ok);
  EXPECT_EQ(result.output, "to-out\nmore-out\n");
  // Neither mixed into the output nor passed on to the program's own standard error: kept apart.
  EXPECT_EQ(read_file(captured), "");
  EXPECT_EQ(result.errors, "to-err\n");
}

TEST_F(OutsideProgramsTest, FailureReasonIsTheLastLineOfStandardErrorElseHowItEnded) {
  struct Case {
    std::string script;
    std::string reason;
  };
  const Case cases[] = {
      {"echo first >&2; echo '  curl: (22) error: 404  ' >&2; exit 22", "curl: (22) error: 404"},
      {"printf 'one\\ntwo\\r\\n\\n  \\n' >&2; exit 1", "two"},
      {"printf 'no line end' >&2; exit 1", "no line end"},
      {"printf 'over\\rwritten' >&2; exit 1", "written"},
      {"echo only-output; exit 3", "exit status 3"},
      {"kill -TERM $$", "killed by signal 15"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.script);
    const RunOutcome outcome = run_command("sh", {"-c", c.script});
    EXPECT_FALSE(outcome.ok);
    EXPECT_EQ(failure_reason(outcome), c.reason);
  }
  const RunOutcome missing = run_command("fennick-no-such-program", {});
  EXPECT_EQ(missing.status, -1);
  EXPECT_EQ(failure_reason(missing),
            "cannot run fennick-no-such-program: No such file or directory");
  EXPECT_EQ(failure_reason(RunOutcome{}), "it could not be started");
}

TEST_F(OutsideProgramsTest, RunCommandGivesTheProgramAnEmptyStandardInput) {
  const Deadline deadline(20);
  const StandardInputWithText input("secret from the caller\n");
  // cat ends at once and prints nothing: its input is empty, not the caller's.
  RunOutcome result = run_command("cat", {});
  EXPECT_TRUE(result.ok);
  EXPECT_EQ(result.output, "");

  result = run_command("sh", {"-c", "if read -r line; then echo \"got $line\"; else echo eof; fi"});
  EXPECT_EQ(result.output, "eof\n");
}

TEST_F(OutsideProgramsTest, RunShellReturnsTheRawWaitStatus) {
  EXPECT_EQ(run_shell("exit 0").status, 0);
  EXPECT_EQ(run_shell("true").status, 0);
  EXPECT_EQ(run_shell("exit 1").status, 256);
  EXPECT_EQ(run_shell("exit 3").status, 768);
  EXPECT_EQ(run_shell("exit 255").status, 255 * 256);
  // A shell that is killed: the signal number, as system() gives it.
  EXPECT_EQ(run_shell("kill -KILL $$").status, SIGKILL);
  EXPECT_EQ(run_shell("kill -TERM $$").status, SIGTERM);
  // A program that is not found: the shell's own status 127.
  EXPECT_EQ(run_shell("fennick-no-such-program").status, 127 * 256);
}

TEST_F(OutsideProgramsTest, RunShellRunsTheWholeLineThroughBinSh) {
  const std::string out = home() + "/out.txt";
  EXPECT_EQ(run_shell("a='two  blanks'; printf '%s|%s' \"$a\" \"$0\" > '" + out + "'").status, 0);
  EXPECT_EQ(read_file(out), "two  blanks|sh");
  EXPECT_EQ(run_shell("exit 4; echo never > '" + out + "'").status, 4 * 256);
  EXPECT_EQ(read_file(out), "two  blanks|sh");
}

int interrupts_seen = 0;
int quits_seen = 0;
void count_interrupt(int) {
  ++interrupts_seen;
}
void count_quit(int) {
  ++quits_seen;
}

TEST_F(OutsideProgramsTest, RunShellIgnoresInterruptAndQuitWhileWaitingThenRestoresThem) {
  struct sigaction on_interrupt = {}, on_quit = {}, old_interrupt, old_quit;
  on_interrupt.sa_handler = count_interrupt;
  sigemptyset(&on_interrupt.sa_mask);
  on_quit.sa_handler = count_quit;
  sigemptyset(&on_quit.sa_mask);
  sigaction(SIGINT, &on_interrupt, &old_interrupt);
  sigaction(SIGQUIT, &on_quit, &old_quit);
  sigset_t mask, old_mask;
  sigemptyset(&mask);
  sigaddset(&mask, SIGUSR1);
  sigprocmask(SIG_BLOCK, &mask, &old_mask);
  interrupts_seen = quits_seen = 0;

  // The shell sends both signals to the waiting caller: they are ignored, not delivered later.
  EXPECT_EQ(run_shell("kill -INT $PPID; kill -QUIT $PPID; exit 5").status, 5 * 256);
  EXPECT_EQ(interrupts_seen, 0);
  EXPECT_EQ(quits_seen, 0);

  // The caller's handlers are back.
  struct sigaction now;
  sigaction(SIGINT, nullptr, &now);
  EXPECT_EQ(now.sa_handler, count_interrupt);
  sigaction(SIGQUIT, nullptr, &now);
  EXPECT_EQ(now.sa_handler, count_quit);
  raise(SIGINT);
  raise(SIGQUIT);
  EXPECT_EQ(interrupts_seen, 1);
  EXPECT_EQ(quits_seen, 1);

  // So is the signal mask: the caller's blocked signal stays blocked, child exit is not blocked.
  sigset_t current;
  sigprocmask(SIG_SETMASK, nullptr, &current);
  EXPECT_TRUE(sigismember(&current, SIGUSR1));
  EXPECT_FALSE(sigismember(&current, SIGCHLD));
  EXPECT_FALSE(sigismember(&current, SIGINT));

  sigprocmask(SIG_SETMASK, &old_mask, nullptr);
  sigaction(SIGINT, &old_interrupt, nullptr);
  sigaction(SIGQUIT, &old_quit, nullptr);
}

TEST_F(OutsideProgramsTest, RunShellGivesTheShellDefaultInterruptHandling) {
  // While the caller waits it ignores interrupt; the shell must not inherit that, or a Ctrl-C
  // could never stop it. An ignored signal on entry cannot be reset by a shell, so the kill
  // would be without effect and the shell would go on to "exit 9".
  struct sigaction ignore = {}, old_interrupt;
  ignore.sa_handler = SIG_IGN;
  sigemptyset(&ignore.sa_mask);
  sigaction(SIGINT, &ignore, &old_interrupt);
  EXPECT_EQ(run_shell("kill -INT $$; exit 9").status, SIGINT);
  EXPECT_EQ(run_shell("ulimit -c 0; kill -QUIT $$; exit 9").status & 0x7f, SIGQUIT);
  sigaction(SIGINT, &old_interrupt, nullptr);

  // Child exit is not blocked in what the shell runs either (bit 17 of the blocked set).
  const std::string out = home() + "/blocked.txt";
  EXPECT_EQ(run_shell("exec grep '^SigBlk:' /proc/self/status > '" + out + "'").status, 0);
  const std::string line = read_file(out);
  ASSERT_EQ(line.rfind("SigBlk:", 0), 0u) << line;
  const unsigned long long blocked = std::stoull(line.substr(7), nullptr, 16);
  EXPECT_EQ(blocked & (1ULL << (SIGCHLD - 1)), 0u) << line;
}

TEST_F(OutsideProgramsTest, StartDetachedShellReturnsAtOnceAndLeavesNoChild) {
  const std::string pid_file = home() + "/pid.txt";
  // The command runs for ten minutes: the call returning while it runs is what counts.
  start_detached_shell("echo $$ > '" + pid_file + "'; exec sleep 600 >/dev/null 2>&1");
  // Nothing to collect: not the shell, not a go-between.
  EXPECT_TRUE(no_child_left());

  const std::string pid_text = wait_for_text(pid_file);
  ASSERT_FALSE(pid_text.empty()) << "the detached shell never ran";
  const pid_t sleeper = static_cast<pid_t>(std::stol(pid_text));
  const DetachedProcess cleanup(sleeper);
  // Still running, somebody else's child, and in a session of its own.
  EXPECT_EQ(kill(sleeper, 0), 0);
  EXPECT_NE(parent_of(sleeper), getpid());
  EXPECT_EQ(getsid(sleeper), sleeper);
  EXPECT_TRUE(no_child_left());
}

TEST_F(OutsideProgramsTest, StartDetachedShellRunsTheCommandLater) {
  // The command waits until the test lets it go, so it cannot have run when the call returns.
  const std::string done = home() + "/done.txt", go = home() + "/go";
  start_detached_shell("while [ ! -e '" + go +
                       "' ]; do sleep 0.01; done; printf '%s' \"ran  as $0\" > '" + done + "'");
  EXPECT_FALSE(file_exists(done));
  write_file(go, "");
  EXPECT_EQ(wait_for_text(done), "ran  as sh");
  EXPECT_TRUE(no_child_left());
}

TEST_F(OutsideProgramsTest, StartDetachedShellGivesTheShellAnEmptyStandardInput) {
  const std::string out = home() + "/input.txt";
  {
    const StandardInputWithText input("secret from the caller\n");
    start_detached_shell(
        "if read -r line; then printf 'got %s' \"$line\"; else printf eof; fi > '" + out + "'");
  }
  EXPECT_EQ(wait_for_text(out), "eof");
  EXPECT_TRUE(no_child_left());
}

TEST_F(OutsideProgramsTest, StartDetachedShellSendsItsOutputNowhere) {
  const std::string out = home() + "/streams.txt";
  start_detached_shell(
      "printf '%s %s' \"$(readlink /proc/$$/fd/1)\" \"$(readlink /proc/$$/fd/2)\" > '" + out + "'");
  EXPECT_EQ(wait_for_text(out), "/dev/null /dev/null");
  EXPECT_TRUE(no_child_left());
}

TEST_F(OutsideProgramsTest, ManyCallsLeaveNoZombie) {
  for (int i = 0; i < 20; ++i) {
    run_command("true", {});
    run_command("fennick-no-such-program", {});
    run_shell("exit 1");
  }
  EXPECT_TRUE(no_child_left());
  // No process of ours is waiting to be collected either.
  const std::string children =
      read_file("/proc/self/task/" + std::to_string(getpid()) + "/children");
  EXPECT_EQ(children, "");
}

}  // namespace
