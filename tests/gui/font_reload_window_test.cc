// After the font download from the window, the running window draws with the new font: the
// prompt preview's powerline glyphs resolve to MesloLGS NF without a restart, and the install
// button reads as done. The real font files, served on 127.0.0.1.
#include <sys/wait.h>

#include "gui/previews.h"
#include "gui/window_actions.h"
#include "gui/window_test_support.h"
#include "settings/settings_file.h"

namespace {

class FontReloadTest : public FontWindowTest {
 protected:
  // The fonts the window took in lie in this test's home: later tests must not look for them.
  void TearDown() override {
    more.FcConfigAppFontClear(nullptr);
    gtk.pango_fc_font_map_config_changed(
        reinterpret_cast<PangoFcFontMap*>(gtk.pango_cairo_font_map_get_default()));
    FontWindowTest::TearDown();
  }
};

// The glyphs of the prompt preview no font in the window's reach has.
int unknown_glyphs_in_preview() {
  return more.pango_layout_get_unknown_glyphs_count(
      more.gtk_label_get_layout(as<GtkLabel>(window.prompt_preview)));
}

// Without collecting it, so that the window's own check still sees the child end.
bool has_exited(pid_t pid) {
  siginfo_t info = {};
  return waitid(P_PID, static_cast<id_t>(pid), &info, WEXITED | WNOHANG | WNOWAIT) == 0 &&
         info.si_pid == pid;
}

}  // namespace

TEST_F(FontReloadTest, ThePreviewUsesTheDownloadedFontAtOnce) {
  FontServer server(home() + "/requests.log", {});
  ASSERT_TRUE(server.running());
  setenv("FENNICK_FONT_URL", (server.origin() + "/fonts").c_str(), 1);
  store_value(row_index("terminal.style"), "powerline");
  // What the preview shows once the font is found: its glyphs are not in the window's fonts yet.
  window.detected_font = "MesloLGS NF";
  refresh_previews();
  window.detected_font = "";
  ASSERT_GT(unknown_glyphs_in_preview(), 0);

  GtkWidget* install = button_labelled("Install MesloLGS NF font\xE2\x80\xA6");
  click(install);
  const pid_t download = window.font_download;
  ASSERT_GT(download, 0);
  ASSERT_TRUE(run_main_loop_until([&] { return has_exited(download); }, kPatienceMs));
  EXPECT_FALSE(on_font_timer(nullptr));

  EXPECT_EQ(status_text(), "Font ready: MesloLGS NF");
  EXPECT_EQ(unknown_glyphs_in_preview(), 0);
  EXPECT_EQ(more.gtk_button_get_label(as<GtkButton>(install)),
            std::string("MesloLGS NF font installed"));
  EXPECT_FALSE(more.gtk_widget_get_sensitive(install));
}
