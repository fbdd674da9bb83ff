// What the findings add to a capture decode. A VCD of the module's start-up and
// screens of text (4-wire serial, and the same bytes on I2C, where the findings
// look at the I2C input's counts on every line change) is decoded from the file
// as qel-lcd-sim --decode does: the reader, the controller, the capture's
// figures and the notes; then the same with the findings listening too. The
// ratio of the two times is what the findings cost.
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "bus_waveform.h"
#include "emulator/controller.h"
#include "qel/pin_observer.h"
#include "run/capture_input.h"
#include "run/findings.h"
#include "run/note_printer.h"
#include "run/session.h"
#include "screens.h"

namespace {

namespace fs = std::filesystem;
using qel::emu::Bus;
using qel::emu::WireByte;

constexpr int kScreens = 40;

// Start-up once, then kScreens screens of eight full lines.
std::vector<WireByte> capture_bytes() {
  qel::emu::Controller controller;
  qel::emu::ControllerPins pins(controller);
  qel::host::ScopedPinObserver scope(pins);
  qel::bench::init_panel();
  for (int i = 0; i < kScreens; ++i) qel::bench::write_screen();
  return controller.bytes();
}

// The waveform as a VCD file, one change every `step_ns`; lines without a name
// are left out. Returns the number of changes.
std::size_t write_vcd(const fs::path& path, const qel::emu::test::Waveform& wave, const char* const names[5],
                      std::uint64_t step_ns) {
  std::ofstream out(path, std::ios::binary);
  out << "$timescale 1 ns $end\n$scope module board $end\n";
  for (int i = 0; i < 5; ++i) {
    if (names[i] != nullptr) out << "$var wire 1 " << char('!' + i) << ' ' << names[i] << " $end\n";
  }
  out << "$upscope $end\n$enddefinitions $end\n#0\n";
  for (int i = 0; i < 5; ++i) {
    if (names[i] != nullptr) out << (i == 3 ? '1' : '0') << char('!' + i) << '\n';
  }
  std::uint64_t t = 0;
  for (const auto& c : wave.changes()) {
    out << '#' << (t += step_ns) << '\n' << (c.level ? '1' : '0') << char('!' + static_cast<int>(c.line)) << '\n';
  }
  return wave.changes().size();
}

struct Capture {
  fs::path path;
  std::size_t changes = 0;
};

// The captures' folder, removed when the program ends.
struct ScratchFolder {
  fs::path path = fs::temp_directory_path() / ("qel_findings_bench_" + std::to_string(::getpid()));
  ~ScratchFolder() {
    std::error_code ec;
    fs::remove_all(path, ec);
  }
};

const Capture& capture(Bus bus) {
  static const std::vector<WireByte> bytes = capture_bytes();
  static const ScratchFolder scratch;
  const fs::path& dir = scratch.path;
  static Capture spi4, i2c;
  Capture& c = bus == Bus::I2c ? i2c : spi4;
  if (!c.path.empty()) return c;
  fs::create_directories(dir);
  if (bus == Bus::I2c) {
    static const char* const kNames[5] = {"SCL", "SDA", nullptr, nullptr, nullptr};
    qel::emu::test::I2cWave wave;
    wave.runs(bytes);
    c.path = dir / "i2c.vcd";
    c.changes = write_vcd(c.path, wave, kNames, 1500);
  } else {
    static const char* const kNames[5] = {"sclk", "sdin", "dc", nullptr, nullptr};
    qel::emu::test::Spi4Wave wave;
    wave.bytes(bytes);
    c.path = dir / "spi4.vcd";
    c.changes = write_vcd(c.path, wave, kNames, 150);
  }
  return c;
}

void decode(benchmark::State& state, Bus bus, bool findings) {
  const Capture& c = capture(bus);
  qel::run::Request request;
  request.decode_path = c.path.string();
  for (auto _ : state) {
    std::ostringstream err;
    qel::run::Fanout events;
    qel::run::CaptureStats stats;
    events.add(stats);
    qel::run::NotePrinter notes(err, qel::view::RunKind::Capture, request.decode_path);
    events.add(notes);
    qel::run::Findings found(qel::view::RunKind::Capture);
    if (findings) events.add(found);
    qel::run::Session session(events);
    qel::run::decode_capture(request, session, stats, nullptr, err);
    notes.print_kept();
    if (findings) benchmark::DoNotOptimize(found.conclude());
    benchmark::DoNotOptimize(session.controller().byte_count());
  }
  state.counters["line_changes"] = benchmark::Counter(
      static_cast<double>(state.iterations()) * static_cast<double>(c.changes), benchmark::Counter::kIsRate);
}

void BM_CaptureDecode_Spi4(benchmark::State& state) { decode(state, Bus::Spi4, false); }
void BM_CaptureDecode_Spi4_WithFindings(benchmark::State& state) { decode(state, Bus::Spi4, true); }
void BM_CaptureDecode_I2c(benchmark::State& state) { decode(state, Bus::I2c, false); }
void BM_CaptureDecode_I2c_WithFindings(benchmark::State& state) { decode(state, Bus::I2c, true); }

BENCHMARK(BM_CaptureDecode_Spi4)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_CaptureDecode_Spi4_WithFindings)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_CaptureDecode_I2c)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_CaptureDecode_I2c_WithFindings)->Unit(benchmark::kMillisecond);

}  // namespace
