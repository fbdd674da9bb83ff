// The panel test kit's cost per typical display test: a new panel, QEL_LCD_Init,
// eight lines written and eight read back. The goal is well under 1 ms, so a
// thousand such tests run in about a second.
#include <benchmark/benchmark.h>

#include <cstdio>

#include "QEL_LCD.h"
#include "qel_panel.h"

namespace {

void typical_display_test() {
  qel_panel_reset(nullptr);
  QEL_LCD_Init();
  for (QEL_U8 line = 0; line < 8; ++line) {
    QEL_LCD_WriteStringValue(reinterpret_cast<const QEL_C*>("Sensor value"), 1000U + line, 10, line);
  }
  char text[32];
  for (unsigned line = 0; line < 8; ++line) benchmark::DoNotOptimize(qel_panel_line_text(line, text, sizeof text));
}

void BM_KitTypicalTest(benchmark::State& state) {
  for (auto _ : state) typical_display_test();
  state.SetItemsProcessed(state.iterations());
  state.SetLabel("reset + init + 8 lines written + 8 read back");
}
BENCHMARK(BM_KitTypicalTest)->Unit(benchmark::kMicrosecond);

// The same test with a golden comparison at the end (reading and comparing a PNG).
void BM_KitTypicalTestWithGolden(benchmark::State& state) {
  const char* golden = "kit_bench_golden.png";
  typical_display_test();
  qel_panel_write_png(golden);
  for (auto _ : state) {
    typical_display_test();
    if (qel_panel_compare_png(golden, nullptr) != 0) state.SkipWithError(qel_panel_error());
  }
  std::remove(golden);
  state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_KitTypicalTestWithGolden)->Unit(benchmark::kMicrosecond);

}  // namespace
