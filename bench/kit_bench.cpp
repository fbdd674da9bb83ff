// The panel test kit's cost per typical display test: a new panel, QEL_LCD_Init,
// eight lines written and eight read back. The goal is under 0.5 ms, so a
// thousand such tests run in well under a second. Then its memory over a long
// test: one panel taking a million calls without a reset stays within its
// bounds (resident memory read from /proc/self/statm at each step).
#include <benchmark/benchmark.h>

#include <cstdio>
#include <fstream>

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

// Resident memory of the process in MB.
double resident_mb() {
  std::ifstream statm("/proc/self/statm");
  double pages = 0, resident = 0;
  statm >> pages >> resident;
  return resident * 4096.0 / (1024.0 * 1024.0);
}

// One panel, no reset, `state.range(0)` calls of a line write each; the counters
// are the resident memory after every quarter of the calls. With frames asked
// for (range 1), the report's frames are gathered too.
void BM_KitMemoryOverLongTest(benchmark::State& state) {
  const auto calls = static_cast<std::uint64_t>(state.range(0));
  for (auto _ : state) {
    qel_panel_options options = {};
    options.frames = static_cast<int>(state.range(1));
    qel_panel_reset(&options);
    QEL_LCD_Init();
    for (std::uint64_t i = 0; i < calls; ++i) {
      QEL_LCD_WriteValue(static_cast<QEL_U32>(i), 10, static_cast<QEL_U8>(i % 8));
      if ((i + 1) % (calls / 4) == 0)
        state.counters["MB_at_" + std::to_string((i + 1) * 4 / calls) + "q"] = resident_mb();
    }
    state.counters["notes"] = static_cast<double>(qel_panel_note_count());
  }
  qel_panel_close();
  state.SetItemsProcessed(static_cast<std::int64_t>(calls) * state.iterations());
  state.SetLabel("calls of QEL_LCD_WriteValue on one panel; MB_at_Nq: resident MB after N quarters");
}
BENCHMARK(BM_KitMemoryOverLongTest)->Args({1000000, 0})->Args({1000000, 1})->Iterations(1)->Unit(benchmark::kSecond);

}  // namespace
