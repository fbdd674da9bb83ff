// VCD read speed in bytes per second, on a trace of start-up and a full screen
// recorded by the VCD writer.
#include <benchmark/benchmark.h>

#include <sstream>
#include <string>

#include "qel/pin_observer.h"
#include "screens.h"
#include "trace/vcd_reader.h"
#include "trace/vcd_writer.h"

namespace {

std::string recorded_trace() {
  std::ostringstream out;
  qel::trace::VcdWriter writer(out);
  qel::host::ScopedPinObserver scope(writer);
  qel::bench::init_panel();
  for (int i = 0; i < 4; ++i) qel::bench::write_screen();
  writer.finish();
  return out.str();
}

void BM_VcdRead(benchmark::State& state) {
  const std::string text = recorded_trace();
  for (auto _ : state) {
    std::istringstream in(text);
    const qel::trace::VcdTrace trace = qel::trace::read_vcd(in, "bench.vcd");
    benchmark::DoNotOptimize(trace.changes.data());
  }
  state.SetBytesProcessed(static_cast<std::int64_t>(text.size()) * state.iterations());
  state.counters["file_bytes"] = static_cast<double>(text.size());
}

BENCHMARK(BM_VcdRead)->Unit(benchmark::kMillisecond);

}  // namespace
