// The window as built: its tabs, the rows of every settings page (group headings, captions,
// controls by kind, hints under the controls and as tooltips), the notice over the Panes and
// Sidebar pages without a tuned Nemo, the blocks after the settings of the Path bar, Terminal and
// Sidebar pages, the Backup page and the status line.
#include <fenv.h>

#include <string_view>

#include "fonts/powerline_font.h"
#include "gui/window_actions.h"
#include "gui/window_test_support.h"
#include "settings/catalogue.h"
#include "settings/locations.h"

namespace {

const char kEllipsis[] = "\xE2\x80\xA6";
const char kTunedNemoNotice[] =
    "These settings take effect only in the tuned Nemo, which is built separately and is not "
    "installed here; the stock Nemo ignores them.";
// The rows the notice takes at the top of each settings page while no tuned Nemo is installed.
const int kNoticeRows[] = {0, 0, 1, 0};

void expect_plain_label(GtkWidget* widget, const std::string& text) {
  ASSERT_EQ(type_of(widget), "GtkLabel") << text;
  EXPECT_EQ(label_text(widget), text);
  EXPECT_FALSE(more.gtk_label_get_use_markup(as<GtkLabel>(widget))) << text;
  EXPECT_EQ(more.gtk_label_get_xalign(as<GtkLabel>(widget)), 0.0f) << text;
}

// A bold heading over both columns of a page.
void expect_heading(const GridCell* cell, const std::string& text, int top_margin) {
  ASSERT_NE(cell, nullptr) << "no heading \"" << text << "\"";
  ASSERT_EQ(type_of(cell->widget), "GtkLabel") << text;
  EXPECT_EQ(label_markup(cell->widget), "<b>" + text + "</b>");
  EXPECT_EQ(label_text(cell->widget), text);
  EXPECT_TRUE(more.gtk_label_get_use_markup(as<GtkLabel>(cell->widget)));
  EXPECT_EQ(more.gtk_label_get_xalign(as<GtkLabel>(cell->widget)), 0.0f) << text;
  EXPECT_EQ(more.gtk_widget_get_margin_top(cell->widget), top_margin) << text;
  EXPECT_EQ(cell->column, 0) << text;
  EXPECT_EQ(cell->width, 2) << text;
}

// The hint under a control: small, faded, wrapped at 46 characters, showing the hint as written.
void expect_hint(const GridCell* cell, const std::string& hint) {
  ASSERT_NE(cell, nullptr) << "no hint \"" << hint << "\"";
  ASSERT_EQ(type_of(cell->widget), "GtkLabel") << hint;
  EXPECT_EQ(label_text(cell->widget), hint);
  const std::string markup = label_markup(cell->widget);
  const std::string start = "<span size=\"small\" alpha=\"70%\">";
  EXPECT_EQ(markup.substr(0, start.size()), start) << markup;
  EXPECT_EQ(markup.substr(markup.size() - 7), "</span>") << markup;
  EXPECT_EQ(more.gtk_label_get_xalign(as<GtkLabel>(cell->widget)), 0.0f) << hint;
  EXPECT_TRUE(more.gtk_label_get_line_wrap(as<GtkLabel>(cell->widget))) << hint;
  EXPECT_EQ(more.gtk_label_get_max_width_chars(as<GtkLabel>(cell->widget)), 46) << hint;
  EXPECT_EQ(cell->column, 1);
  EXPECT_EQ(cell->width, 1);
}

// The notice at the top of a page: one plain label over both columns, wrapped at 70 characters.
void expect_tuned_nemo_notice(const GridCell* cell) {
  ASSERT_NE(cell, nullptr) << "no notice";
  expect_plain_label(cell->widget, kTunedNemoNotice);
  EXPECT_TRUE(more.gtk_label_get_line_wrap(as<GtkLabel>(cell->widget)));
  EXPECT_EQ(more.gtk_label_get_max_width_chars(as<GtkLabel>(cell->widget)), 70);
  EXPECT_EQ(cell->column, 0);
  EXPECT_EQ(cell->width, 2);
}

// The settings pages that show the notice anywhere.
std::vector<int> pages_with_the_notice() {
  std::vector<int> pages;
  for (int page_number = 0; page_number < 4; ++page_number) {
    for (const GridCell& cell : cells_of(page_grid(page_number))) {
      if (type_of(cell.widget) == "GtkLabel" && label_text(cell.widget) == kTunedNemoNotice)
        pages.push_back(page_number);
    }
  }
  return pages;
}

std::vector<std::string> words_of(std::string_view choices) {
  std::vector<std::string> words;
  size_t start = 0;
  while (start <= choices.size()) {
    size_t comma = choices.find(',', start);
    if (comma == std::string_view::npos) comma = choices.size();
    words.emplace_back(choices.substr(start, comma - start));
    start = comma + 1;
  }
  return words;
}

// The items of a text combo box as (id, text).
std::vector<std::pair<std::string, std::string>> combo_items(GtkWidget* combo) {
  std::vector<std::pair<std::string, std::string>> items;
  GtkTreeModel* model = more.gtk_combo_box_get_model(as<GtkComboBox>(combo));
  const int count = more.gtk_tree_model_iter_n_children(model, nullptr);
  for (int i = 0; i < count; ++i) {
    GtkTreeIter iter;
    more.gtk_tree_model_iter_nth_child(model, &iter, nullptr, i);
    gchar* text = nullptr;
    gchar* id = nullptr;
    more.gtk_tree_model_get(model, &iter, 0, &text, 1, &id, -1);
    items.emplace_back(id ? id : "(no id)", text ? text : "(no text)");
    gtk.g_free(text);
    gtk.g_free(id);
  }
  return items;
}

struct Packing {
  gboolean expand;
  gboolean fill;
  guint padding;
};
Packing packing_of(GtkWidget* box, GtkWidget* child) {
  Packing packing{};
  GtkPackType type;
  more.gtk_box_query_child_packing(as<GtkBox>(box), child, &packing.expand, &packing.fill,
                                   &packing.padding, &type);
  return packing;
}

// The widget in the grid for catalogue row index, checked against the control its kind gets.
void expect_control(int index, GtkWidget* widget) {
  const Setting& row = setting_at(index);
  const std::string name = setting_name(index);
  GtkWidget* control = window.setting_controls[static_cast<size_t>(index)];
  ASSERT_NE(control, nullptr) << name;
  EXPECT_EQ(more.gtk_widget_get_halign(widget), GTK_ALIGN_START) << name;
  EXPECT_EQ(tooltip_of(widget), std::string(row.hint)) << name;
  switch (row.kind) {
    case SettingKind::Bool:
      EXPECT_EQ(widget, control) << name;
      EXPECT_EQ(type_of(control), "GtkCheckButton") << name;
      EXPECT_EQ(more.gtk_button_get_label(as<GtkButton>(control)), nullptr) << name;
      break;
    case SettingKind::Int: {
      EXPECT_EQ(widget, control) << name;
      ASSERT_EQ(type_of(control), "GtkSpinButton") << name;
      double min, max, step, page;
      more.gtk_spin_button_get_range(as<GtkSpinButton>(control), &min, &max);
      more.gtk_spin_button_get_increments(as<GtkSpinButton>(control), &step, &page);
      EXPECT_EQ(min, row.min) << name;
      EXPECT_EQ(max, row.max) << name;
      EXPECT_EQ(step, 1) << name;
      break;
    }
    case SettingKind::Text:
    case SettingKind::Keys: {
      const bool keys = row.kind == SettingKind::Keys;
      EXPECT_EQ(widget, control) << name;
      ASSERT_EQ(type_of(control), "GtkEntry") << name;
      EXPECT_EQ(more.gtk_entry_get_width_chars(as<GtkEntry>(control)), keys ? 24 : 38) << name;
      EXPECT_EQ(more.gtk_editable_get_editable(as<GtkEditable>(control)), !keys) << name;
      break;
    }
    case SettingKind::Choice: {
      EXPECT_EQ(widget, control) << name;
      ASSERT_EQ(type_of(control), "GtkComboBoxText") << name;
      std::vector<std::pair<std::string, std::string>> expected;
      for (const std::string& word : words_of(row.choices))
        expected.emplace_back(word, word);
      EXPECT_EQ(combo_items(control), expected) << name;
      break;
    }
    case SettingKind::Colour:
    case SettingKind::Font: {
      ASSERT_EQ(type_of(widget), "GtkBox") << name;
      EXPECT_EQ(more.gtk_orientable_get_orientation(reinterpret_cast<GtkOrientable*>(widget)),
                GTK_ORIENTATION_HORIZONTAL);
      EXPECT_EQ(more.gtk_box_get_spacing(as<GtkBox>(widget)), 6) << name;
      const std::vector<GtkWidget*> parts = children_of(widget);
      ASSERT_EQ(parts.size(), 3u) << name;
      EXPECT_EQ(parts[0], control) << name;
      EXPECT_EQ(type_of(control),
                row.kind == SettingKind::Colour ? "GtkColorButton" : "GtkFontButton")
          << name;
      EXPECT_EQ(parts[1], window.state_labels[static_cast<size_t>(index)]) << name;
      EXPECT_EQ(type_of(parts[1]), "GtkLabel") << name;
      EXPECT_EQ(more.gtk_label_get_xalign(as<GtkLabel>(parts[1])), 0.0f) << name;
      EXPECT_EQ(type_of(parts[2]), "GtkButton") << name;
      EXPECT_STREQ(more.gtk_button_get_label(as<GtkButton>(parts[2])), "reset") << name;
      // The state label takes the room between the buttons: "reset" sits at the right end.
      EXPECT_FALSE(packing_of(widget, parts[0]).expand) << name;
      EXPECT_TRUE(packing_of(widget, parts[1]).expand) << name;
      EXPECT_TRUE(packing_of(widget, parts[1]).fill) << name;
      EXPECT_FALSE(packing_of(widget, parts[2]).expand) << name;
      break;
    }
  }
  if (row.kind != SettingKind::Colour && row.kind != SettingKind::Font) {
    EXPECT_EQ(window.state_labels[static_cast<size_t>(index)], nullptr) << name;
  }
}

// Walks the settings rows of a page from first_row on and returns the first grid row after them;
// every cell seen is counted in used.
int expect_settings_rows(int page_number, const std::string& title, size_t& used,
                         int first_row = 0) {
  const std::vector<GridCell> cells = cells_of(page_grid(page_number));
  int row = first_row;
  std::string last_group;
  for (int i = 0; i < setting_count(); ++i) {
    const Setting& setting = setting_at(i);
    if (setting.page != title) continue;
    if (setting.group != last_group) {
      expect_heading(cell_at(cells, 0, row++), std::string(setting.group), 8);
      last_group = setting.group;
      ++used;
    }
    const GridCell* caption = cell_at(cells, 0, row);
    const GridCell* control = cell_at(cells, 1, row);
    if (!caption || !control) {
      ADD_FAILURE() << setting_name(i) << ": no caption and control in row " << row;
      return row;
    }
    expect_plain_label(caption->widget, std::string(setting.label));
    EXPECT_EQ(caption->width, 1);
    EXPECT_FALSE(more.gtk_widget_get_hexpand(caption->widget)) << setting_name(i);
    expect_control(i, control->widget);
    used += 2;
    ++row;
    if (!setting.hint.empty()) {
      expect_hint(cell_at(cells, 1, row++), std::string(setting.hint));
      ++used;
    }
  }
  return row;
}

std::vector<std::string> button_labels(GtkWidget* box) {
  std::vector<std::string> labels;
  for (GtkWidget* child : children_of(box)) {
    const gchar* label = more.gtk_button_get_label(as<GtkButton>(child));
    labels.push_back(label ? label : "(none)");
    EXPECT_FALSE(packing_of(box, child).expand) << labels.back();
  }
  return labels;
}

}  // namespace

TEST_F(WindowTest, IsOneTitledWindowWithFiveTabsAndAStatusLine) {
  GtkWindow* main_window = as<GtkWindow>(window.main_window);
  EXPECT_STREQ(more.gtk_window_get_title(main_window), "Fennick");
  int width = 0, height = 0;
  more.gtk_window_get_default_size(main_window, &width, &height);
  EXPECT_EQ(width, 820);
  EXPECT_EQ(height, 780);
  EXPECT_STREQ(more.gtk_window_get_icon_name(main_window), "preferences-system");
  GtkWindowPosition position = GTK_WIN_POS_NONE;
  more.g_object_get(main_window, "window-position", &position, nullptr);
  EXPECT_EQ(position, GTK_WIN_POS_CENTER);

  GtkNotebook* tabs = as<GtkNotebook>(notebook());
  std::vector<std::string> titles;
  for (int i = 0; i < more.gtk_notebook_get_n_pages(tabs); ++i) {
    titles.push_back(more.gtk_notebook_get_tab_label_text(tabs, page(i)));
  }
  EXPECT_EQ(titles,
            (std::vector<std::string>{"Path bar", "Terminal", "Panes", "Sidebar", "Backup"}));

  // A vertical box: the notebook takes the room, the status line sits under it, in a row with
  // the undo of a reset (hidden).
  const std::vector<GtkWidget*> boxes = children_of(window.main_window);
  ASSERT_EQ(boxes.size(), 1u);
  GtkWidget* box = boxes[0];
  EXPECT_EQ(more.gtk_box_get_spacing(as<GtkBox>(box)), 6);
  GtkWidget* status_row = more.gtk_widget_get_parent(window.status_label);
  EXPECT_EQ(children_of(box), (std::vector<GtkWidget*>{notebook(), status_row}));
  EXPECT_EQ(children_of(status_row),
            (std::vector<GtkWidget*>{window.status_label, window.undo_button}));
  EXPECT_TRUE(more.gtk_widget_get_vexpand(notebook()));
  EXPECT_TRUE(packing_of(box, notebook()).expand);
  EXPECT_TRUE(packing_of(box, notebook()).fill);
  const Packing status_packing = packing_of(box, status_row);
  EXPECT_FALSE(status_packing.expand);
  EXPECT_FALSE(status_packing.fill);
  EXPECT_EQ(status_packing.padding, 10u);
  expect_plain_label(window.status_label, "Settings: " + settings_path());
  EXPECT_EQ(status_text(), "Settings: " + home() + "/config/fennick.ini");
  EXPECT_EQ(more.gtk_widget_get_margin_bottom(status_row), 6);
}

TEST_F(WindowTest, SettingsPagesScrollVerticallyOnly) {
  for (int i = 0; i < 4; ++i) {
    ASSERT_EQ(type_of(page(i)), "GtkScrolledWindow") << i;
    GtkPolicyType horizontal, vertical;
    more.gtk_scrolled_window_get_policy(as<GtkScrolledWindow>(page(i)), &horizontal, &vertical);
    EXPECT_EQ(horizontal, GTK_POLICY_NEVER) << i;
    EXPECT_EQ(vertical, GTK_POLICY_AUTOMATIC) << i;
    GtkWidget* grid = page_grid(i);
    ASSERT_NE(grid, nullptr) << i;
    EXPECT_EQ(more.gtk_grid_get_row_spacing(as<GtkGrid>(grid)), 8u) << i;
    EXPECT_EQ(more.gtk_grid_get_column_spacing(as<GtkGrid>(grid)), 14u) << i;
    EXPECT_EQ(more.gtk_container_get_border_width(as<GtkContainer>(grid)), 14u) << i;
  }
}

// The Panes page spelled out: a heading per run of a group, a setting with a hint takes two rows.
TEST_F(WindowTest, PanesPageShowsItsRowsInOrder) {
  const std::vector<GridCell> cells = cells_of(page_grid(2));
  std::vector<std::string> rows;
  for (const GridCell& cell : cells) {
    const std::string where = std::to_string(cell.row) + "," + std::to_string(cell.column) + " ";
    rows.push_back(where + (type_of(cell.widget) == "GtkLabel" ? label_markup(cell.widget)
                                                               : type_of(cell.widget)));
  }
  const std::string hint = "<span size=\"small\" alpha=\"70%\">";
  EXPECT_EQ(rows,
            (std::vector<std::string>{
                "0,0 " + std::string(kTunedNemoNotice),
                "1,0 <b>Extra panes</b>",
                "2,0 Enable the pane shortcuts",
                "2,1 GtkCheckButton",
                "3,1 " + hint + "Needs the tuned Nemo.</span>",
                "4,0 Most panes at once",
                "4,1 GtkSpinButton",
                "5,0 <b>Shortcuts</b>",
                "6,0 Add a pane at the end",
                "6,1 GtkEntry",
                "7,1 " + hint + std::string(setting_at(row_index("key_add")).hint) + "</span>",
                "8,0 Delete the selected pane",
                "8,1 GtkEntry",
                "9,1 " + hint + "The selected pane is the one with the white background.</span>",
                "10,0 Move the selected pane left",
                "10,1 GtkEntry",
                "11,0 Move the selected pane right",
                "11,1 GtkEntry",
            }));
}

TEST_F(WindowTest, EverySettingHasCaptionControlAndHintOnItsPage) {
  const char* const titles[] = {"Path bar", "Terminal", "Panes", "Sidebar"};
  int settings_seen = 0;
  for (int page_number = 0; page_number < 4; ++page_number) {
    SCOPED_TRACE(titles[page_number]);
    const std::vector<GridCell> cells = cells_of(page_grid(page_number));
    const int notice_rows = kNoticeRows[page_number];
    if (notice_rows) expect_tuned_nemo_notice(cell_at(cells, 0, 0));
    size_t used = static_cast<size_t>(notice_rows);
    const int end = expect_settings_rows(page_number, titles[page_number], used, notice_rows);
    // Only the page's own blocks follow the settings.
    size_t extras = 0;
    for (const GridCell& cell : cells) {
      if (cell.row >= end) ++extras;
    }
    EXPECT_EQ(used + extras, cells.size());
    const size_t expected_extras[] = {5, 6, 0, 6};
    EXPECT_EQ(extras, expected_extras[page_number]);
    for (int i = 0; i < setting_count(); ++i)
      settings_seen += setting_at(i).page == titles[page_number];
  }
  EXPECT_EQ(settings_seen, setting_count());
  for (int i = 0; i < setting_count(); ++i)
    EXPECT_NE(window.setting_controls[static_cast<size_t>(i)], nullptr) << setting_name(i);
}

// A hint with a character that markup reserves shows as written.
TEST_F(WindowTest, HintsShowMarkupCharactersAsWritten) {
  const std::string hint(setting_at(row_index("terminal.separator")).hint);
  ASSERT_NE(hint.find('>'), std::string::npos) << hint;
  const std::vector<GridCell> cells = cells_of(page_grid(1));
  bool found = false;
  for (const GridCell& cell : cells) {
    if (type_of(cell.widget) != "GtkLabel" || label_text(cell.widget) != hint) continue;
    found = true;
    EXPECT_NE(label_markup(cell.widget).find("plain &gt; that"), std::string::npos);
  }
  EXPECT_TRUE(found);
  EXPECT_EQ(tooltip_of(control_of("terminal.separator")), hint);
}

TEST_F(WindowTest, PathBarPageEndsWithTheStyledPreview) {
  size_t used = 0;
  const int row = expect_settings_rows(0, "Path bar", used);
  const std::vector<GridCell> cells = cells_of(page_grid(0));
  expect_heading(cell_at(cells, 0, row), "Preview (this is the real path-bar style)", 14);
  const GridCell* preview = cell_at(cells, 0, row + 1);
  ASSERT_NE(preview, nullptr);
  EXPECT_EQ(preview->widget, window.path_bar_preview);
  EXPECT_EQ(preview->width, 2);
  ASSERT_EQ(type_of(preview->widget), "GtkBox");
  EXPECT_EQ(more.gtk_box_get_spacing(as<GtkBox>(preview->widget)), 0);
  GtkStyleContext* style = more.gtk_widget_get_style_context(preview->widget);
  EXPECT_TRUE(more.gtk_style_context_has_class(style, "path-bar"));
  EXPECT_TRUE(more.gtk_style_context_has_class(style, "linked"));
  std::vector<std::string> crumbs;
  for (GtkWidget* crumb : children_of(preview->widget)) {
    EXPECT_EQ(type_of(crumb), "GtkToggleButton");
    crumbs.push_back(
        std::string(more.gtk_button_get_label(as<GtkButton>(crumb))) +
        (gtk.gtk_toggle_button_get_active(as<GtkToggleButton>(crumb)) ? " pressed" : ""));
    EXPECT_FALSE(packing_of(preview->widget, crumb).expand);
  }
  EXPECT_EQ(crumbs, (std::vector<std::string>{"Home", "Projects", "nemo pressed"}));
}

TEST_F(FontWindowTest, TerminalPageEndsWithPreviewHookAndFontBlocks) {
  size_t used = 0;
  const int row = expect_settings_rows(1, "Terminal", used);
  const std::vector<GridCell> cells = cells_of(page_grid(1));
  expect_heading(cell_at(cells, 0, row), "Preview", 14);
  const GridCell* preview = cell_at(cells, 0, row + 1);
  ASSERT_NE(preview, nullptr);
  EXPECT_EQ(preview->widget, window.prompt_preview);
  EXPECT_EQ(preview->width, 2);
  EXPECT_EQ(more.gtk_label_get_xalign(as<GtkLabel>(preview->widget)), 0.0f);

  const GridCell* hooks = cell_at(cells, 0, row + 2);
  ASSERT_NE(hooks, nullptr);
  EXPECT_EQ(hooks->width, 2);
  EXPECT_EQ(more.gtk_box_get_spacing(as<GtkBox>(hooks->widget)), 8);
  EXPECT_EQ(
      button_labels(hooks->widget),
      (std::vector<std::string>{"Add the hook to ~/.bashrc and ~/.zshrc", "Remove the hook"}));

  expect_heading(cell_at(cells, 0, row + 3), "Font for the prompt blocks", 14);
  const GridCell* font_status = cell_at(cells, 0, row + 4);
  ASSERT_NE(font_status, nullptr);
  EXPECT_EQ(font_status->widget, window.font_status);
  EXPECT_EQ(font_status->width, 2);
  // No font in this home has the powerline glyphs.
  expect_plain_label(font_status->widget,
                     "No installed font has the powerline glyphs, so the prompt blocks would show "
                     "as empty boxes. Install one with the button.");
  EXPECT_TRUE(more.gtk_label_get_line_wrap(as<GtkLabel>(font_status->widget)));
  EXPECT_EQ(more.gtk_label_get_max_width_chars(as<GtkLabel>(font_status->widget)), 70);

  const GridCell* fonts = cell_at(cells, 0, row + 5);
  ASSERT_NE(fonts, nullptr);
  EXPECT_EQ(fonts->width, 2);
  EXPECT_EQ(more.gtk_box_get_spacing(as<GtkBox>(fonts->widget)), 8);
  EXPECT_EQ(button_labels(fonts->widget),
            (std::vector<std::string>{std::string("Install MesloLGS NF font") + kEllipsis,
                                      "Use it in my terminal", "Restore terminal font"}));
  const std::vector<GtkWidget*> buttons = children_of(fonts->widget);
  ASSERT_EQ(buttons.size(), 3u);
  // The tooltip names where the files come from by default, without the scheme.
  unsetenv("FENNICK_FONT_URL");
  std::string source = font_source_base();
  ASSERT_EQ(source.substr(0, 8), "https://");
  source.erase(0, 8);
  EXPECT_EQ(tooltip_of(buttons[0]), "Downloads 4 font files (about 10 MB) from " + source +
                                        " into ~/.local/share/fonts/fennick");
  EXPECT_EQ(tooltip_of(buttons[0]),
            "Downloads 4 font files (about 10 MB) from "
            "github.com/romkatv/powerlevel10k-media/raw/master into ~/.local/share/fonts/fennick");
  EXPECT_EQ(tooltip_of(buttons[1]),
            "Sets the default terminal profile font; \"Restore\" puts the old one back");
  EXPECT_EQ(tooltip_of(buttons[2]), "");
}

TEST_F(FontWindowTest, FontStatusNamesTheFontFound) {
  install_font_by_hand();
  refresh_font_status();
  EXPECT_EQ(window.detected_font, "MesloLGS NF");
  EXPECT_EQ(label_text(window.font_status),
            "Powerline font found: MesloLGS NF. The prompt blocks will draw correctly in a "
            "terminal that uses it.");
}

TEST_F(WindowTest, SidebarPageEndsWithThePalettePicker) {
  size_t used = 0;
  const int row = expect_settings_rows(3, "Sidebar", used, kNoticeRows[3]);
  const std::vector<GridCell> cells = cells_of(page_grid(3));
  expect_heading(cell_at(cells, 0, row), "Colour-blind-safe presets for the read-only colour", 14);
  const GridCell* picker = cell_at(cells, 0, row + 1);
  ASSERT_NE(picker, nullptr);
  EXPECT_EQ(picker->widget, window.palette_picker);
  EXPECT_EQ(picker->width, 2);
  ASSERT_EQ(type_of(picker->widget), "GtkComboBoxText");
  EXPECT_EQ(
      combo_items(picker->widget),
      (std::vector<std::pair<std::string, std::string>>{
          {"okabe", "General colour-blind safe: orange / amber (Okabe-Ito, default)"},
          {"protan", "Protanopia / protanomaly (red-blind / red-weak): blue"},
          {"deutan", "Deuteranopia / deuteranomaly (green-blind / green-weak): amber and yellow"},
          {"tritan", "Tritanopia / tritanomaly (blue-yellow): crimson and pink"},
          {"achroma", "Achromatopsia / monochromacy (no colour): grey + italic + underline"},
          {"tol", "Rose (Paul Tol)"},
          {"contrast", "High contrast brown / yellow"},
          {"classic", "Classic red (not colour-blind safe)"},
      }));
  EXPECT_EQ(more.gtk_combo_box_get_active(as<GtkComboBox>(picker->widget)), -1);
  const GridCell* note = cell_at(cells, 0, row + 2);
  ASSERT_NE(note, nullptr);
  EXPECT_EQ(note->width, 2);
  expect_plain_label(note->widget,
                     "The read-only cue is colour + italic (and optionally underline or a lock), "
                     "so it still shows without telling colours apart.");
  // Then what the stock Nemo shows through fennick's extension, and its two buttons.
  expect_heading(cell_at(cells, 0, row + 3), "The stock Nemo", 14);
  ASSERT_NE(cell_at(cells, 0, row + 5), nullptr);
  EXPECT_EQ(children_of(cell_at(cells, 0, row + 5)->widget),
            (std::vector<GtkWidget*>{button_labelled("Use in the stock Nemo", 3),
                                     button_labelled("Remove from the stock Nemo", 3)}));
}

// The notice goes once a tuned Nemo is in its place (the pages are built with the window); a
// FENNICK_PREFIX that cannot be used counts as no tuned Nemo and does not keep the window shut.
TEST_F(WindowTest, PanesAndSidebarSayTheyNeedTheTunedNemoUntilItIsInstalled) {
  EXPECT_EQ(pages_with_the_notice(), (std::vector<int>{2}));

  write_file(tuned_nemo_path(), "#!/bin/sh\n");
  close_test_window();
  ASSERT_TRUE(open_test_window());
  EXPECT_EQ(pages_with_the_notice(), std::vector<int>{});
  for (int page_number : {2, 3}) {
    size_t used = 0;
    expect_settings_rows(page_number, page_number == 2 ? "Panes" : "Sidebar", used);
  }

  setenv("FENNICK_PREFIX", (home() + "/pre\nfix").c_str(), 1);
  close_test_window();
  ASSERT_TRUE(open_test_window());
  EXPECT_EQ(pages_with_the_notice(), (std::vector<int>{2}));
}

TEST_F(WindowTest, BackupPageHasItsFixedGrid) {
  GtkWidget* grid = page(4);
  ASSERT_EQ(type_of(grid), "GtkGrid");
  EXPECT_EQ(more.gtk_grid_get_row_spacing(as<GtkGrid>(grid)), 10u);
  EXPECT_EQ(more.gtk_grid_get_column_spacing(as<GtkGrid>(grid)), 14u);
  EXPECT_EQ(more.gtk_container_get_border_width(as<GtkContainer>(grid)), 14u);
  const std::vector<GridCell> cells = cells_of(grid);
  std::vector<std::string> layout;
  for (const GridCell& cell : cells) {
    std::string what =
        type_of(cell.widget) == "GtkLabel"
            ? "label " + label_markup(cell.widget)
            : "button " + std::string(more.gtk_button_get_label(as<GtkButton>(cell.widget)));
    const std::string tooltip = tooltip_of(cell.widget);
    if (!tooltip.empty()) what += " [" + tooltip + "]";
    layout.push_back(std::to_string(cell.column) + "," + std::to_string(cell.row) + "," +
                     std::to_string(cell.width) + " " + what);
  }
  EXPECT_EQ(
      layout,
      (std::vector<std::string>{
          "0,0,3 label <b>Save, restore and share your settings</b>",
          "0,1,3 label All settings live in one file:\n" + settings_path(),
          std::string("0,2,1 button Export") + kEllipsis,
          std::string("1,2,1 button Import") + kEllipsis,
          "2,2,1 button Reset everything",
          "0,3,3 label Import replaces every setting with the file's, after saving the current "
          "ones as fennick.ini.bak.\nThe same from a script:  fennick export FILE   /   fennick "
          "import FILE",
          "0,4,3 label <b>Nemo itself</b>",
          "0,5,1 button Restart Nemo [Closes every Nemo window and starts Nemo again]",
          "1,5,1 button Make the tuned Nemo the default",
          "2,5,1 button Back to the system Nemo",
          std::string("0,6,3 label The tuned Nemo follows every change live; the stock Nemo "
                      "follows path bar and sidebar changes live with fennick's extension, and "
                      "shows the path bar of gtk.css alone after a restart. The prompt changes "
                      "in new terminals. A restart is needed after switching between the tuned "
                      "and the system Nemo.\nIn the tuned Nemo, and in the stock Nemo with the "
                      "extension, you can also open this window from the menu (Fennick") +
              kEllipsis + ") and restart from there (Restart Nemo to apply).",
      }));
  ASSERT_EQ(cells.size(), 11u);
  GtkWidget* where = cell_at(cells, 0, 1)->widget;
  EXPECT_EQ(label_text(where), "All settings live in one file:\n" + home() + "/config/fennick.ini");
  EXPECT_FALSE(more.gtk_label_get_use_markup(as<GtkLabel>(where)));
  EXPECT_TRUE(more.gtk_label_get_selectable(as<GtkLabel>(where)));
  EXPECT_EQ(more.gtk_label_get_xalign(as<GtkLabel>(where)), 0.0f);
  for (int row : {3, 6}) {
    GtkLabel* text = as<GtkLabel>(cell_at(cells, 0, row)->widget);
    EXPECT_FALSE(more.gtk_label_get_use_markup(text)) << row;
    EXPECT_TRUE(more.gtk_label_get_line_wrap(text)) << row;
    EXPECT_EQ(more.gtk_label_get_xalign(text), 0.0f) << row;
  }
  EXPECT_EQ(more.gtk_label_get_max_width_chars(as<GtkLabel>(cell_at(cells, 0, 6)->widget)), 80);
}

#if defined(__x86_64__)
// Libraries loaded by the window may turn floating-point traps on; the window masks all six in
// both the x87 control word and the SSE control register before anything else.
TEST_F(WindowTest, OpeningTheWindowMasksFloatingPointExceptions) {
  close_test_window();
  feenableexcept(FE_DIVBYZERO | FE_INVALID | FE_OVERFLOW);
  ASSERT_TRUE(open_test_window());
  unsigned short x87 = 0;
  __asm__ volatile("fnstcw %0" : "=m"(x87));
  unsigned int sse = 0;
  __asm__ volatile("stmxcsr %0" : "=m"(sse));
  EXPECT_EQ(x87 & 0x3Fu, 0x3Fu);
  EXPECT_EQ(sse & 0x1F80u, 0x1F80u);
  EXPECT_EQ(fegetexcept(), 0);
}
#endif
