// The window from the keyboard alone, with real key presses through the X server: Tab reaches
// every control and reset button of a page in the order of the rows, and each kind of control
// is used with its keys.
#include "gui/setting_controls.h"
#include "gui/window_test_support.h"
#include "settings/catalogue.h"
#include "settings/settings_file.h"

namespace {

// Every setting takes effect, so that no control is greyed out.
const char* const kLiveValues[][2] = {
    {"pathbar.enabled", "true"},         {"pathbar.shape", "custom"},
    {"terminal.prompt_enabled", "true"}, {"terminal.style", "powerline"},
    {"terminal.keys", "custom"},
};

class KeyboardTest : public TempHomeTest {
 protected:
  void SetUp() override {
    TempHomeTest::SetUp();
    ASSERT_TRUE(open_test_window());
    for (const auto& setting : kLiveValues)
      set_in_window(setting[0], setting[1]);
    show_test_window();
  }
  void TearDown() override {
    close_test_window();
    TempHomeTest::TearDown();
  }
};

bool inside(GtkWidget* widget, GtkWidget* container) {
  return widget && (widget == container || gtk.gtk_widget_is_ancestor(widget, container));
}

// What a focus stop is on a page: "section.key" for a control, "reset section.key" for a reset
// button, "other" for the page's other buttons.
std::string stop_name(GtkWidget* focus) {
  for (int i = 0; i < setting_count(); ++i) {
    GtkWidget* row = window.control_rows[static_cast<size_t>(i)];
    if (!row || !inside(focus, row)) continue;
    return inside(focus, window.setting_controls[static_cast<size_t>(i)])
               ? setting_name(i)
               : "reset " + setting_name(i);
  }
  return "other";
}

// The focused widget lies within the visible part of the page.
bool in_view(GtkWidget* focus, int page_number) {
  int x = 0, y = 0;
  GtkAllocation size;
  more.gtk_widget_get_allocation(focus, &size);
  GtkAllocation view;
  more.gtk_widget_get_allocation(page(page_number), &view);
  return more.gtk_widget_translate_coordinates(focus, page(page_number), 0, 0, &x, &y) && y >= 0 &&
         y + size.height <= view.height;
}

// Shows the page of the setting and gives its control the focus.
void focus_on(GtkWidget* widget, const std::string& setting) {
  for (int page_number = 0; page_number < page_count(); ++page_number) {
    if (page_at(page_number).title == setting_at(row_index(setting)).page) show_page(page_number);
  }
  more.gtk_widget_grab_focus(widget);
}

}  // namespace

TEST_F(KeyboardTest, TabReachesEveryControlAndResetButtonInRowOrder) {
  for (int page_number = 0; page_number < page_count(); ++page_number) {
    SCOPED_TRACE(std::string(page_at(page_number).title));
    show_page(page_number);
    std::vector<std::string> expected;
    for (int i = 0; i < setting_count(); ++i) {
      if (setting_at(i).page != page_at(page_number).title) continue;
      expected.push_back(setting_name(i));
      const SettingKind kind = setting_at(i).kind;
      if (kind == SettingKind::Colour || kind == SettingKind::Font)
        expected.push_back("reset " + setting_name(i));
    }
    // From the tab, one Tab at a time, until the focus has left the page's settings (for the
    // page's other buttons or out of the page).
    more.gtk_widget_grab_focus(notebook());
    std::vector<std::string> reached;
    for (size_t presses = 0; presses < expected.size() + 2; ++presses) {
      type_keys({"Tab"});
      GtkWidget* focus = gtk.gtk_window_get_focus(as<GtkWindow>(window.main_window));
      const std::string stop = inside(focus, page(page_number)) ? stop_name(focus) : "other";
      if (stop == "other") break;
      EXPECT_TRUE(in_view(focus, page_number)) << stop << " is out of view";
      reached.push_back(stop);
    }
    EXPECT_EQ(reached, expected);
  }
}

struct KeyCase {
  const char* setting;
  std::vector<std::string> keys;
  const char* stored;  // afterwards
};

TEST_F(KeyboardTest, EachKindOfControlWorksFromTheKeyboard) {
  store_value(row_index("pathbar.border_color"), "#123456");
  refresh_all_controls();
  const KeyCase cases[] = {
      {"pathbar.border_width", {"Up"}, "2"},
      {"pathbar.border_style", {"Down"}, "dashed"},
      {"terminal.symbol", {"BackSpace", "percent"}, "%"},
      {"panes.key_add", {"ctrl+F7"}, "<Primary>F7"},
      {"terminal.prompt_enabled", {"space"}, "false"},
  };
  for (const KeyCase& key_case : cases) {
    focus_on(control_of(key_case.setting), key_case.setting);
    type_keys(key_case.keys);
    EXPECT_EQ(stored(key_case.setting), key_case.stored) << key_case.setting;
  }
  // Tab leaves the key field without changing it.
  focus_on(control_of("panes.key_add"), "panes.key_add");
  type_keys({"Tab"});
  EXPECT_EQ(stored("panes.key_add"), "<Primary>F7");
  EXPECT_FALSE(inside(gtk.gtk_window_get_focus(as<GtkWindow>(window.main_window)),
                      control_of("panes.key_add")));

  // The space bar opens the colour and the font dialogs; Enter on a reset button resets.
  for (const auto& [setting, dialog] : {std::pair{"pathbar.border_color", "GtkColorChooserDialog"},
                                        std::pair{"pathbar.normal_font", "GtkFontChooserDialog"}}) {
    focus_on(control_of(setting), setting);
    type_keys({"space"});
    GtkWidget* opened = nullptr;
    EXPECT_TRUE(run_main_loop_until(
        [&] { return (opened = open_window_of_type(dialog)) != nullptr; }, kPatienceMs))
        << setting;
    if (opened) more.gtk_dialog_response(as<GtkDialog>(opened), GTK_RESPONSE_CANCEL);
  }
  focus_on(reset_button_of("pathbar.border_color"), "pathbar.border_color");
  type_keys({"Return"});
  EXPECT_EQ(stored("pathbar.border_color"), "");
}
