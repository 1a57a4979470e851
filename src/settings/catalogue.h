// The fixed catalogue of every setting the program knows, in file and display order, and the
// pages of the settings window that show them.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

enum class SettingKind : int32_t { Bool, Int, Text, Colour, Font, Choice, Keys };

// The pages of settings, in tab order; each names its row of the page table.
enum class Page : int32_t { PathBar, Terminal, Panes, Sidebar };

// What the settings window shows on a page after its settings.
enum class PageExtras : int32_t { None, PathBarPreview, PromptPreviewAndFont, ReadonlyPresets };

struct SettingsPage {
  Page id;
  std::string_view title;
  PageExtras extras;
};

// One row. The texts point at the program's own constant strings and live for the whole run.
struct Setting {
  std::string_view section;
  std::string_view key;
  SettingKind kind;
  std::string_view default_value;  // already in the normal form of its kind
  int32_t min = 0;                 // bounds of an Int row; 0 otherwise
  int32_t max = 0;
  std::string_view choices = {};  // comma-separated words of a Choice row; empty otherwise
  std::string_view page;          // the title of its page
  std::string_view group;
  std::string_view label;
  std::string_view hint = {};
};

int setting_count();
const Setting& setting_at(int index);
// "section.key" of row index.
std::string setting_name(int index);

int page_count();
// The page at index in tab order; its id is Page(index).
const SettingsPage& page_at(int index);
const SettingsPage& page_of(Page id);
// The page titled title; nullptr when there is none.
const SettingsPage* find_page(std::string_view title);
