// The window and other writers of the settings file: its save merges what changed on disk
// meanwhile (a real fennick process writes it), its own changes win only where it made them,
// and while it waits for nothing a change on disk shows in the controls by itself.
#include <signal.h>
#include <sys/wait.h>

#include "gui/settings_window.h"
#include "gui/window_test_support.h"
#include "settings/locations.h"

namespace {

int spin_value(const std::string& name) {
  return gtk.gtk_spin_button_get_value_as_int(as<GtkSpinButton>(control_of(name)));
}

std::string entry_text(const std::string& name) {
  return gtk.gtk_entry_get_text(as<GtkEntry>(control_of(name)));
}

std::string value_on_disk(const std::string& name) {
  std::string value = run_fennick({"get", name}).out;
  if (!value.empty()) value.pop_back();
  return value;
}

}  // namespace

TEST_F(WindowTest, ASaveKeepsWhatACommandChangedMeanwhile) {
  int lost = 0;
  for (int round = 1; round <= 12; ++round) {
    // The window changes one setting; before its save, a command changes another.
    gtk.gtk_spin_button_set_value(as<GtkSpinButton>(control_of("pathbar.border_width")),
                                  round % 2 + 2);
    ASSERT_TRUE(window.save_pending);
    const std::string symbol = "s" + std::to_string(round);
    ASSERT_EQ(run_fennick({"set", "terminal.symbol", symbol}).status, 0);
    ASSERT_TRUE(run_main_loop_until([] { return !window.save_pending; }, kPatienceMs));
    if (value_on_disk("pathbar.border_width") != std::to_string(round % 2 + 2)) ++lost;
    if (value_on_disk("terminal.symbol") != symbol) ++lost;
    // The control shows what the command set.
    EXPECT_EQ(entry_text("terminal.symbol"), symbol);
    // The generated files follow the merged settings.
    EXPECT_EQ(read_file(stylesheet_path()), run_fennick({"css"}).out);
    EXPECT_EQ(read_file(prompt_script_path()), run_fennick({"prompt"}).out);
  }
  EXPECT_EQ(lost, 0);
}

TEST_F(WindowTest, TheWindowsOwnChangeWinsOverTheSameSettingOnDisk) {
  gtk.gtk_spin_button_set_value(as<GtkSpinButton>(control_of("pathbar.spacing")), 4);
  ASSERT_EQ(run_fennick({"set", "pathbar.spacing", "9", "pathbar.border_radius", "6"}).status, 0);
  ASSERT_TRUE(run_main_loop_until([] { return !window.save_pending; }, kPatienceMs));
  EXPECT_EQ(value_on_disk("pathbar.spacing"), "4");
  EXPECT_EQ(value_on_disk("pathbar.border_radius"), "6");
  EXPECT_EQ(spin_value("pathbar.spacing"), 4);
  EXPECT_EQ(spin_value("pathbar.border_radius"), 6);
}

TEST_F(WindowTest, AChangeOnDiskShowsWhileTheWindowIsIdle) {
  ASSERT_EQ(run_fennick({"set", "pathbar.spacing", "7", "terminal.symbol", ">>"}).status, 0);
  const FileStamp written = stamp_of(settings_path());
  // The window looks every second, so the change shows without any action of the window's.
  ASSERT_TRUE(run_main_loop_until([] { return spin_value("pathbar.spacing") == 7; }, kPatienceMs));
  EXPECT_EQ(entry_text("terminal.symbol"), ">>");
  // Following the file is no change of the window's: nothing is saved.
  EXPECT_FALSE(window.save_pending);
  run_main_loop_for(500);
  EXPECT_TRUE(stamp_of(settings_path()) == written);
}

TEST_F(WindowTest, ASaveOverHandEditsKeepsTheOldFileAndSaysSo) {
  write_file(settings_path(), "# my notes\n[pathbar]\nspacing=3\nspacnig=4\n");
  ASSERT_TRUE(run_main_loop_until([] { return spin_value("pathbar.spacing") == 3; }, kPatienceMs));
  gtk.gtk_spin_button_set_value(as<GtkSpinButton>(control_of("pathbar.border_width")), 2);
  ASSERT_TRUE(run_main_loop_until([] { return !window.save_pending; }, kPatienceMs));
  EXPECT_EQ(read_file(settings_path() + ".bak"), "# my notes\n[pathbar]\nspacing=3\nspacnig=4\n");
  EXPECT_EQ(status_text(), "Saved and applied \xE2\x80\x94 " + settings_path() + " (2 line(s) of " +
                               settings_path() +
                               " were comments or not understood and are not in the rewritten "
                               "file; the old file is kept in " +
                               settings_path() +
                               ".bak); no Nemo reads the path bar yet: fennick extension-install "
                               "(live) or fennick pathbar-install");
  EXPECT_EQ(value_on_disk("pathbar.spacing"), "3");
}

// While another process holds the settings lock, the window's main loop goes on: the save waits
// and says so, the buttons that need the lock say who holds it, and the change is written once
// the holder is gone.
TEST_F(WindowTest, ASaveWaitsForTheLockWithoutStoppingTheWindow) {
  make_dir(config_dir());
  const pid_t holder = start_in_background({"flock", "-o", config_dir(), "sleep", "60"});
  ASSERT_GT(holder, 0);
  ASSERT_TRUE(run_main_loop_until(
      [] {
        return run_program({"flock", "-n", config_dir(), "true"}).status != 0;
      },
      kPatienceMs));
  const std::string who = "another fennick (process " + std::to_string(holder) + ")";
  gtk.gtk_spin_button_set_value(as<GtkSpinButton>(control_of("pathbar.spacing")), 5);
  ASSERT_TRUE(
      run_main_loop_until([] { return status_text().rfind("Waiting for ", 0) == 0; }, kPatienceMs));
  EXPECT_EQ(status_text(),
            "Waiting for " + who +
                " to finish changing the settings\xE2\x80\xA6 (your changes are kept)");
  run_main_loop_for(800);  // the timer tries again and again meanwhile
  EXPECT_TRUE(window.save_pending);
  EXPECT_FALSE(file_exists(settings_path()));
  click(button_labelled("Use in the stock Nemo", 0));
  EXPECT_EQ(status_text(), "Another fennick (process " + std::to_string(holder) +
                               ") is changing the settings; try again when it has finished");
  kill(holder, SIGTERM);
  ASSERT_TRUE(run_main_loop_until([] { return !window.save_pending; }, kPatienceMs));
  EXPECT_EQ(value_on_disk("pathbar.spacing"), "5");
  EXPECT_EQ(status_text().rfind("Saved and applied", 0), 0u) << status_text();
  waitpid(holder, nullptr, 0);
}
