// The 4-wire, 3-wire and I2C front ends: the module's own byte stream, framed as
// each bus frames it, gives the same bytes, RAM and picture on all three; faults
// on the bus give one note each, or one summary per kind.
#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "QEL_LCD.h"
#include "bus_waveform.h"
#include "controller_feed.h"
#include "module_access.h"
#include "qel/pin_observer.h"
#include "wire_recorder.h"

namespace qel::emu::test {
namespace {

// What the module sends for start-up and two lines of text.
const std::vector<WireByte>& module_bytes() {
  static const std::vector<WireByte> bytes = [] {
    qel::test::fresh_module();
    qel::test::WireRecorder wire;
    {
      host::ScopedPinObserver scope(wire);
      QEL_LCD_Init();
      QEL_LCD_WriteString(reinterpret_cast<const QEL_C*>("3-wire and I2C"), QEL_LCD_LINE1);
      QEL_LCD_WriteValue(0xBEEF, 16, QEL_LCD_LINE6);
    }
    host::reset_pins();
    return wire.bytes();
  }();
  return bytes;
}

std::vector<WireByte> first(std::size_t n) { return {module_bytes().begin(), module_bytes().begin() + n}; }
std::vector<WireByte> after(std::size_t n) { return {module_bytes().begin() + n, module_bytes().end()}; }

Controller decode(Bus bus, const Waveform& wave) {
  ControllerOptions options;
  options.bus = bus;
  Controller controller = running_controller(options);
  wave.play(controller);
  controller.end_of_trace();
  return controller;
}

// The notes must be exactly these, each containing its part.
void expect_notes(const Controller& c, const std::vector<std::string>& parts, const char* name) {
  ASSERT_EQ(c.diagnostics().size(), parts.size())
      << name << (c.diagnostics().empty() ? "" : ": ") << (c.diagnostics().empty() ? "" : c.diagnostics()[0].message);
  for (std::size_t i = 0; i < parts.size(); ++i) {
    EXPECT_NE(c.diagnostics()[i].message.find(parts[i]), std::string::npos)
        << name << ": " << c.diagnostics()[i].message;
  }
}

struct SameStreamCase {
  const char* name;
  Bus bus;
  std::function<void(Waveform&)> build;  // casts to the bus's own wave
  std::vector<std::string> notes;
};

template <typename Wave>
std::function<void(Waveform&)> on(std::function<void(Wave&)> f) {
  return [f](Waveform& w) { f(static_cast<Wave&>(w)); };
}

const std::size_t kCut = 1100;  // inside the blanking of a line, after start-up

const std::vector<SameStreamCase> kSameStream = {
    {"3-wire, selected throughout",
     Bus::Spi3,
     on<Spi3Wave>([](Spi3Wave& w) {
       w.select(true);
       w.bytes(module_bytes());
       w.select(false);
     }),
     {}},
    {"3-wire, chip select around every transfer",
     Bus::Spi3,
     on<Spi3Wave>([](Spi3Wave& w) {
       for (const WireByte& b : module_bytes()) {
         w.select(true);
         w.bytes({b});
         w.select(false);
       }
     }),
     {}},
    {"3-wire, chip-select restart mid-transfer",
     Bus::Spi3,
     on<Spi3Wave>([](Spi3Wave& w) {
       w.bytes(first(kCut));
       w.bits(module_bytes()[kCut], 5);
       w.select(false);
       w.select(true);
       w.bytes(after(kCut));
     }),
     {"Chip select went inactive 5 bits into a 9-bit transfer"}},
    {"3-wire, data/command line ignored",
     Bus::Spi3,
     on<Spi3Wave>([](Spi3Wave& w) {
       for (const WireByte& b : module_bytes()) {
         w.set(Line::DataCommand, !b.is_data);
         w.bytes({b});
       }
     }),
     {}},
    {"I2C, Co = 0 runs", Bus::I2c, on<I2cWave>([](I2cWave& w) { w.runs(module_bytes()); }), {}},
    {"I2C, Co = 1 single bytes", Bus::I2c, on<I2cWave>([](I2cWave& w) { w.singles(module_bytes()); }), {}},
    {"I2C, repeated starts",
     Bus::I2c,
     on<I2cWave>([](I2cWave& w) { w.runs_with_repeated_starts(module_bytes()); }),
     {}},
    {"I2C at 0x3D", Bus::I2c, on<I2cWave>([](I2cWave& w) { w.runs(module_bytes(), 0x3D); }), {}},
    {"I2C after a bus scan",
     Bus::I2c,
     on<I2cWave>([](I2cWave& w) {
       w.scan({0x3C, 0x68});
       w.runs(module_bytes());
     }),
     {"110 transfers to other addresses (0x08, 0x09, 0x0A, 0x0B, 0x0C, 0x0D, 0x0E, 0x0F, 0x10, 0x11 and 100 more) were "
      "ignored."}},
    {"I2C beside other devices",
     Bus::I2c,
     on<I2cWave>([](I2cWave& w) {
       w.runs(first(kCut));
       w.other_write(0x50, 3);
       w.read(0x68, 2);
       w.other_write(0x50, 1);
       w.runs(after(kCut));
     }),
     {"3 transfers to other addresses (0x50, 0x68) were ignored."}},
    {"I2C with read requests to the controller",
     Bus::I2c,
     on<I2cWave>([](I2cWave& w) {
       w.runs(first(kCut));
       w.read(0x3C, 1);
       w.read(0x3D, 2);
       w.runs(after(kCut));
     }),
     {"2 read requests to the controller were not served"}},
};

// Every framing decodes to the module's bytes, RAM and picture, as 4-wire does.
TEST(BusFrontEnds, TheSameBytesGiveTheSameRamAndPictureOnEveryBus) {
  Spi4Wave spi4;
  spi4.bytes(module_bytes());
  const Controller reference = decode(Bus::Spi4, spi4);
  ASSERT_EQ(reference.bytes(), module_bytes());
  ASSERT_TRUE(reference.diagnostics().empty());

  for (const SameStreamCase& c : kSameStream) {
    std::unique_ptr<Waveform> wave;
    if (c.bus == Bus::Spi3) wave = std::make_unique<Spi3Wave>();
    if (c.bus == Bus::I2c) wave = std::make_unique<I2cWave>();
    c.build(*wave);
    const Controller controller = decode(c.bus, *wave);

    EXPECT_EQ(controller.bytes(), module_bytes()) << c.name;
    int ram_differences = 0;
    for (int page = 0; page < kPages; ++page) {
      for (int column = 0; column < kColumns; ++column)
        ram_differences += controller.ram(page, column) != reference.ram(page, column);
    }
    EXPECT_EQ(ram_differences, 0) << c.name;
    EXPECT_EQ(controller.picture(), reference.picture()) << c.name;
    expect_notes(controller, c.notes, c.name);
  }
}

struct FaultCase {
  const char* name;
  Bus bus;
  std::function<void(Waveform&)> build;
  std::vector<WireByte> bytes;
  std::vector<std::string> notes;
};

const std::vector<FaultCase> kFaults = {
    {"I2C stop inside a data byte",
     Bus::I2c,
     on<I2cWave>([](I2cWave& w) {
       w.start();
       w.address(0x3C, false);
       w.byte(0x40);
       w.byte(0x11);
       w.bits(0xFF, 3);
       w.stop();
       w.runs({dat(0x22)});
     }),
     {dat(0x11), dat(0x22)},
     {"A stop came 3 bits into a byte"}},
    {"I2C repeated start inside a command byte",
     Bus::I2c,
     on<I2cWave>([](I2cWave& w) {
       w.start();
       w.address(0x3C, false);
       w.byte(0x00);
       w.bits(0xAF, 5);
       w.runs_with_repeated_starts({cmd(0xA6)});
     }),
     {cmd(0xA6)},
     {"A repeated start came 5 bits into a byte"}},
    {"I2C bytes without control bytes",
     Bus::I2c,
     on<I2cWave>([](I2cWave& w) {
       for (int i = 0; i < 2; ++i) {
         w.start();
         w.address(0x3C, false);
         for (std::uint8_t b : {0xAE, 0xD5, 0x80, 0xA8}) w.byte(b);
         w.stop();
       }
     }),
     {cmd(0xD5), cmd(0xA8), cmd(0xD5), cmd(0xA8)},
     {"Control byte 0xAE has bits 5..0 set", "came 1 more time."}},
    {"I2C bytes nobody acknowledges",
     Bus::I2c,
     on<I2cWave>([](I2cWave& w) {
       w.start();
       w.address(0x3C, false, false);
       w.byte(0x40, false);
       w.byte(0x0F, false);
       w.stop();
     }),
     {dat(0x0F)},
     {"3 bytes for the controller were not acknowledged"}},
    {"I2C capture starting mid-transfer",
     Bus::I2c,
     on<I2cWave>([](I2cWave& w) {
       w.bits(0x00, 8);
       w.stop();
       w.runs({cmd(0xAF)});
     }),
     {cmd(0xAF)},
     {"clock pulses came outside any transfer"}},
    {"I2C reset inside a transfer",
     Bus::I2c,
     on<I2cWave>([](I2cWave& w) {
       w.start();
       w.address(0x3C, false);
       w.byte(0x00);
       w.byte(0xA5);
       w.set(Line::Reset, false);
       w.set(Line::Reset, true);
       w.byte(0xA7);
       w.stop();
       w.runs({cmd(0xAF)});
     }),
     {cmd(0xA5), cmd(0xAF)},
     {"Reset went low inside a transfer to the controller"}},
    {"I2C transfer while reset is low",
     Bus::I2c,
     on<I2cWave>([](I2cWave& w) {
       w.set(Line::Reset, false);
       w.runs({cmd(0xAF)});
       w.other_write(0x50, 1);
       w.set(Line::Reset, true);
       w.runs({cmd(0xA5)});
     }),
     {cmd(0xA5)},
     {"1 transfer to another address (0x50) was ignored.", "1 transfer to the controller came while reset was low"}},
    {"I2C written at both addresses",
     Bus::I2c,
     on<I2cWave>([](I2cWave& w) {
       w.runs({cmd(0xAF)}, 0x3C);
       w.runs({cmd(0xA6)}, 0x3D);
     }),
     {cmd(0xAF), cmd(0xA6)},
     {"both 0x3C and 0x3D"}},
    {"3-wire reset inside a transfer",
     Bus::Spi3,
     on<Spi3Wave>([](Spi3Wave& w) {
       w.bits(dat(0x55), 4);
       w.set(Line::Reset, false);
       w.set(Line::Reset, true);
       w.bytes({dat(0x66)});
     }),
     {dat(0x66)},
     {"Reset went low 4 bits into a 9-bit transfer"}},
    {"3-wire capture ending mid-transfer",
     Bus::Spi3,
     on<Spi3Wave>([](Spi3Wave& w) {
       w.bytes({cmd(0xAF)});
       w.bits(cmd(0xA5), 6);
     }),
     {cmd(0xAF)},
     {"The trace ends 6 bits into an unfinished 9-bit transfer."}},
};

// Bytes a fault loses are dropped, the others kept; each fault is one note.
TEST(BusFrontEnds, BusFaultsKeepTheGoodBytesAndAreNoted) {
  for (const FaultCase& c : kFaults) {
    std::unique_ptr<Waveform> wave;
    if (c.bus == Bus::Spi3) wave = std::make_unique<Spi3Wave>();
    if (c.bus == Bus::I2c) wave = std::make_unique<I2cWave>();
    c.build(*wave);
    const Controller controller = decode(c.bus, *wave);
    EXPECT_EQ(controller.bytes(), c.bytes) << c.name;
    expect_notes(controller, c.notes, c.name);
  }
}

struct BusTimingCase {
  const char* name;
  Bus bus;
  std::uint64_t step_ns;  // between line changes
  std::string note;       // empty: none
};

const std::vector<BusTimingCase> kBusTiming = {
    {"I2C at under 400 kHz", Bus::I2c, 1300, ""},
    {"I2C too fast", Bus::I2c, 1000, "Clock period of 2 µs is shorter than the 2500 ns"},
    {"3-wire at 10 MHz", Bus::Spi3, 50, ""},
    {"3-wire too fast", Bus::Spi3, 40, "Clock period of 80 ns is shorter than the 100 ns"},
};

// I2C is held to its 400 kHz clock, 3-wire to the serial clock's limits.
TEST(BusFrontEnds, TimedTracesAreCheckedAgainstTheBussClockLimit) {
  for (const BusTimingCase& c : kBusTiming) {
    std::unique_ptr<Waveform> wave;
    if (c.bus == Bus::Spi3) {
      auto spi3 = std::make_unique<Spi3Wave>();
      spi3->bytes(first(40));
      wave = std::move(spi3);
    } else {
      auto i2c = std::make_unique<I2cWave>();
      i2c->runs(first(40));
      wave = std::move(i2c);
    }
    ControllerOptions options;
    options.bus = c.bus;
    Controller controller = running_controller(options);
    wave->play_timed(controller, c.step_ns);
    controller.end_of_trace();
    EXPECT_EQ(controller.bytes(), first(40)) << c.name;
    if (c.note.empty()) {
      expect_notes(controller, {}, c.name);
    } else {
      ASSERT_FALSE(controller.diagnostics().empty()) << c.name;
      EXPECT_NE(controller.diagnostics()[0].message.find(c.note), std::string::npos)
          << c.name << ": " << controller.diagnostics()[0].message;
    }
  }
}

}  // namespace
}  // namespace qel::emu::test
