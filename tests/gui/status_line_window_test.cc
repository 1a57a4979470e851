// The status line: a message belongs to the action that showed it and goes when another tab is
// selected, filled already or not; at rest the line names the settings file.
#include "gui/settings_window.h"
#include "gui/window_test_support.h"
#include "settings/catalogue.h"
#include "settings/locations.h"

TEST_F(TempHomeTest, SwitchingTabsClearsTheMessage) {
  ASSERT_TRUE(open_test_window(false));
  EXPECT_EQ(status_text(), "Settings: " + settings_path());
  EXPECT_EQ(resting_status(), status_text());
  // Each tab unfilled, then filled, and back to the first.
  for (int number : {1, 2, 3, 4, 1, 0}) {
    show_status("Message of an action");
    more.gtk_notebook_set_current_page(as<GtkNotebook>(notebook()), number);
    EXPECT_EQ(status_text(), resting_status()) << number;
  }
  close_test_window();
}

// A long message is cut short on the line and whole in the tooltip; the window keeps its size.
TEST_F(WindowTest, ALongMessageLeavesTheWindowItsSize) {
  show_test_window();
  int width = 0, height = 0;
  more.gtk_window_get_size(as<GtkWindow>(window.main_window), &width, &height);
  std::string text = "A long message:";
  while (text.size() < 400)
    text += " word";
  show_status(text);
  run_main_loop_for(200);
  int new_width = 0, new_height = 0;
  more.gtk_window_get_size(as<GtkWindow>(window.main_window), &new_width, &new_height);
  EXPECT_EQ(std::make_pair(new_width, new_height), std::make_pair(width, height));
  EXPECT_EQ(status_text(), text);
  EXPECT_EQ(tooltip_of(window.status_label), text);
}
