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
