// A set that is killed at any moment leaves the complete old or the complete new settings file,
// never an empty, cut or mixed one.
#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstdio>
#include <random>
#include <regex>

#include "cli/cli_helpers.h"
#include "generate/prompt_script.h"
#include "generate/stylesheet.h"
#include "settings/catalogue.h"
#include "settings/file_reader.h"
#include "test_support.h"

extern char** environ;

namespace {

// One full set of values, the command that stores them and the files it must produce.
struct Variant {
  std::vector<std::string> set_args;
  std::vector<std::string> store;
  std::string ini;
  std::string css;
  std::string prompt;
};

Variant make_variant(const std::vector<std::pair<std::string, std::string>>& values) {
  Variant variant;
  variant.set_args = {kFennickBinary, "set"};
  reset_all_to_defaults();
  for (const auto& [name, value] : values) {
    variant.set_args.push_back(name);
    variant.set_args.push_back(value);
    const int index = resolve_setting_name(name);
    std::string normal = value;
    if (index < 0 || !normalize_value(index, normal)) ADD_FAILURE() << name << " " << value;
    if (index >= 0) store_value(index, normal);
  }
  for (int i = 0; i < setting_count(); ++i)
    variant.store.push_back(stored_value(i));
  variant.ini = settings_text();
  variant.css = generate_stylesheet();
  variant.prompt = prompt_script();
  reset_all_to_defaults();
  return variant;
}

// Starts the program with its output thrown away; returns its process id.
pid_t start(const std::vector<std::string>& args) {
  Background quiet;
  quiet.quiet = true;
  const pid_t pid = start_in_background(args, quiet);
  EXPECT_GT(pid, 0);
  return pid;
}

int wait_for(pid_t pid) {
  int status = 0;
  while (waitpid(pid, &status, 0) < 0 && errno == EINTR) {
  }
  return status;
}

void sleep_microseconds(long microseconds) {
  timespec pause{microseconds / 1000000, (microseconds % 1000000) * 1000};
  while (nanosleep(&pause, &pause) != 0 && errno == EINTR) {
  }
}

// With a hard-linked settings file (a dotfiles folder), which is written in place.
class CrashSafetyTest : public TempHomeTest, public ::testing::WithParamInterface<bool> {};

INSTANTIATE_TEST_SUITE_P(PlainAndHardLinked, CrashSafetyTest, ::testing::Bool());

TEST_P(CrashSafetyTest, KilledSetLeavesTheWholeOldOrTheWholeNewFile) {
  const bool hard_linked = GetParam();
  // Two full sets that differ in every one of their settings, spread over all four sections.
  const Variant first = make_variant({{"terminal.symbol", "A"},
                                      {"terminal.template", "{user} first {cwd}{nl}{sym} "},
                                      {"terminal.prompt_enabled", "true"},
                                      {"terminal.style", "powerline"},
                                      {"terminal.raw_zsh", " %n first "},
                                      {"pathbar.enabled", "true"},
                                      {"pathbar.shape", "pill"},
                                      {"pathbar.normal_bg", "#102030"},
                                      {"panes.max_panes", "3"},
                                      {"panes.key_add", "<Alt>1"},
                                      {"sidebar.readonly_color_dark", "#111111"},
                                      {"sidebar.stats_ttl_seconds", "100"}});
  const Variant second = make_variant({{"terminal.symbol", "B"},
                                       {"terminal.template", "{cwd} second {sym}"},
                                       {"terminal.prompt_enabled", "false"},
                                       {"terminal.style", "plain"},
                                       {"terminal.raw_zsh", "%# second"},
                                       {"pathbar.enabled", "false"},
                                       {"pathbar.shape", "leaf"},
                                       {"pathbar.normal_bg", "#405060"},
                                       {"panes.max_panes", "11"},
                                       {"panes.key_add", "<Alt>2"},
                                       {"sidebar.readonly_color_dark", "#222222"},
                                       {"sidebar.stats_ttl_seconds", "200"}});
  ASSERT_NE(first.ini, second.ini);
  ASSERT_NE(first.css, second.css);
  ASSERT_NE(first.prompt, second.prompt);

  const std::string ini_path = config() + "/fennick.ini";
  const std::string css_path = config() + "/fennick.css";
  const std::string prompt_path = config() + "/prompt.sh";

  // A complete first state, and the time a whole run takes on this machine.
  const Variant* current = &first;
  const auto calibration_start = std::chrono::steady_clock::now();
  const int calibration_runs = 6;
  for (int i = 0; i < calibration_runs; ++i) {
    const Variant& variant = i % 2 == 0 ? second : first;
    const int status = wait_for(start(variant.set_args));
    ASSERT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
  }
  const double run_microseconds = std::chrono::duration<double, std::micro>(
                                      std::chrono::steady_clock::now() - calibration_start)
                                      .count() /
                                  calibration_runs;
  ASSERT_EQ(read_file(ini_path), first.ini);
  const std::string other_name = home() + "/dotfiles-fennick.ini";
  if (hard_linked) {
    ASSERT_EQ(link(ini_path.c_str(), other_name.c_str()), 0);
  }

  std::mt19937 random(4711);
  // Kills are spread from the start of the run to a little past its usual end; the spread is
  // adjusted so that both outcomes keep occurring, which puts many kills in the middle.
  double spread = 1.5 * run_microseconds;
  int kept_old = 0, got_new = 0, finished_before_kill = 0, iterations = 0;
  int recent_new = 0;
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(12);
  for (; iterations < 400 && std::chrono::steady_clock::now() < deadline; ++iterations) {
    const Variant& target = current == &first ? second : first;
    const long delay =
        std::uniform_int_distribution<long>(0, static_cast<long>(spread) + 1)(random);
    const pid_t pid = start(target.set_args);
    ASSERT_GT(pid, 0);
    sleep_microseconds(delay);
    kill(pid, SIGKILL);
    const int status = wait_for(pid);
    const bool finished = WIFEXITED(status);
    if (finished) {
      ASSERT_EQ(WEXITSTATUS(status), 0);
      ++finished_before_kill;
    }

    // What the next run reads; a write cut short in place is finished by that reading.
    std::string ini;
    ASSERT_TRUE(read_whole_file(ini_path, ini));
    ASSERT_EQ(read_file(ini_path), ini);
    if (hard_linked) {
      ASSERT_EQ(read_file(other_name), ini);
    }
    SCOPED_TRACE("iteration " + std::to_string(iterations) + ", delay " + std::to_string(delay) +
                 " us");
    ASSERT_FALSE(ini.empty());
    ASSERT_TRUE(ini == current->ini || ini == target.ini) << ini;
    if (finished) {
      ASSERT_EQ(ini, target.ini);
    }
    // The reader sees every value of one set and nothing else.
    reset_all_to_defaults();
    const ReadResult read = read_settings_file(ini_path);
    ASSERT_TRUE(read.existed);
    ASSERT_EQ(read.not_understood, 0);
    std::vector<std::string> store;
    for (int i = 0; i < setting_count(); ++i)
      store.push_back(stored_value(i));
    ASSERT_EQ(store, ini == target.ini ? target.store : current->store);
    // The generated files are each whole, of either set.
    const std::string css = read_file(css_path);
    ASSERT_TRUE(css == first.css || css == second.css) << css;
    const std::string prompt = read_file(prompt_path);
    ASSERT_TRUE(prompt == first.prompt || prompt == second.prompt) << prompt;

    if (ini == target.ini) {
      ++got_new;
      ++recent_new;
      current = &target;
    } else {
      ++kept_old;
    }
    if ((iterations + 1) % 20 == 0) {
      if (recent_new < 4) spread *= 1.5;
      if (recent_new > 16) spread /= 1.5;
      recent_new = 0;
    }
  }
  reset_all_to_defaults();
  std::printf(
      "%d kills in %.0f us runs: %d kept the old file, %d had the new one, %d runs ended "
      "first\n",
      iterations, run_microseconds, kept_old, got_new, finished_before_kill);
  EXPECT_GE(iterations, 30);
  EXPECT_GT(kept_old, 0);
  EXPECT_GT(got_new, 0);

  // Left-over temporary files are allowed, under their own names only.
  const std::regex allowed(
      R"((fennick\.ini|fennick\.css|fennick-nemo\.css|prompt\.sh)(\.tmp[0-9]+|\.fennick-copy[0-9]+)?)");
  for (const std::string& name : folder_entries(config()))
    EXPECT_TRUE(std::regex_match(name, allowed)) << name;
  EXPECT_TRUE(file_exists(ini_path));

  // The program reads the settings file, not a left-over.
  const std::string symbol = current == &first ? "A" : "B";
  EXPECT_EQ(run_fennick({"get", "terminal.symbol"}).out, symbol + "\n");
  const Variant& last = current == &first ? second : first;
  const RunResult final_run = run_program(last.set_args);
  EXPECT_EQ(final_run.status, 0) << final_run.err;
  EXPECT_EQ(split_lines(final_run.out)[0], "saved and applied");
  EXPECT_EQ(read_file(ini_path), last.ini);
  EXPECT_EQ(read_file(css_path), last.css);
  EXPECT_EQ(read_file(prompt_path), last.prompt);
  // Every killed run has ended, so that save also took away the temporaries they left.
  EXPECT_EQ(folder_entries(config()), generated_files());
}

}  // namespace
