// The GTK side of a preview refresh, in fennick's real settings window (built by the window's
// own code, shown on the X display of $DISPLAY). Run under a private Xvfb by preview_refresh.sh.
//
// RefreshPreviews/CHANGE: one setting changed through set_setting, then refresh_previews (what
//   the window does on every accepted change), the change taking turns between two values:
//   terminal_change (terminal.bold: the prompt markup changes, the stylesheet does not) and
//   path_bar_change (pathbar.border_width: the stylesheet changes, the markup does not).
// CssProviderLoad, LabelSetMarkup: each GTK call of the refresh alone, with the same text.
// Frame/WHAT/page:N: the CPU time of the process for WHAT and the frame that follows it (restyle,
//   layout, drawing of the window; waiting for the frame clock is not work, and the X server's
//   drawing is not counted), page 0 (Path bar) or 1 (Terminal) shown. WHAT: nothing (the frame
//   alone), the two changes above, the stylesheet reloaded with the same text, the markup set
//   again, and preview_only_provider: the stylesheet loaded into a provider attached only to the
//   path-bar preview's widgets instead of the screen (a trial of another design).
#include <benchmark/benchmark.h>
#include <gtk/gtk.h>

#include <string>

#include "bench/preview_cases.h"
#include "generate/stylesheet.h"
#include "gui/preview_markup.h"
#include "gui/previews.h"
#include "gui/settings_window.h"
#include "gui/window_state.h"

namespace {

enum class Before {
  Nothing,
  TerminalChange,
  PathBarChange,
  StylesheetReload,
  MarkupSet,
  PreviewOnlyProvider
};

GtkNotebook* notebook = nullptr;
bool painted = false;
int turn = 0;

void on_after_paint(GdkFrameClock*, gpointer) {
  painted = true;
}

// Runs the main loop until the window has painted a frame (at most 2 s).
void run_one_frame() {
  painted = false;
  gtk_widget_queue_draw(window.main_window);
  const gint64 deadline = g_get_monotonic_time() + 2 * G_USEC_PER_SEC;
  while (!painted && g_get_monotonic_time() < deadline)
    g_main_context_iteration(nullptr, TRUE);
}

void settle() {
  for (int i = 0; i < 3; ++i)
    run_one_frame();
}

void set_page(int page) {
  gtk_notebook_set_current_page(notebook, page);
  settle();
}

// A change of one setting, to the other of two values at every call.
void change(Before what) {
  ++turn;
  if (what == Before::TerminalChange) set_or_die("terminal.bold", turn % 2 ? "false" : "true");
  if (what == Before::PathBarChange) set_or_die("pathbar.border_width", turn % 2 ? "3" : "2");
}

// A trial of another design: a provider attached to the path-bar preview's own widgets (the box,
// its buttons and their labels) instead of the screen, so that a reload restyles only them.
GtkCssProvider* preview_only_stylesheet() {
  static GtkCssProvider* provider = nullptr;
  if (provider) return provider;
  provider = gtk_css_provider_new();
  auto attach = [](GtkWidget* widget) {
    gtk_style_context_add_provider(gtk_widget_get_style_context(widget),
                                   GTK_STYLE_PROVIDER(provider), GTK_STYLE_PROVIDER_PRIORITY_USER);
  };
  attach(window.path_bar_preview);
  GList* buttons = gtk_container_get_children(GTK_CONTAINER(window.path_bar_preview));
  for (GList* item = buttons; item; item = item->next) {
    attach(GTK_WIDGET(item->data));
    attach(gtk_bin_get_child(GTK_BIN(item->data)));
  }
  g_list_free(buttons);
  return provider;
}

void RefreshPreviews(benchmark::State& state, Before what) {
  window.detected_font = prepare_case(PreviewCase::Powerline);
  set_page(what == Before::TerminalChange ? 1 : 0);
  for (auto _ : state) {
    change(what);
    refresh_previews();
  }
  settle();
}

void CssProviderLoad(benchmark::State& state, PreviewCase which) {
  prepare_case(which);
  set_page(0);
  const std::string css = generate_stylesheet();
  for (auto _ : state)
    gtk_css_provider_load_from_data(window.page_stylesheet, css.data(),
                                    static_cast<gssize>(css.size()), nullptr);
  settle();
}

void LabelSetMarkup(benchmark::State& state, PreviewCase which) {
  const std::string font = prepare_case(which);
  set_page(1);
  const std::string markup = prompt_preview_markup(font);
  for (auto _ : state)
    gtk_label_set_markup(GTK_LABEL(window.prompt_preview), markup.c_str());
  settle();
}

void Frame(benchmark::State& state, Before what) {
  window.detected_font = prepare_case(PreviewCase::Powerline);
  set_page(static_cast<int>(state.range(0)));
  const std::string css = generate_stylesheet();
  const std::string markup = prompt_preview_markup(window.detected_font);
  for (auto _ : state) {
    switch (what) {
      case Before::Nothing:
        break;
      case Before::TerminalChange:
      case Before::PathBarChange:
        change(what);
        refresh_previews();
        break;
      case Before::StylesheetReload:
        gtk_css_provider_load_from_data(window.page_stylesheet, css.data(),
                                        static_cast<gssize>(css.size()), nullptr);
        break;
      case Before::MarkupSet:
        gtk_label_set_markup(GTK_LABEL(window.prompt_preview), markup.c_str());
        break;
      case Before::PreviewOnlyProvider:
        change(Before::PathBarChange);
        {
          const std::string changed = generate_stylesheet();
          gtk_css_provider_load_from_data(preview_only_stylesheet(), changed.data(),
                                          static_cast<gssize>(changed.size()), nullptr);
        }
        break;
    }
    run_one_frame();
  }
  if (!painted) state.SkipWithError("no frame was painted");
}

}  // namespace

BENCHMARK_CAPTURE(RefreshPreviews, terminal_change, Before::TerminalChange);
BENCHMARK_CAPTURE(RefreshPreviews, path_bar_change, Before::PathBarChange);
BENCHMARK_CAPTURE(CssProviderLoad, defaults, PreviewCase::Defaults);
BENCHMARK_CAPTURE(CssProviderLoad, customised_path_bar, PreviewCase::Powerline);
BENCHMARK_CAPTURE(LabelSetMarkup, defaults, PreviewCase::Defaults);
BENCHMARK_CAPTURE(LabelSetMarkup, long_template_powerline, PreviewCase::LongPowerline);
#define FRAME(name, what, page)        \
  BENCHMARK_CAPTURE(Frame, name, what) \
      ->ArgName("page")                \
      ->Arg(page)                      \
      ->MeasureProcessCPUTime()        \
      ->Iterations(60)
FRAME(nothing, Before::Nothing, 0);
FRAME(nothing, Before::Nothing, 1);
FRAME(terminal_change, Before::TerminalChange, 1);
FRAME(path_bar_change, Before::PathBarChange, 0);
FRAME(stylesheet_reload_same_text, Before::StylesheetReload, 0);
FRAME(markup_set_same_text, Before::MarkupSet, 1);
FRAME(preview_only_provider_path_bar_change, Before::PreviewOnlyProvider, 0);

int main(int argc, char** argv) {
  benchmark::Initialize(&argc, argv);
  prepare_case(PreviewCase::Defaults);
  if (!open_settings_window()) return 3;
  GtkWidget* box = gtk_bin_get_child(GTK_BIN(window.main_window));
  GList* children = gtk_container_get_children(GTK_CONTAINER(box));
  notebook = GTK_NOTEBOOK(children->data);
  g_list_free(children);
  gtk_widget_show_all(window.main_window);
  GdkFrameClock* clock = gtk_widget_get_frame_clock(window.main_window);
  g_signal_connect(clock, "after-paint", G_CALLBACK(on_after_paint), nullptr);
  settle();
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
