// The status line: a message belongs to the action that showed it, and goes when the user
// turns to another tab; at rest the line names the settings file.
#include "gui/settings_window.h"
#include "gui/window_test_support.h"
#include "settings/catalogue.h"
#include "settings/locations.h"

TEST_F(WindowTest, SwitchingTabsClearsTheMessage) {
  EXPECT_EQ(status_text(), "Settings: " + settings_path());
  EXPECT_EQ(resting_status(), status_text());
  // Every tab in turn, and back to the first.
  for (int number : {1, 2, 3, 4, 0}) {
    show_status("Message of an action");
    more.gtk_notebook_set_current_page(as<GtkNotebook>(notebook()), number);
    EXPECT_EQ(status_text(), resting_status()) << number;
  }
  // A message shown after the switch stays.
  show_status("Message after the switch");
  run_main_loop_for(50);
  EXPECT_EQ(status_text(), "Message after the switch");
}

// The same in a window that fills its pages itself: selecting a tab fills it and clears the line.
TEST_F(TempHomeTest, SelectingAnUnfilledTabClearsTheMessage) {
  ASSERT_TRUE(open_test_window(false));
  show_status("Message of an action");
  more.gtk_notebook_set_current_page(as<GtkNotebook>(notebook()), page_count());
  EXPECT_TRUE(page_built(page_count()));
  EXPECT_EQ(status_text(), resting_status());
  close_test_window();
}
