// Helpers shared by the tests: a private home for every test and running the built program.
#pragma once

#include <gtest/gtest.h>
#include <sys/types.h>

#include <functional>
#include <set>
#include <string>
#include <vector>

// A fresh temporary directory, removed with everything in it when the value goes away.
struct TempDir {
  TempDir();
  ~TempDir();
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;
  std::string path;
};

// Points HOME, FENNICK_DIR, the XDG folders and the prefixes into a fresh temporary folder and
// clears DISPLAY, so that nothing a test does can reach the real home. The settings catalogue is
// built and the store holds the defaults.
class TempHomeTest : public ::testing::Test {
 protected:
  void SetUp() override;
  std::string home() const { return dir_.path; }
  std::string config() const { return dir_.path + "/config"; }
  std::string settings_file() const { return config() + "/fennick.ini"; }

  // The value that `fennick get NAME` prints; the run must succeed and say nothing else.
  static std::string get(const std::string& name);
  // Runs `fennick set OPERANDS...`; the run must succeed with "saved and applied" alone.
  static void set(const std::vector<std::string>& operands);

 private:
  TempDir dir_;
};

struct RunResult {
  int status;  // exit status, or 128 + signal number
  std::string out;
  std::string err;
};

// Runs the built fennick with the given arguments (without the program name) in the current
// environment; the child's standard input is empty.
RunResult run_fennick(const std::vector<std::string>& args);
// Runs any program the same way; args[0] is looked up on PATH.
RunResult run_program(const std::vector<std::string>& args, const std::string& input = "");

// How start_in_background starts a program: standard input is always /dev/null.
struct Background {
  int output_fd = -1;            // standard output goes here; -1: ours, unless quiet
  bool quiet = false;            // standard output and error go to /dev/null
  std::vector<std::string> env;  // the environment; empty: ours
};
// Starts a program without waiting for it; args[0] is looked up on PATH when it has no slash.
// Returns its process id, or -1 when it could not be started.
pid_t start_in_background(const std::vector<std::string>& args, const Background& how = {});

std::string read_file(const std::string& path);
// Names of the entries of a folder, symbolic links included; empty when there is no folder.
std::set<std::string> folder_entries(const std::string& dir);
// The lines of a text without their line feeds; a last line feed starts no further line.
std::vector<std::string> split_lines(const std::string& text);
void write_file(const std::string& path, const std::string& text);
bool file_exists(const std::string& path);
bool is_symlink(const std::string& path);
// Permission bits of the file at path (a link is followed).
unsigned mode_of(const std::string& path);

extern const char kFennickBinary[];
extern const char kSourceDir[];

void make_dir(const std::string& path);
// Stores a setting through set_setting; fails the test with the message when it is refused.
void set_value(const std::string& name, const std::string& value);

extern const char kNemoStandIn[];

// The whole settings file of the defaults, byte for byte.
extern const char kDefaultSettingsFile[];

// What an action printed on standard output and the message of the error it raised ("" when none).
struct Outcome {
  std::string out;
  std::string error;
};
Outcome captured(const std::function<void()>& action);

// The state letter and the parent of a process, from /proc; false when it is gone.
bool process_state(pid_t pid, char& state, pid_t& parent);
