// One refresh of the window's previews without GTK: the generated stylesheet text and the prompt
// preview markup, built from the settings store as the window does after every accepted change.
// Cases: the defaults; the powerline style with a customised path bar; a 267-character template
// (25 tokens and literal text) with a customised path bar, in the plain and in the powerline
// style. The two halves are also timed alone, to show which one dominates.
#include <benchmark/benchmark.h>

#include <string>

#include "bench/preview_cases.h"
#include "generate/stylesheet.h"
#include "gui/preview_markup.h"

namespace {

void Refresh(benchmark::State& state, PreviewCase which) {
  const std::string font = prepare_case(which);
  size_t bytes = 0;
  for (auto _ : state) {
    std::string css = generate_stylesheet();
    std::string markup = prompt_preview_markup(font);
    bytes = css.size() + markup.size();
    benchmark::DoNotOptimize(css.data());
    benchmark::DoNotOptimize(markup.data());
  }
  state.counters["css+markup_bytes"] = static_cast<double>(bytes);
}

void StylesheetOnly(benchmark::State& state, PreviewCase which) {
  prepare_case(which);
  for (auto _ : state) {
    std::string css = generate_stylesheet();
    benchmark::DoNotOptimize(css.data());
  }
}

void MarkupOnly(benchmark::State& state, PreviewCase which) {
  const std::string font = prepare_case(which);
  for (auto _ : state) {
    std::string markup = prompt_preview_markup(font);
    benchmark::DoNotOptimize(markup.data());
  }
}

// What every lookup of the previews costs: one get_value of a terminal setting.
void GetValue(benchmark::State& state) {
  prepare_case(PreviewCase::Defaults);
  for (auto _ : state) {
    std::string value = get_value("terminal", "color_sym");
    benchmark::DoNotOptimize(value.data());
  }
}

}  // namespace

BENCHMARK_CAPTURE(Refresh, defaults, PreviewCase::Defaults);
BENCHMARK_CAPTURE(Refresh, powerline, PreviewCase::Powerline);
BENCHMARK_CAPTURE(Refresh, long_template_plain, PreviewCase::LongPlain);
BENCHMARK_CAPTURE(Refresh, long_template_powerline, PreviewCase::LongPowerline);
BENCHMARK_CAPTURE(StylesheetOnly, defaults, PreviewCase::Defaults);
BENCHMARK_CAPTURE(StylesheetOnly, customised_path_bar, PreviewCase::Powerline);
BENCHMARK_CAPTURE(MarkupOnly, defaults, PreviewCase::Defaults);
BENCHMARK_CAPTURE(MarkupOnly, powerline, PreviewCase::Powerline);
BENCHMARK_CAPTURE(MarkupOnly, long_template_plain, PreviewCase::LongPlain);
BENCHMARK_CAPTURE(MarkupOnly, long_template_powerline, PreviewCase::LongPowerline);
BENCHMARK(GetValue);

BENCHMARK_MAIN();
