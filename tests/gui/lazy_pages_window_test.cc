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

int tab_count() {
  return more.gtk_notebook_get_n_pages(as<GtkNotebook>(notebook()));
}

// Whether the page holds anything yet.
bool filled(int number) {
  return !children_of(page(number)).empty();
}

// The controls that exist, by page title ("Backup" for none).
std::vector<std::string_view> pages_with_controls() {
  std::vector<std::string_view> titles;
  for (int i = 0; i < setting_count(); ++i) {
    if (!window.setting_controls[static_cast<size_t>(i)]) continue;
    if (titles.empty() || titles.back() != setting_at(i).page) titles.push_back(setting_at(i).page);
  }
  return titles;
}

int page_number_of(int index) {
  for (int number = 0; number < page_count(); ++number) {
    if (page_at(number).title == setting_at(index).page) return number;
  }
  return -1;
}

// Runs the main loop one dispatch at a time until the window has been drawn once, so that the
// idle builder has not had its turn yet.
bool run_until_first_draw() {
  const long long end = now_ms() + 5000;
  while (window.first_draw_handler) {
    if (now_ms() >= end) return false;
    if (!more.gtk_main_iteration_do(FALSE)) usleep(1000);
  }
  return true;
}

std::pair<int, int> window_size() {
  int width = 0, height = 0;
  more.gtk_window_get_size(as<GtkWindow>(window.main_window), &width, &height);
  return {width, height};
}

}  // namespace

TEST_F(LazyPagesTest, OnlyTheFirstPageIsFilledBeforeTheWindowShows) {
  ASSERT_EQ(tab_count(), page_count() + 1);
  for (int number = 0; number <= page_count(); ++number) {
    const std::string tab(number < page_count() ? page_at(number).title : "Backup");
    EXPECT_EQ(more.gtk_notebook_get_tab_label_text(as<GtkNotebook>(notebook()), page(number)), tab);
    EXPECT_EQ(page_built(number), number == 0) << tab;
    EXPECT_EQ(filled(number), number == 0) << tab;
  }
  EXPECT_EQ(pages_with_controls(), std::vector<std::string_view>{page_at(0).title});
  EXPECT_EQ(window.prompt_preview, nullptr);
  EXPECT_EQ(window.font_status, nullptr);
}

// Values changed after the window opened show in a page filled afterwards, by either way in.
TEST_F(LazyPagesTest, APageFilledLaterShowsTheValuesOfThatMoment) {
  struct Case {
    const char* setting;
    const char* value;
    bool by_tab;  // selected, or filled as the idle builder does
  };
  for (const Case& c :
       {Case{"terminal.cwd_style", "base", true}, Case{"panes.key_add", "<Control>F7", false},
        Case{"sidebar.readonly_italic", "false", true}}) {
    const int index = row_index(c.setting);
    ASSERT_GE(index, 0);
    const int number = page_number_of(index);
    store_value(index, c.value);
    ASSERT_FALSE(page_built(number)) << c.setting;
    if (c.by_tab) {
      more.gtk_notebook_set_current_page(as<GtkNotebook>(notebook()), number);
      EXPECT_EQ(more.gtk_notebook_get_current_page(as<GtkNotebook>(notebook())), number);
    } else {
      build_page(number);
    }
    ASSERT_TRUE(page_built(number)) << c.setting;
    GtkWidget* control = control_of(c.setting);
    ASSERT_NE(control, nullptr) << c.setting;
    const SettingKind kind = setting_at(index).kind;
    if (kind == SettingKind::Choice) {
      EXPECT_STREQ(gtk.gtk_combo_box_get_active_id(as<GtkComboBox>(control)), c.value);
    } else if (kind == SettingKind::Bool) {
      EXPECT_EQ(gtk.gtk_toggle_button_get_active(as<GtkToggleButton>(control)),
                std::string(c.value) == "true");
    } else {
      EXPECT_STREQ(gtk.gtk_entry_get_text(as<GtkEntry>(control)), "Ctrl+F7");
    }
  }
  // A page is filled once: selecting it again changes nothing.
  const std::vector<GtkWidget*> before = children_of(page_grid(1));
  build_page(1);
  more.gtk_notebook_set_current_page(as<GtkNotebook>(notebook()), 1);
  EXPECT_EQ(children_of(page_grid(1)), before);
}

TEST_F(LazyPagesTest, AfterTheFirstDrawTheRestFillsInIdleTimeAndTheWindowKeepsItsSize) {
  show_test_window();
  const std::pair<int, int> shown = window_size();
  EXPECT_EQ(shown, std::make_pair(820, 780));
  ASSERT_TRUE(run_main_loop_until([] { return page_built(page_count()); }, 10000));
  for (int number = 0; number <= page_count(); ++number)
    EXPECT_TRUE(filled(number)) << number;
  EXPECT_EQ(window.page_builder, 0u);
  run_main_loop_for(100);
  EXPECT_EQ(window_size(), shown);
  EXPECT_EQ(more.gtk_notebook_get_current_page(as<GtkNotebook>(notebook())), 0);
  // Each page, shown, fits the window as it is.
  for (int number = 1; number <= page_count(); ++number) {
    show_page(number);
    EXPECT_EQ(window_size(), shown) << number;
  }
  EXPECT_NE(window.prompt_preview, nullptr);
}

// A window closed while pages still wait leaves no builder behind for the next window.
guint builder_seen = 0;
bool builder_left = false;
// Connected after the window's own handler: what is left once the window is destroyed.
void note_builder_left(GtkWidget*, gpointer) {
  builder_left = more.g_main_context_find_source_by_id(nullptr, builder_seen) != nullptr;
}

TEST_F(LazyPagesTest, ClosingStopsTheBuilder) {
  gtk.gtk_widget_show_all(window.main_window);
  ASSERT_TRUE(run_until_first_draw());
  builder_seen = window.page_builder;
  ASSERT_NE(builder_seen, 0u);
  ASSERT_FALSE(page_built(page_count()));
  connect_signal(window.main_window, "destroy", G_CALLBACK(note_builder_left), nullptr);
  close_test_window();
  EXPECT_FALSE(builder_left);
  EXPECT_EQ(more.g_main_context_find_source_by_id(nullptr, builder_seen), nullptr);
}
