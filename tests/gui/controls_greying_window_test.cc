// Controls of settings without effect are greyed out, with their captions and reset buttons, and
// come back at once when the setting they depend on is changed in the window; a page filled
// later starts greyed as well.
#include <set>
#include <sstream>

#include "gui/window_test_support.h"
#include "settings/catalogue.h"
#include "settings/settings_file.h"

namespace {

struct Rule {
  const char* master;
  const char* live;  // a value in which the dependents take effect
  const char* dead;  // one in which they do not
  const char* dependents;
};

const Rule kRules[] = {
    {"pathbar.enabled", "true", "false",
     "pathbar.border_style pathbar.border_width pathbar.shape pathbar.border_radius "
     "pathbar.spacing pathbar.border_color pathbar.normal_font pathbar.normal_color "
     "pathbar.normal_bg pathbar.normal_height pathbar.selected_font pathbar.selected_color "
     "pathbar.selected_bg pathbar.selected_height"},
    {"pathbar.shape", "custom", "pill", "pathbar.border_radius"},
    {"terminal.keys", "custom", "system", "terminal.key_copy terminal.key_paste"},
    {"terminal.style", "powerline", "plain",
     "terminal.separator terminal.bg_user terminal.bg_host terminal.bg_cwd terminal.bg_git "
     "terminal.bg_time terminal.bg_exit"},
    {"terminal.prompt_enabled", "true", "false",
     "terminal.scope terminal.style terminal.separator terminal.template terminal.cwd_style "
     "terminal.symbol terminal.bold terminal.color_user terminal.color_host terminal.color_cwd "
     "terminal.color_git terminal.color_time terminal.color_exit terminal.color_sym "
     "terminal.bg_user terminal.bg_host terminal.bg_cwd terminal.bg_git terminal.bg_time "
     "terminal.bg_exit terminal.raw_bash terminal.raw_zsh"},
};

std::set<std::string> names_in(const char* list) {
  std::istringstream words(list);
  std::set<std::string> names;
  for (std::string name; words >> name;)
    names.insert(name);
  return names;
}

// Every built row is live unless it is one of the greyed; the caption and, for a colour or font,
// the reset button follow the control.
void expect_greyed(const std::set<std::string>& greyed) {
  for (int i = 0; i < setting_count(); ++i) {
    const std::string name = setting_name(i);
    if (!window.setting_controls[static_cast<size_t>(i)]) continue;
    const bool live = !greyed.count(name);
    EXPECT_EQ(more.gtk_widget_is_sensitive(control_of(name)), live) << name;
    EXPECT_EQ(more.gtk_widget_is_sensitive(window.captions[static_cast<size_t>(i)]), live) << name;
    const SettingKind kind = setting_at(i).kind;
    if (kind == SettingKind::Colour || kind == SettingKind::Font) {
      EXPECT_EQ(more.gtk_widget_is_sensitive(reset_button_of(name)), live) << name;
    }
  }
}

}  // namespace

TEST_F(WindowTest, ControlsWithoutEffectAreGreyedUntilTheirSettingAllowsThem) {
  for (const Rule& rule : kRules)
    set_in_window(rule.master, rule.live);
  expect_greyed({});
  for (const Rule& rule : kRules) {
    SCOPED_TRACE(std::string(rule.master) + "=" + rule.dead);
    set_in_window(rule.master, rule.dead);
    expect_greyed(names_in(rule.dependents));
    set_in_window(rule.master, rule.live);
    expect_greyed({});
  }
}

// A window with only the page it fills before it maps.
class FirstPageOnlyTest : public TempHomeTest {
 protected:
  void TearDown() override {
    close_test_window();
    TempHomeTest::TearDown();
  }
};

TEST_F(FirstPageOnlyTest, APageFilledLaterStartsGreyed) {
  store_value(row_index("terminal.keys"), "custom");
  ASSERT_TRUE(open_test_window(false));
  ASSERT_EQ(control_of("terminal.scope"), nullptr);
  more.gtk_notebook_set_current_page(as<GtkNotebook>(notebook()), 1);
  ASSERT_NE(control_of("terminal.scope"), nullptr);
  // The prompt is off by default: its controls are greyed; the custom keys are live.
  EXPECT_FALSE(more.gtk_widget_is_sensitive(control_of("terminal.scope")));
  EXPECT_FALSE(more.gtk_widget_is_sensitive(control_of("terminal.bg_user")));
  EXPECT_TRUE(more.gtk_widget_is_sensitive(control_of("terminal.prompt_enabled")));
  EXPECT_TRUE(more.gtk_widget_is_sensitive(control_of("terminal.key_copy")));
}
