// VCD read speed in bytes per second, on a trace of start-up and a full screen
// recorded by the VCD writer, streamed into a sink that only counts.
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

class CountingSink : public qel::trace::LineSink {
 public:
  void begin(const qel::trace::CaptureStart&) override {}
  void change(const qel::trace::LineChange&) override { ++changes; }
  void note(const std::string&) override {}
  void end() override {}
  std::uint64_t changes = 0;
};

void BM_VcdRead(benchmark::State& state) {
  const std::string text = recorded_trace();
  for (auto _ : state) {
    std::istringstream in(text);
    CountingSink sink;
    qel::trace::read_vcd(in, "bench.vcd", std::nullopt, sink);
    benchmark::DoNotOptimize(sink.changes);
  }
  state.SetBytesProcessed(static_cast<std::int64_t>(text.size()) * state.iterations());
  state.counters["file_bytes"] = static_cast<double>(text.size());
}

BENCHMARK(BM_VcdRead)->Unit(benchmark::kMillisecond);

}  // namespace
