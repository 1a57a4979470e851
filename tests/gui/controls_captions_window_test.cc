// One caption column on every page: the captions are as wide as the widest of the catalogue, so
// the controls start at the same place on every page, whichever page was filled first.
#include <algorithm>
#include <set>

#include "gui/window_test_support.h"
#include "settings/catalogue.h"

namespace {

int x_in_page(GtkWidget* widget, int page_number) {
  int x = 0, y = 0;
  more.gtk_widget_translate_coordinates(widget, page_grid(page_number), 0, 0, &x, &y);
  return x;
}

}  // namespace

TEST_F(WindowTest, CaptionsAndControlsLineUpOnEveryPage) {
  show_test_window();
  std::set<int> caption_widths, control_starts;
  int widest_natural = 0;
  for (int page_number = 0; page_number < page_count(); ++page_number) {
    show_page(page_number);
    for (int i = 0; i < setting_count(); ++i) {
      if (setting_at(i).page != page_at(page_number).title) continue;
      GtkWidget* caption = window.captions[static_cast<size_t>(i)];
      GtkAllocation size;
      more.gtk_widget_get_allocation(caption, &size);
      caption_widths.insert(size.width);
      control_starts.insert(x_in_page(window.control_rows[static_cast<size_t>(i)], page_number));
      int minimum = 0, natural = 0;
      gtk.gtk_widget_set_size_request(caption, -1, -1);
      gtk.gtk_widget_get_preferred_width(caption, &minimum, &natural);
      widest_natural = std::max(widest_natural, natural);
      gtk.gtk_widget_set_size_request(caption, size.width, -1);
    }
  }
  EXPECT_EQ(caption_widths.size(), 1u);
  EXPECT_EQ(control_starts.size(), 1u);
  // No wider than the widest caption needs.
  EXPECT_EQ(*caption_widths.begin(), widest_natural);
}
