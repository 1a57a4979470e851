#include "settings/catalogue.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <set>
#include <vector>

#include "settings/value_access.h"
#include "test_support.h"

using CatalogueTest = TempHomeTest;

TEST_F(CatalogueTest, HasEveryRowOfEachKind) {
  ASSERT_EQ(setting_count(), 62);
  std::map<SettingKind, int> kinds;
  for (int i = 0; i < setting_count(); ++i)
    ++kinds[setting_at(i).kind];
  EXPECT_EQ(kinds[SettingKind::Bool], 13);
  EXPECT_EQ(kinds[SettingKind::Int], 9);
  EXPECT_EQ(kinds[SettingKind::Text], 4);
  EXPECT_EQ(kinds[SettingKind::Colour], 20);
  EXPECT_EQ(kinds[SettingKind::Font], 2);
  EXPECT_EQ(kinds[SettingKind::Choice], 8);
  EXPECT_EQ(kinds[SettingKind::Keys], 6);
}

TEST_F(CatalogueTest, OnlyEnabledIsSharedBetweenSections) {
  std::map<std::string, std::set<std::string>> sections_of_key;
  for (int i = 0; i < setting_count(); ++i) {
    sections_of_key[std::string(setting_at(i).key)].insert(std::string(setting_at(i).section));
  }
  for (const auto& [key, sections] : sections_of_key) {
    if (key == "enabled") {
      EXPECT_EQ(sections, (std::set<std::string>{"pathbar", "panes"}));
    } else {
      EXPECT_EQ(sections.size(), 1u) << key;
    }
  }
}

TEST_F(CatalogueTest, SectionsComeOnceEachInOrderAndMapToOnePage) {
  const std::map<std::string_view, std::string_view> page_of = {{"pathbar", "Path bar"},
                                                                {"terminal", "Terminal"},
                                                                {"panes", "Panes"},
                                                                {"sidebar", "Sidebar"}};
  std::vector<std::string_view> order;
  for (int i = 0; i < setting_count(); ++i) {
    const Setting& row = setting_at(i);
    if (order.empty() || order.back() != row.section) order.push_back(row.section);
    EXPECT_EQ(row.page, page_of.at(row.section)) << row.key;
  }
  EXPECT_EQ(order, (std::vector<std::string_view>{"pathbar", "terminal", "panes", "sidebar"}));
}

TEST_F(CatalogueTest, EveryDefaultIsAlreadyInNormalForm) {
  for (int i = 0; i < setting_count(); ++i) {
    const Setting& row = setting_at(i);
    std::string value(row.default_value);
    EXPECT_TRUE(normalize_value(i, value)) << row.section << "." << row.key;
    EXPECT_EQ(value, row.default_value) << row.section << "." << row.key;
    if (row.kind == SettingKind::Int) {
      EXPECT_LT(row.min, row.max) << row.key;
    } else {
      EXPECT_EQ(row.min + row.max, 0) << row.key;
    }
    EXPECT_EQ(row.kind == SettingKind::Choice, !row.choices.empty()) << row.key;
  }
}

TEST_F(CatalogueTest, RowsThatMatterElsewhereAreExact) {
  const int empty_defaults[] = {7, 8, 9, 10, 12, 13, 14, 37, 38};
  for (int row : empty_defaults)
    EXPECT_EQ(setting_at(row - 1).default_value, "") << row;
  const Setting& layout = setting_at(find_setting("terminal", "template"));
  EXPECT_EQ(layout.default_value, "{user}@{host} {cwd}{git}{nl}{sym} ");
  const Setting& entries = setting_at(find_setting("sidebar", "stats_max_entries"));
  EXPECT_EQ(entries.min, 1000);
  EXPECT_EQ(entries.max, 5000000);
  EXPECT_EQ(entries.hint, "A folder bigger than this shows a lower bound (\xE2\x89\xA5).");
  EXPECT_EQ(setting_at(find_setting("terminal", "raw_bash")).hint,
            "Write the bash prompt string yourself, e.g.  \\u@\\h:\\w\\$   (\\u user, \\h host, "
            "\\w folder, \\$ the $ sign). When filled it replaces everything above for bash. "
            "Leave empty to use the builder.");
  EXPECT_EQ(setting_at(find_setting("pathbar", "shape")).choices,
            "custom,square,soft,round,pill,tab,tab_bottom,leaf,leaf_reverse");
  EXPECT_EQ(setting_at(0).group, setting_at(0).page);
}

TEST_F(CatalogueTest, NamesAreUniqueAndEveryRowFitsItsKind) {
  std::set<std::string> names;
  for (int i = 0; i < setting_count(); ++i) {
    const Setting& row = setting_at(i);
    EXPECT_TRUE(names.insert(setting_name(i)).second) << setting_name(i);
    EXPECT_FALSE(row.label.empty()) << row.key;
    if (row.kind != SettingKind::Int) {
      EXPECT_EQ(row.min, 0) << row.key;
      EXPECT_EQ(row.max, 0) << row.key;
    }
    if (row.kind != SettingKind::Choice) continue;
    std::set<std::string_view> words;
    size_t start = 0;
    for (size_t comma; start <= row.choices.size(); start = comma + 1) {
      comma = std::min(row.choices.find(',', start), row.choices.size());
      const std::string_view word = row.choices.substr(start, comma - start);
      EXPECT_FALSE(word.empty()) << row.key;
      EXPECT_TRUE(words.insert(word).second) << row.key << ": " << word;
    }
    EXPECT_TRUE(words.count(row.default_value)) << row.key;
  }
}

TEST_F(CatalogueTest, PageTableNamesEveryPageOnceInRowOrder) {
  std::vector<std::string_view> titles, row_pages;
  std::set<PageExtras> extras;
  for (int i = 0; i < page_count(); ++i) {
    const SettingsPage& page = page_at(i);
    EXPECT_EQ(page.id, static_cast<Page>(i)) << page.title;
    EXPECT_EQ(&page_of(page.id), &page);
    EXPECT_EQ(find_page(page.title), &page);
    titles.push_back(page.title);
    // The window keeps one widget of each kind of extras.
    if (page.extras != PageExtras::None) {
      EXPECT_TRUE(extras.insert(page.extras).second) << page.title;
    }
  }
  for (int i = 0; i < setting_count(); ++i) {
    if (row_pages.empty() || row_pages.back() != setting_at(i).page)
      row_pages.push_back(setting_at(i).page);
  }
  EXPECT_EQ(row_pages, titles);
  EXPECT_EQ(find_page("Backup"), nullptr);
  EXPECT_EQ(find_page("path bar"), nullptr);
}
