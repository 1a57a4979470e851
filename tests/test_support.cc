#include "test_support.h"

#include <fcntl.h>
#include <poll.h>
#include <spawn.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <stdexcept>

#include "settings/catalogue.h"
#include "settings/settings_file.h"
#include "settings/value_access.h"

extern char** environ;

const char kFennickBinary[] = FENNICK_BINARY;
const char kSourceDir[] = FENNICK_SOURCE_DIR;
const char kNemoStandIn[] = NEMO_STAND_IN;

TempDir::TempDir() {
  std::string pattern = (std::filesystem::temp_directory_path() / "fennick-test-XXXXXX").string();
  if (!mkdtemp(pattern.data())) throw std::runtime_error("mkdtemp failed");
  path = pattern;
}

TempDir::~TempDir() {
  std::error_code ignored;
  // Tests may leave read-only folders behind; make them writable so that they can be removed.
  for (auto it = std::filesystem::recursive_directory_iterator(path, ignored);
       it != std::filesystem::recursive_directory_iterator(); it.increment(ignored)) {
    if (it->is_directory(ignored) && !it->is_symlink(ignored)) chmod(it->path().c_str(), 0700);
  }
  chmod(path.c_str(), 0700);
  std::filesystem::remove_all(path, ignored);
}

void TempHomeTest::SetUp() {
  const std::string home = dir_.path;
  setenv("HOME", home.c_str(), 1);
  setenv("FENNICK_DIR", (home + "/config").c_str(), 1);
  setenv("XDG_CONFIG_HOME", (home + "/.config").c_str(), 1);
  setenv("XDG_DATA_HOME", (home + "/.local/share").c_str(), 1);
  setenv("FENNICK_PREFIX", (home + "/prefix").c_str(), 1);
  setenv("FENNICK_SHARE", (home + "/share").c_str(), 1);
  unsetenv("DISPLAY");
  unsetenv("FENNICK_FORCE");
  reset_all_to_defaults();
}

namespace {

// Reads both pipes until the child closes them, so that neither can fill up and block it.
void drain(int out_fd, int err_fd, std::string& out, std::string& err) {
  pollfd fds[2] = {{out_fd, POLLIN, 0}, {err_fd, POLLIN, 0}};
  std::string* sinks[2] = {&out, &err};
  int open_count = 2;
  while (open_count > 0) {
    if (poll(fds, 2, -1) < 0) {
      if (errno == EINTR) continue;
      break;
    }
    for (int i = 0; i < 2; ++i) {
      if (fds[i].fd < 0 || !(fds[i].revents & (POLLIN | POLLHUP | POLLERR))) continue;
      char buffer[65536];
      ssize_t got = read(fds[i].fd, buffer, sizeof buffer);
      if (got > 0) {
        sinks[i]->append(buffer, static_cast<size_t>(got));
      } else if (got == 0 || errno != EINTR) {
        close(fds[i].fd);
        fds[i].fd = -1;
        --open_count;
      }
    }
  }
}

}  // namespace

RunResult run_program(const std::vector<std::string>& args, const std::string& input) {
  int out_pipe[2], err_pipe[2], in_pipe[2];
  if (pipe2(out_pipe, O_CLOEXEC) || pipe2(err_pipe, O_CLOEXEC) || pipe2(in_pipe, O_CLOEXEC)) {
    throw std::runtime_error("pipe failed");
  }
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_adddup2(&actions, in_pipe[0], 0);
  posix_spawn_file_actions_adddup2(&actions, out_pipe[1], 1);
  posix_spawn_file_actions_adddup2(&actions, err_pipe[1], 2);
  std::vector<char*> argv;
  for (const std::string& arg : args)
    argv.push_back(const_cast<char*>(arg.c_str()));
  argv.push_back(nullptr);
  pid_t pid;
  int spawned = posix_spawnp(&pid, argv[0], &actions, nullptr, argv.data(), environ);
  posix_spawn_file_actions_destroy(&actions);
  close(in_pipe[0]);
  close(out_pipe[1]);
  close(err_pipe[1]);
  if (!input.empty()) {
    ssize_t ignored = write(in_pipe[1], input.data(), input.size());
    (void)ignored;
  }
  close(in_pipe[1]);
  RunResult result{127, "", ""};
  drain(out_pipe[0], err_pipe[0], result.out, result.err);
  if (spawned != 0) return result;
  int wait_status = 0;
  while (waitpid(pid, &wait_status, 0) < 0 && errno == EINTR) {
  }
  result.status = WIFEXITED(wait_status) ? WEXITSTATUS(wait_status) : 128 + WTERMSIG(wait_status);
  return result;
}

std::string TempHomeTest::get(const std::string& name) {
  const RunResult run = run_fennick({"get", name});
  EXPECT_EQ(run.status, 0) << name << ": " << run.err;
  EXPECT_EQ(run.err, "");
  if (run.out.empty() || run.out.back() != '\n') {
    ADD_FAILURE() << "no line for " << name;
    return run.out;
  }
  return run.out.substr(0, run.out.size() - 1);
}

void TempHomeTest::set(const std::vector<std::string>& operands) {
  std::vector<std::string> args{"set"};
  args.insert(args.end(), operands.begin(), operands.end());
  const RunResult run = run_fennick(args);
  EXPECT_EQ(run.status, 0) << run.err;
  // A changed path bar or sidebar adds a line on what shows it, as no Nemo follows it here.
  EXPECT_EQ(run.out.substr(0, run.out.find('\n') + 1), "saved and applied\n");
  EXPECT_LE(std::count(run.out.begin(), run.out.end(), '\n'), 2) << run.out;
  EXPECT_EQ(run.err, "");
}

pid_t start_in_background(const std::vector<std::string>& args, const Background& how) {
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
  if (how.output_fd >= 0) {
    posix_spawn_file_actions_adddup2(&actions, how.output_fd, 1);
  } else if (how.quiet) {
    posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
  }
  if (how.quiet) posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
  std::vector<char*> argv;
  for (const std::string& arg : args)
    argv.push_back(const_cast<char*>(arg.c_str()));
  argv.push_back(nullptr);
  std::vector<char*> env;
  for (const std::string& entry : how.env)
    env.push_back(const_cast<char*>(entry.c_str()));
  env.push_back(nullptr);
  pid_t pid = -1;
  const int error = posix_spawnp(&pid, argv[0], &actions, nullptr, argv.data(),
                                 how.env.empty() ? environ : env.data());
  posix_spawn_file_actions_destroy(&actions);
  return error == 0 ? pid : -1;
}

RunResult run_fennick(const std::vector<std::string>& args) {
  // A copy of the program elsewhere, for the run of the tests as an ordinary user.
  const char* copy = getenv("FENNICK_TEST_BINARY");
  std::vector<std::string> full{copy && *copy ? copy : kFennickBinary};
  full.insert(full.end(), args.begin(), args.end());
  return run_program(full);
}

std::set<std::string> folder_entries(const std::string& dir) {
  std::set<std::string> names;
  std::error_code error;
  for (const auto& entry : std::filesystem::directory_iterator(dir, error))
    names.insert(entry.path().filename().string());
  return names;
}

std::vector<std::string> split_lines(const std::string& text) {
  std::vector<std::string> lines;
  size_t start = 0;
  while (start < text.size()) {
    size_t end = text.find('\n', start);
    if (end == std::string::npos) end = text.size();
    lines.push_back(text.substr(start, end - start));
    start = end + 1;
  }
  return lines;
}

std::string read_file(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

void write_file(const std::string& path, const std::string& text) {
  std::filesystem::create_directories(std::filesystem::path(path).parent_path());
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out << text;
}

bool file_exists(const std::string& path) {
  struct stat info;
  return lstat(path.c_str(), &info) == 0;
}

void make_dir(const std::string& path) {
  std::filesystem::create_directories(path);
}

void set_value(const std::string& name, const std::string& value) {
  std::string problem;
  EXPECT_TRUE(set_setting(name, value, problem)) << problem;
}

bool is_symlink(const std::string& path) {
  struct stat info;
  return lstat(path.c_str(), &info) == 0 && S_ISLNK(info.st_mode);
}

unsigned mode_of(const std::string& path) {
  struct stat info;
  EXPECT_EQ(stat(path.c_str(), &info), 0) << path;
  return info.st_mode & 07777;
}

// The whole settings file of the defaults. The tuned Nemo reads this file too, so its layout is
// pinned here byte for byte rather than derived from the program.
const char kDefaultSettingsFile[] =
    "# fennick settings \xE2\x80\x94 edit with \"fennick --gui\" or \"fennick set\"; format "
    "version 1\n"
    "\n"
    "[pathbar]\n"
    "enabled=false\n"
    "border_style=solid\n"
    "border_width=1\n"
    "shape=custom\n"
    "border_radius=3\n"
    "spacing=0\n"
    "border_color=\n"
    "normal_font=\n"
    "normal_color=\n"
    "normal_bg=\n"
    "normal_height=0\n"
    "selected_font=\n"
    "selected_color=\n"
    "selected_bg=\n"
    "selected_height=0\n"
    "\n"
    "[terminal]\n"
    "prompt_enabled=false\n"
    "scope=nemo\n"
    "style=plain\n"
    "separator=arrow\n"
    "template={user}@{host} {cwd}{git}{nl}{sym}\\s\n"
    "cwd_style=full\n"
    "symbol=$\n"
    "bold=true\n"
    "color_user=#4EC9B0\n"
    "color_host=#569CD6\n"
    "color_cwd=#DCDCAA\n"
    "color_git=#C586C0\n"
    "color_time=#9CDCFE\n"
    "color_exit=#F44747\n"
    "color_sym=#CE9178\n"
    "bg_user=#1F3D3A\n"
    "bg_host=#1B2F45\n"
    "bg_cwd=#3B3B26\n"
    "bg_git=#3A2A3A\n"
    "bg_time=#1F3340\n"
    "bg_exit=#4A1F1F\n"
    "raw_bash=\n"
    "raw_zsh=\n"
    "keys=system\n"
    "key_copy=<Primary><Shift>c\n"
    "key_paste=<Primary><Shift>v\n"
    "\n"
    "[panes]\n"
    "enabled=true\n"
    "max_panes=6\n"
    "key_add=F3\n"
    "key_remove=F4\n"
    "key_left=F5\n"
    "key_right=F6\n"
    "\n"
    "[sidebar]\n"
    "places_extras=true\n"
    "space_bars=true\n"
    "stats_enabled=true\n"
    "stats_roots=true\n"
    "stats_show_size=true\n"
    "stats_show_files=true\n"
    "stats_show_dirs=true\n"
    "stats_max_entries=200000\n"
    "stats_max_seconds=20\n"
    "stats_ttl_seconds=180\n"
    "readonly_enabled=true\n"
    "readonly_color_light=#B05A00\n"
    "readonly_color_dark=#E69F00\n"
    "readonly_italic=true\n"
    "readonly_marker=none\n";

Outcome captured(const std::function<void()>& action) {
  Outcome outcome;
  testing::internal::CaptureStdout();
  try {
    action();
  } catch (const std::runtime_error& error) {
    outcome.error = error.what();
  }
  outcome.out = testing::internal::GetCapturedStdout();
  return outcome;
}

bool process_state(pid_t pid, char& state, pid_t& parent) {
  const std::string stat = read_file("/proc/" + std::to_string(pid) + "/stat");
  const size_t close_paren = stat.rfind(')');
  if (close_paren == std::string::npos) return false;
  int parent_number = 0;
  if (sscanf(stat.c_str() + close_paren + 1, " %c %d", &state, &parent_number) != 2) return false;
  parent = parent_number;
  return true;
}
