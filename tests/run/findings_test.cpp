// Findings: for every id, a session that shows the fault and a near miss that
// must not; each case lists every finding the session gives, so a near miss
// that trips another check fails too.
#include "run/findings.h"

#include <gtest/gtest.h>

#include <string>
#include <string_view>
#include <vector>

#include "../emulator/controller_feed.h"
#include "bus_waveform.h"
#include "run/session.h"

namespace qel::run {
namespace {

using emu::Bus;
using emu::Line;
using emu::WireByte;
using emu::test::bytes_of;

struct Captured {
  std::vector<Finding> findings;
  // "charge-pump-off page-overrun", in the order they are given.
  std::string ids() const {
    std::string out;
    for (const Finding& f : findings) out += (out.empty() ? "" : " ") + std::string(f.name());
    return out;
  }
};

// Plays `wave` as a capture with a change every `step_ns`. The controller starts
// out of reset; `reset_line` says whether the capture carries the reset line.
Captured capture(const emu::test::Waveform& wave, Bus bus, std::uint64_t step_ns, bool reset_line,
                 emu::ControllerModel model = emu::ControllerModel::Ssd1306, emu::Glass glass = {}) {
  Findings findings(view::RunKind::Capture);
  Session session(findings);
  emu::ControllerOptions options;
  options.bus = bus;
  options.reset_released = true;
  options.keep_history = false;
  options.model = model;
  options.glass = glass;
  session.start(options, view::RunKind::Capture, "board.vcd", 0, reset_line);
  wave.play_timed(session.controller(), step_ns);
  session.finish();
  return Captured{findings.conclude()};
}

Captured spi4(std::string_view bytes, emu::ControllerModel model = emu::ControllerModel::Ssd1306,
              emu::Glass glass = {}) {
  emu::test::Spi4Wave wave;
  wave.bytes(bytes_of(bytes));
  return capture(wave, Bus::Spi4, 150, false, model, glass);  // a clock every controller of the family takes
}

// A start-up that gives no finding: charge pump, display on, and page 0 written
// whole from column 0; on the SH1106 (DC-DC on after reset) the glass's 128
// columns from RAM column 2.
#define GOOD "C 8D 14 AF B0 00 10 D 128*00 "
#define GOOD_SH1106 "C AF B0 02 10 D 128*00 "

constexpr auto kSh1106 = emu::ControllerModel::Sh1106;
constexpr auto kSsd1306 = emu::ControllerModel::Ssd1306;
const emu::Glass k128x32{128, 32, std::nullopt};
const emu::Glass k64x48{64, 48, 32};

struct BytesCase {
  const char* name;
  const char* bytes;
  const char* ids;  // every finding, in order; "" for none
  emu::ControllerModel model = emu::ControllerModel::Ssd1306;
  emu::Glass glass = {};
  std::uint64_t place = 0;  // the byte where the first finding shows, when not 0
  friend void PrintTo(const BytesCase& c, std::ostream* os) { *os << c.name; }
};

// clang-format off
const BytesCase kBytes[] = {
    {"CleanStartUp", GOOD, ""},
    {"NoDisplayOn", "C 8D 14 B0 00 10 D 128*00", "display-never-on"},
    {"DisplayOffAtTheEnd", GOOD "C AE", "display-never-on"},
    {"NoByteAtAll", "", "display-never-on columns-never-written"},
    {"NoChargePump", "C AF B0 00 10 D 128*00", "charge-pump-off"},
    {"ChargePumpTurnedOff", GOOD "C 8D 10", "charge-pump-off"},
    {"ChargePumpAfterDisplayOn", "C AF 8D 14 B0 00 10 D 128*00", ""},
    {"OneByteTooManyForThePage", "C 8D 14 AF B0 00 10 D 129*00", "page-overrun", kSsd1306, {}, 134},  // past the page
    {"ThePageFromColumn1", "C 8D 14 AF B0 00 10 D 00 C B0 01 10 D 127*00", ""},
    {"HorizontalRunOntoTheNextPage", "C 8D 14 AF 20 00 D 130*00", "page-overrun"},
    {"HorizontalRunOfTwoWholePages", "C 8D 14 AF 20 00 D 256*00", ""},
    {"ColumnZeroNeverWritten", "C 8D 14 AF B0 01 10 D 127*00", "columns-never-written"},
    {"NoDisplayData", "C 8D 14 AF", "columns-never-written"},
    {"PagesOf132Bytes", "C 8D 14 AF B0 00 10 D 132*00 C B1 00 10 D 132*00", "controller-mismatch page-overrun",
     kSsd1306, {}, 6},  // the first byte of the long run
    {"OnePageOf132Bytes", "C 8D 14 AF B0 00 10 D 132*00", "page-overrun"},
    {"RemapAfterWriting", GOOD "C A1", "remap-after-write", kSsd1306, {}, 134},  // the command
    {"RemapBeforeWriting", "C A1 " GOOD, ""},
    {"RemapThenAllWrittenAgain", GOOD "C A1 B0 00 10 D 128*00", ""},
    {"WriteWhileScrolling", GOOD "C 26 00 00 00 07 00 FF 2F B0 00 10 D 01", "write-during-scroll"},
    {"WriteAfterScrollStopped", GOOD "C 26 00 00 00 07 00 FF 2F 2E B0 00 10 D 01", ""},
    {"ContrastZero", GOOD "C 81 00", "contrast-zero", kSsd1306, {}, 135},  // the parameter completes the command
    {"ContrastOne", GOOD "C 81 01", ""},
    {"EntireDisplayOn", GOOD "C A5", "entire-display-on"},
    {"EntireDisplayOnThenOff", GOOD "C A5 A4", ""},
    {"Inverse", GOOD "C A7", "inverse"},
    {"InverseThenNormal", GOOD "C A7 A6", ""},
    {"MultiplexFor32Rows", GOOD "C A8 1F", "mux-mismatch"},
    {"MultiplexFor64Rows", GOOD "C A8 3F", ""},
    {"SequentialComPins", GOOD "C DA 02", "com-pins-mismatch"},
    {"AlternativeComPins", GOOD "C DA 12", ""},
    // The SH1106: its own power circuit, command set and glass offset.
    {"Sh1106CleanStartUp", GOOD_SH1106, "", kSh1106},
    {"Sh1106DcDcOff", "C AD 8A " GOOD_SH1106, "charge-pump-off", kSh1106},
    {"Sh1106DcDcOn", "C AD 8B " GOOD_SH1106, "", kSh1106},
    {"Sh1106AddressingMode", "C 20 02 " GOOD_SH1106, "not-in-command-set", kSh1106},
    {"Ssd1306AddressingMode", "C 20 02 " GOOD, ""},
    {"Sh1106WrittenFromColumn0", "C AF B0 00 10 D 128*00", "column-offset", kSh1106},
    {"Sh1106SSD1306StartUp", GOOD, "controller-mismatch column-offset not-in-command-set", kSh1106},
    {"Sh1106ChargePumpButGlassColumns", "C 8D 14 " GOOD_SH1106, "not-in-command-set", kSh1106},
    // Glasses other than 128 x 64: their rows and their first column.
    {"Glass128x32With64RowSetUp", GOOD, "mux-mismatch com-pins-mismatch", kSsd1306, k128x32},
    {"Glass128x32WithItsSetUp", "C A8 1F DA 02 " GOOD, "", kSsd1306, k128x32},
    {"Glass128x32SequentialOnly", "C A8 1F " GOOD, "com-pins-mismatch", kSsd1306, k128x32},
    {"Glass64x48WrittenFromColumn0", "C A8 2F 8D 14 AF B0 00 10 D 64*00", "column-offset", kSsd1306, k64x48},
    {"Glass64x48WrittenFromColumn32", "C A8 2F 8D 14 AF B0 00 12 D 64*00", "", kSsd1306, k64x48},
};
// clang-format on

class FindingsOfBytes : public ::testing::TestWithParam<BytesCase> {};

// Each finding names the byte where the fault shows.
TEST_P(FindingsOfBytes, AreExactlyTheExpectedOnes) {
  const Captured got = spi4(GetParam().bytes, GetParam().model, GetParam().glass);
  EXPECT_EQ(got.ids(), GetParam().ids);
  if (GetParam().place != 0) {
    ASSERT_FALSE(got.findings.empty());
    EXPECT_EQ(got.findings[0].place.byte_index, GetParam().place);
    EXPECT_FALSE(got.findings[0].place.end);
  }
}

INSTANTIATE_TEST_SUITE_P(Table, FindingsOfBytes, ::testing::ValuesIn(kBytes),
                         [](const auto& info) { return std::string(info.param.name); });

// The reset line and the serial clock's speed, on 4-wire serial; the SH1106
// needs 10 us of reset. (Each controller's clock limits are the emulator's
// tests'; a clock fault there is this finding.)
TEST(FindingsOfWires, AreExactlyTheExpectedOnes) {
  const struct {
    const char* name;
    std::uint64_t step_ns;  // between line changes: a bit's clock period is two or three steps
    bool reset_line;        // the capture carries it
    bool pulse;             // reset low for one step before the first byte
    const char* ids;
    emu::ControllerModel model = emu::ControllerModel::Ssd1306;
  } cases[] = {
      {"reset never pulsed", 100, true, false, "reset-missing"},
      {"reset pulse of 1 us", 1000, true, true, "reset-missing"},
      {"reset pulse of 5 us", 5000, true, true, ""},
      {"no reset line captured", 100, false, false, ""},
      {"clock period of 80 ns", 40, false, false, "clock-too-fast"},
      {"SH1106, reset pulse of 5 us", 5000, true, true, "reset-missing", kSh1106},
      {"SH1106, reset pulse of 10 us", 10000, true, true, "", kSh1106},
  };
  for (const auto& c : cases) {
    emu::test::Spi4Wave wave;
    if (c.pulse) {
      wave.set(Line::Reset, false);
      wave.set(Line::Reset, true);
    }
    wave.bytes(bytes_of(c.model == kSh1106 ? GOOD_SH1106 : GOOD));
    EXPECT_EQ(capture(wave, Bus::Spi4, c.step_ns, c.reset_line, c.model).ids(), c.ids) << c.name;
  }
}

// I2C: the good start-up sent to `device`, then more of the bus written out.
TEST(FindingsOfI2c, AreExactlyTheExpectedOnes) {
  const char* const kNotOn = "i2c-8bit-address display-never-on columns-never-written";
  // clang-format off
  const struct {
    std::uint8_t device;
    const char* more;       // I2cWave::script notation
    std::uint64_t step_ns;  // a bit's clock period is two or three steps
    const char* ids;
  } cases[] = {
      {0x78, "", 1500, kNotOn},  // the address in its 8-bit form
      {0x7A, "", 1500, kNotOn},
      {0x3C, "S A0 01 02 P", 1500, ""},  // another device on the bus
      {0x3C, "S 78 00 A6- P", 1500, "i2c-not-acknowledged"},
      {0x3C, "S 7A- P", 1500, ""},  // an unanswered bus scan
      {0x3C, "S 78 A6 P", 1500, "i2c-control-byte"},
      {0x3C, "S 78 80 A6 P", 1500, ""},  // a control byte before the command
      {0x3C, "", 1000, "clock-too-fast"},  // above 400 kHz
  };
  // clang-format on
  for (const auto& c : cases) {
    emu::test::I2cWave wave;
    wave.runs(bytes_of(GOOD), c.device);
    wave.script(c.more);
    EXPECT_EQ(capture(wave, Bus::I2c, c.step_ns, false).ids(), c.ids) << c.more << " at " << int{c.device};
  }
}

// The sentence says what was measured: the module's own fill, and a short reset.
TEST(FindingText, SentenceSaysWhatWasSeenAndLineHasFourFields) {
  const Captured fill = spi4("C 8D 14 AF B0 01 10 D 128*00");
  ASSERT_EQ(fill.ids(), "page-overrun columns-never-written");
  EXPECT_NE(fill.findings[0].sentence.find("128 bytes from column 1 of page 0, which leaves 127 columns"),
            std::string::npos)
      << fill.findings[0].sentence;
  EXPECT_NE(fill.findings[0].sentence.find("the last byte landed back at column 1"), std::string::npos);
  EXPECT_EQ(fill.findings[1].sentence.rfind("Column 0 is never written", 0), 0u) << fill.findings[1].sentence;

  emu::test::Spi4Wave wave;
  wave.set(Line::Reset, false);
  wave.set(Line::Reset, true);
  wave.bytes(bytes_of(GOOD));
  const Captured reset = capture(wave, Bus::Spi4, 1000, true);
  ASSERT_EQ(reset.ids(), "reset-missing");
  EXPECT_NE(reset.findings[0].sentence.find("lasted only 1 us, shorter than the 3 us"), std::string::npos);
  // The finding's line is four tab-separated fields.
  const struct {
    Place place;
    const char* where;
  } cases[] = {
      {Place{12, std::nullopt, "demo.qel:3:1", false}, "byte 12, demo.qel:3:1"},
      {Place{12, 3'000'060, "", false}, "byte 12, 3.000060 ms"},
      {Place{1066, std::nullopt, "", true}, "end (1066 bytes)"},
      {Place{1, 5'000, "", true}, "end (1 byte), 0.005000 ms"},
      {Place{0, std::nullopt, "a\tb.qel:1:1", false}, "byte 0, a b.qel:1:1"},
  };
  for (const auto& c : cases) {
    const Finding f{FindingId::Inverse, c.place, "Lit and dark pixels are swapped."};
    EXPECT_EQ(finding_line(f), std::string("inverse\twarning\t") + c.where + "\tLit and dark pixels are swapped.");
  }
}

}  // namespace
}  // namespace qel::run
