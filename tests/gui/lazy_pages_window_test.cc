// The pages filled when needed: the first before the window maps, a page when its tab is first
// selected, the rest one by one in idle time after the first draw; every tab is there from the
// start, a page filled later shows the values of that moment, and the window keeps its size.
#include <unistd.h>

#include "gui/setting_controls.h"
#include "gui/settings_window.h"
#include "gui/window_test_support.h"
#include "settings/catalogue.h"
#include "settings/settings_file.h"

namespace {

// A window with only what it builds itself.
class LazyPagesTest : public TempHomeTest {
 protected:
  void SetUp() override {
    TempHomeTest::SetUp();
    ASSERT_TRUE(open_test_window(false));
  }
  void TearDown() override {
    close_test_window();
    TempHomeTest::TearDown();
  }
};

void select_tab(int number) {
  more.gtk_notebook_set_current_page(as<GtkNotebook>(notebook()), number);
}

std::pair<int, int> window_size() {
  int width = 0, height = 0;
  more.gtk_window_get_size(as<GtkWindow>(window.main_window), &width, &height);
  return {width, height};
}

guint builder_seen = 0;
bool builder_left = false;
// Connected after the window's own handler: what is left once the window is destroyed.
void note_builder_left(GtkWidget*, gpointer) {
  builder_left = more.g_main_context_find_source_by_id(nullptr, builder_seen) != nullptr;
}

}  // namespace

TEST_F(LazyPagesTest, OnlyTheFirstPageIsFilledBeforeTheWindowShows) {
  ASSERT_EQ(more.gtk_notebook_get_n_pages(as<GtkNotebook>(notebook())), page_count() + 1);
  for (int number = 0; number <= page_count(); ++number) {
    const std::string tab(number < page_count() ? page_at(number).title : "Backup");
    EXPECT_EQ(more.gtk_notebook_get_tab_label_text(as<GtkNotebook>(notebook()), page(number)), tab);
    EXPECT_EQ(page_built(number), number == 0) << tab;
    EXPECT_EQ(children_of(page(number)).empty(), number != 0) << tab;
  }
  EXPECT_NE(control_of("pathbar.enabled"), nullptr);
  EXPECT_EQ(control_of("terminal.prompt_enabled"), nullptr);
  EXPECT_EQ(window.prompt_preview, nullptr);
}

// Values changed after the window opened show in a page filled afterwards, either way in.
TEST_F(LazyPagesTest, APageFilledLaterShowsTheValuesOfThatMoment) {
  store_value(row_index("terminal.prompt_enabled"), "true");
  store_value(row_index("sidebar.readonly_italic"), "false");
  select_tab(1);
  build_page(3);
  EXPECT_TRUE(
      gtk.gtk_toggle_button_get_active(as<GtkToggleButton>(control_of("terminal.prompt_enabled"))));
  EXPECT_FALSE(
      gtk.gtk_toggle_button_get_active(as<GtkToggleButton>(control_of("sidebar.readonly_italic"))));
  // A page is filled once.
  const std::vector<GtkWidget*> before = children_of(page_grid(1));
  build_page(1);
  select_tab(0);
  select_tab(1);
  EXPECT_EQ(children_of(page_grid(1)), before);
}

TEST_F(LazyPagesTest, AfterTheFirstDrawTheRestFillsInIdleTimeAndTheWindowKeepsItsSize) {
  show_test_window();
  const std::pair<int, int> shown = window_size();
  EXPECT_EQ(shown, std::make_pair(820, 780));
  ASSERT_TRUE(run_main_loop_until([] { return page_built(page_count()); }, kPatienceMs));
  EXPECT_EQ(window.page_builder, 0u);
  EXPECT_EQ(more.gtk_notebook_get_current_page(as<GtkNotebook>(notebook())), 0);
  for (int number = 1; number <= page_count(); ++number) {
    show_page(number);
    EXPECT_EQ(window_size(), shown) << number;
  }
}

// A window closed while pages still wait leaves no builder behind.
TEST_F(LazyPagesTest, ClosingStopsTheBuilder) {
  gtk.gtk_widget_show_all(window.main_window);
  // One dispatch at a time, so that the builder has not had its turn yet.
  for (long long end = now_ms() + 5000; window.first_draw_handler && now_ms() < end;) {
    if (!more.gtk_main_iteration_do(FALSE)) usleep(1000);
  }
  builder_seen = window.page_builder;
  ASSERT_NE(builder_seen, 0u);
  connect_signal(window.main_window, "destroy", G_CALLBACK(note_builder_left), nullptr);
  close_test_window();
  EXPECT_FALSE(builder_left);
}
