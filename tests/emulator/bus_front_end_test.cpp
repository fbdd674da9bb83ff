// The 4-wire, 3-wire and I2C front ends: the module's own byte stream, framed as
// each bus frames it, gives the same bytes, RAM and picture on all three; faults
// on the bus give one note each, or one summary per kind.
#include <gtest/gtest.h>

#include <cstdio>
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

Controller decode(Bus bus, const Waveform& wave) {
  ControllerOptions options;
  options.bus = bus;
  Controller controller = running_controller(options);
  wave.play(controller);
  controller.end_of_trace();
  return controller;
}

const std::size_t kCut = 1100;  // inside the blanking of a line, after start-up

enum class Framing { Spi3Selected, Spi3SelectEach, Spi3Restart, I2cRuns, I2cSingles, I2cRepeated, I2cAt3D };

struct SameStreamCase {
  const char* name;
  Framing framing;
  std::string interlude;  // I2C traffic between the first kCut bytes and the rest
  std::vector<std::string> notes;
};

// Every address from 0x08 to 0x77 probed (address, write, stop); only 0x3C and 0x68 answer.
const std::string kScan = [] {
  std::string script;
  char probe[16];
  for (int a = 0x08; a <= 0x77; ++a) {
    std::snprintf(probe, sizeof probe, "S %02X%s P ", a << 1, a == 0x3C || a == 0x68 ? "" : "-");
    script += probe;
  }
  return script;
}();

// clang-format off
const std::vector<SameStreamCase> kSameStream = {
    {"3-wire, selected throughout", Framing::Spi3Selected, "", {}},
    {"3-wire, chip select around every transfer", Framing::Spi3SelectEach, "", {}},
    {"3-wire, chip-select restart mid-transfer", Framing::Spi3Restart, "", {"Chip select went inactive 5 bits into a 9-bit transfer"}},
    {"I2C, Co = 0 runs", Framing::I2cRuns, "", {}},
    {"I2C, Co = 1 single bytes", Framing::I2cSingles, "", {}},
    {"I2C, repeated starts", Framing::I2cRepeated, "", {}},
    {"I2C at 0x3D", Framing::I2cAt3D, "", {}},
    {"I2C with a bus scan", Framing::I2cRuns, kScan,
     {"110 transfers to other addresses (0x08, 0x09, 0x0A, 0x0B, 0x0C, 0x0D, 0x0E, 0x0F, 0x10, 0x11 and 100 more) were ignored."}},
    {"I2C beside other devices", Framing::I2cSingles, "S A0 01 02 P S D1 FF FF- P S A0 03 P",
     {"3 transfers to other addresses (0x50, 0x68) were ignored."}},
    {"I2C with read requests to the controller", Framing::I2cRepeated, "S 79 FF- P S 7B FF FF- P",
     {"2 read requests to the controller were not served"}},
};
// clang-format on

Controller decode_framed(const SameStreamCase& c) {
  const std::vector<WireByte>& all = module_bytes();
  const std::vector<WireByte> head(all.begin(), all.begin() + kCut), tail(all.begin() + kCut, all.end());
  if (c.framing == Framing::Spi3Selected || c.framing == Framing::Spi3SelectEach || c.framing == Framing::Spi3Restart) {
    Spi3Wave w;
    w.select(true);
    if (c.framing == Framing::Spi3SelectEach) {
      for (const WireByte& b : all) {
        w.bytes({b});
        w.select(false);
        w.select(true);
      }
    } else if (c.framing == Framing::Spi3Restart) {
      w.bytes(head);
      w.bits(tail[0], 5);
      w.select(false);
      w.select(true);
      w.bytes(tail);
    } else {
      w.bytes(all);
    }
    w.select(false);
    return decode(Bus::Spi3, w);
  }
  I2cWave w;
  const auto frame = [&](const std::vector<WireByte>& part) {
    if (c.framing == Framing::I2cSingles) return w.singles(part);
    w.runs(part, c.framing == Framing::I2cAt3D ? 0x3D : 0x3C, c.framing == Framing::I2cRepeated);
  };
  frame(head);
  w.script(c.interlude);
  frame(tail);
  return decode(Bus::I2c, w);
}

// Every framing decodes to the module's bytes, RAM and picture, as 4-wire does.
TEST(BusFrontEnds, TheSameBytesGiveTheSameRamAndPictureOnEveryBus) {
  Spi4Wave spi4;
  spi4.bytes(module_bytes());
  const Controller reference = decode(Bus::Spi4, spi4);
  ASSERT_EQ(reference.bytes(), module_bytes());
  ASSERT_TRUE(reference.diagnostics().empty());

  for (const SameStreamCase& c : kSameStream) {
    const Controller controller = decode_framed(c);
    EXPECT_EQ(controller.bytes(), module_bytes()) << c.name;
    int ram_differences = 0;
    for (int page = 0; page < kPages; ++page) {
      for (int column = 0; column < kColumns; ++column) {
        ram_differences += controller.ram(page, column) != reference.ram(page, column);
      }
    }
    EXPECT_EQ(ram_differences, 0) << c.name;
    EXPECT_EQ(controller.picture(), reference.picture()) << c.name;
    expect_notes(controller, c.notes, c.name);
  }
}

struct FaultCase {
  const char* name;
  const char* bus;    // I2C written out; address byte 78 is 0x3C, write
  const char* bytes;  // the bytes kept, as bytes_of reads them
  std::vector<std::string> notes;
};

// clang-format off
const std::vector<FaultCase> kFaults = {
    {"stop inside a data byte", "S 78 40 11 FF/3 P S 78 40 22 P", "D 11 22", {"A stop came 3 bits into a byte"}},
    {"repeated start in a command", "S 78 00 AF/5 S 78 00 A6 P", "C A6", {"A repeated start came 5 bits into a byte"}},
    {"bytes without control bytes", "S 78 AE D5 80 A8 P S 78 AE D5 80 A8 P", "C D5 A8 D5 A8",
     {"Control byte 0xAE has bits 5..0 set", "came 1 more time."}},
    {"bytes nobody acknowledges", "S 78- 40- 0F- P", "D 0F", {"3 bytes for the controller were not acknowledged"}},
    {"probe of 0x3D that nobody answers", "S 7A- P S 78 00 AF P", "C AF", {}},
    {"capture starting mid-transfer", "00/7 01 P S 78 00 AF P", "C AF", {"clock pulses came outside any transfer"}},
    {"reset inside a transfer", "S 78 00 A5 R0 R1 A7 P S 78 00 AF P", "C A5 AF", {"Reset went low inside a transfer"}},
    {"transfer while reset is low", "R0 S 78 00 AF P S A0 A5 P R1 S 78 00 A5 P", "C A5",
     {"1 transfer to another address (0x50) was ignored.", "1 transfer to the controller came while reset was low"}},
    {"written at both addresses", "S 78 00 AF P S 7A 00 A6 P", "C AF A6", {"both 0x3C and 0x3D"}},
};
// clang-format on

// Bytes an I2C fault loses are dropped, the others kept; each fault is one note.
// A 3-wire capture cut short names the unfinished 9-bit transfer.
TEST(BusFrontEnds, FaultsKeepTheGoodBytesAndAreNoted) {
  for (const FaultCase& c : kFaults) {
    I2cWave wave;
    wave.script(c.bus);
    const Controller controller = decode(Bus::I2c, wave);
    EXPECT_EQ(controller.bytes(), bytes_of(c.bytes)) << c.name;
    expect_notes(controller, c.notes, c.name);
  }
  // A 3-wire capture cut short names the unfinished 9-bit transfer.
  Spi3Wave wave;
  wave.bytes({cmd(0xAF)});
  wave.bits(cmd(0xA5), 6);
  const Controller controller = decode(Bus::Spi3, wave);
  EXPECT_EQ(controller.bytes(), std::vector<WireByte>{cmd(0xAF)});
  expect_notes(controller, {"The trace ends 6 bits into an unfinished 9-bit transfer."}, "3-wire");
}

// I2C is held to its 400 kHz clock, 3-wire to the serial clock's limits: one
// note, then a count of the same fault.
TEST(BusFrontEnds, TimedTracesAreHeldToTheBusClockLimit) {
  // clang-format off
  const struct { const char* name; Bus bus; std::uint64_t step_ns; std::vector<std::string> notes; } cases[] = {
      {"I2C at 400 kHz", Bus::I2c, 1250, {}},
      {"I2C too fast", Bus::I2c, 1000, {"Clock period of 2 us is shorter than the 2500 ns", "more times"}},
      {"3-wire too fast", Bus::Spi3, 40, {"Clock period of 80 ns is shorter than the 100 ns", "more times"}},
  };
  // clang-format on
  for (const auto& c : cases) {
    ControllerOptions options;
    options.bus = c.bus;
    Controller controller = running_controller(options);
    I2cWave i2c;
    Spi3Wave spi3;
    i2c.runs(first(40));
    spi3.bytes(first(40));
    c.bus == Bus::I2c ? i2c.play_timed(controller, c.step_ns) : spi3.play_timed(controller, c.step_ns);
    controller.end_of_trace();
    EXPECT_EQ(controller.bytes(), first(40)) << c.name;
    expect_notes(controller, c.notes, c.name);
  }
}

// A coarse analyzer records an SDA change in the sample of the SCL edge beside
// it, listed before or after it by channel order; the sample is taken as one.
TEST(BusFrontEnds, I2cChangesOfOneSampleAreTakenTogether) {
  I2cWave wave;
  wave.runs(first(40));
  const std::vector<Change>& changes = wave.changes();
  const auto is = [&](std::size_t i, Line line, int level) {
    return i < changes.size() && changes[i].line == line && (level < 0 || changes[i].level == (level == 1));
  };
  for (const bool sda_listed_first : {true, false}) {
    ControllerOptions options;
    options.bus = Bus::I2c;
    Controller controller = running_controller(options);
    std::uint64_t t = 0;
    for (std::size_t i = 0; i < changes.size(); ++i, t += 2000) {
      // SCL falls, then SDA changes; or SDA changes, then SCL rises.
      const bool pair = sda_listed_first ? is(i, Line::Clock, 0) && is(i + 1, Line::Data, -1)
                                         : is(i, Line::Data, -1) && is(i + 1, Line::Clock, 1);
      if (pair) {
        controller.set_line(changes[i + 1].line, changes[i + 1].level, t);
        controller.set_line(changes[i].line, changes[i].level, t);
        ++i;
      } else {
        controller.set_line(changes[i].line, changes[i].level, t);
      }
    }
    controller.end_of_trace();
    EXPECT_EQ(controller.bytes(), first(40)) << "SDA listed first: " << sda_listed_first;
    expect_notes(controller, {}, sda_listed_first ? "SDA listed first" : "SCL listed first");
  }
}

}  // namespace
}  // namespace qel::emu::test
