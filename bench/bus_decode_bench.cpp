// Line changes per second through each of the controller's front ends: the
// bytes of start-up and a full screen, framed as a 4-wire, 3-wire or I2C master
// sends them, played into the emulator without times.
#include <benchmark/benchmark.h>

#include <vector>

#include "bus_waveform.h"
#include "emulator/controller.h"
#include "qel/pin_observer.h"
#include "screens.h"

namespace {

using qel::emu::Bus;
using qel::emu::WireByte;

const std::vector<WireByte>& screen_bytes() {
  static const std::vector<WireByte> bytes = [] {
    qel::emu::Controller controller;
    qel::emu::ControllerPins pins(controller);
    qel::host::ScopedPinObserver scope(pins);
    qel::bench::init_panel();
    qel::bench::write_screen();
    return controller.bytes();
  }();
  return bytes;
}

void decode(benchmark::State& state, Bus bus, const qel::emu::test::Waveform& wave) {
  qel::emu::ControllerOptions options;
  options.bus = bus;
  options.reset_released = true;
  options.keep_history = false;
  for (auto _ : state) {
    qel::emu::Controller controller(options);
    wave.play(controller);
    benchmark::DoNotOptimize(controller.byte_count());
  }
  const auto runs = static_cast<double>(state.iterations());
  state.counters["line_changes"] =
      benchmark::Counter(runs * static_cast<double>(wave.changes().size()), benchmark::Counter::kIsRate);
  state.counters["bytes"] =
      benchmark::Counter(runs * static_cast<double>(screen_bytes().size()), benchmark::Counter::kIsRate);
}

void BM_Screen_Decode_Spi4(benchmark::State& state) {
  qel::emu::test::Spi4Wave wave;
  wave.bytes(screen_bytes());
  decode(state, Bus::Spi4, wave);
}

void BM_Screen_Decode_Spi3(benchmark::State& state) {
  qel::emu::test::Spi3Wave wave;
  wave.select(true);
  wave.bytes(screen_bytes());
  decode(state, Bus::Spi3, wave);
}

void BM_Screen_Decode_I2c(benchmark::State& state) {
  qel::emu::test::I2cWave wave;
  wave.runs(screen_bytes());
  decode(state, Bus::I2c, wave);
}

BENCHMARK(BM_Screen_Decode_Spi4);
BENCHMARK(BM_Screen_Decode_Spi3);
BENCHMARK(BM_Screen_Decode_I2c);

}  // namespace
