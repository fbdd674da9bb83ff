// Pin writes per second through the module and the host pin stand-in, into the
// controller emulator or into an observer that only counts, for start-up and for
// a full screen of text.
#include <benchmark/benchmark.h>

#include <cstdint>
#include <memory>

#include "emulator/controller.h"
#include "qel/pin_observer.h"
#include "screens.h"

namespace {

class CountingObserver : public qel::PinObserver {
 public:
  void on_open(std::uint8_t) override {}
  void on_write(std::uint8_t, std::uint8_t) override { ++writes; }
  void on_delay(std::uint32_t) override {}
  std::uint64_t writes = 0;
};

// Pin writes one run of `work` makes (the pins are opened first, once per process).
std::uint64_t writes_per_run(void (*work)()) {
  CountingObserver counter;
  qel::host::ScopedPinObserver scope(counter);
  qel::bench::init_panel();
  counter.writes = 0;
  work();
  return counter.writes;
}

void report(benchmark::State& state, std::uint64_t writes_per_iteration) {
  state.counters["pin_writes"] =
      benchmark::Counter(static_cast<double>(writes_per_iteration * state.iterations()), benchmark::Counter::kIsRate);
}

void emulator(benchmark::State& state, void (*work)()) {
  const std::uint64_t per_run = writes_per_run(work);
  auto controller = std::make_unique<qel::emu::Controller>();
  auto pins = std::make_unique<qel::emu::ControllerPins>(*controller);
  qel::host::set_pin_observer(pins.get());
  qel::bench::init_panel();  // out of reset, as the module leaves it
  std::uint64_t runs = 0;
  for (auto _ : state) {
    work();
    if (++runs % 4096 == 0) {  // bound the controller's byte log
      state.PauseTiming();
      qel::host::set_pin_observer(nullptr);
      controller = std::make_unique<qel::emu::Controller>();
      pins = std::make_unique<qel::emu::ControllerPins>(*controller);
      qel::host::set_pin_observer(pins.get());
      qel::bench::init_panel();
      state.ResumeTiming();
    }
  }
  benchmark::DoNotOptimize(controller->bytes().size());
  qel::host::set_pin_observer(nullptr);
  report(state, per_run);
}

void counting(benchmark::State& state, void (*work)()) {
  const std::uint64_t per_run = writes_per_run(work);
  CountingObserver counter;
  qel::host::ScopedPinObserver scope(counter);
  for (auto _ : state) work();
  benchmark::DoNotOptimize(counter.writes);
  report(state, per_run);
}

void BM_Init_Emulator(benchmark::State& s) { emulator(s, qel::bench::init_panel); }
void BM_Init_CountingObserver(benchmark::State& s) { counting(s, qel::bench::init_panel); }
void BM_Screen_Emulator(benchmark::State& s) { emulator(s, qel::bench::write_screen); }
void BM_Screen_CountingObserver(benchmark::State& s) { counting(s, qel::bench::write_screen); }

BENCHMARK(BM_Init_Emulator);
BENCHMARK(BM_Init_CountingObserver);
BENCHMARK(BM_Screen_Emulator);
BENCHMARK(BM_Screen_CountingObserver);

}  // namespace
