// The mouse wheel over a spin button or a combo box scrolls the page while the control does not
// have the focus, and changes the value once it has; real wheel clicks through the X server.
#include "gui/window_test_support.h"
#include "settings/catalogue.h"
#include "settings/settings_file.h"

namespace {

const int kSidebarPage = 3;
const int kWheelUp = 4;
const int kWheelDown = 5;

// Scrolls the page so that the control sits about a third down the visible part.
void bring_into_view(GtkWidget* control) {
  int x = 0, y = 0;
  ASSERT_TRUE(
      more.gtk_widget_translate_coordinates(control, page_grid(kSidebarPage), 0, 0, &x, &y));
  GtkAdjustment* scroll =
      more.gtk_scrolled_window_get_vadjustment(as<GtkScrolledWindow>(page(kSidebarPage)));
  more.gtk_adjustment_set_value(scroll, y > 200 ? y - 200 : 0);
  run_main_loop_for(50);
}

struct WheelCase {
  const char* setting;
  const char* start;     // stored before the window opens
  const char* after_up;  // once focused, one click of the wheel up
};

void PrintTo(const WheelCase& wheel_case, std::ostream* out) {
  *out << wheel_case.setting;
}

}  // namespace

class WheelTest : public TempHomeTest, public ::testing::WithParamInterface<WheelCase> {
 protected:
  void SetUp() override {
    TempHomeTest::SetUp();
    store_value(row_index(GetParam().setting), GetParam().start);
    ASSERT_TRUE(open_test_window());
    show_test_window();
    show_page(kSidebarPage);
  }
  void TearDown() override {
    close_test_window();
    TempHomeTest::TearDown();
  }
};

TEST_P(WheelTest, ScrollsThePageUntilTheControlHasTheFocus) {
  const std::string name = GetParam().setting;
  GtkWidget* control = control_of(name);
  bring_into_view(control);
  for (int button : {kWheelUp, kWheelDown, kWheelUp}) {
    const double before = page_scrolled(kSidebarPage);
    point_at(control);
    click_mouse_button(button);
    ASSERT_TRUE(
        run_main_loop_until([&] { return page_scrolled(kSidebarPage) != before; }, kPatienceMs))
        << "wheel " << button << " did not scroll the page";
    EXPECT_EQ(button == kWheelDown, page_scrolled(kSidebarPage) > before);
    EXPECT_EQ(stored(name), GetParam().start);
  }
  EXPECT_FALSE(window.save_pending);

  more.gtk_widget_grab_focus(control);
  const double scrolled = page_scrolled(kSidebarPage);
  point_at(control);
  click_mouse_button(kWheelUp);
  EXPECT_TRUE(run_main_loop_until([&] { return stored(name) == GetParam().after_up; }, kPatienceMs))
      << stored(name);
  EXPECT_EQ(page_scrolled(kSidebarPage), scrolled);
  EXPECT_TRUE(window.save_pending);
}

INSTANTIATE_TEST_SUITE_P(SpinAndCombo, WheelTest,
                         ::testing::Values(WheelCase{"sidebar.stats_ttl_seconds", "180", "181"},
                                           WheelCase{"sidebar.readonly_marker", "underline",
                                                     "none"}));
