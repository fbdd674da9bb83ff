// The module's pins written as a VCD, read back and replayed into the controller
// emulator: same bytes and picture as the emulator fed directly, start levels and
// the reset pulse in nominal time, and the same again as a capture without reset.
#include <gtest/gtest.h>

#include <regex>
#include <sstream>
#include <string>

#include "emulator/controller.h"
#include "qel/pin_fanout.h"
#include "module_fixture.h"
#include "trace/capture_replay.h"
#include "trace/vcd_reader.h"
#include "trace/vcd_writer.h"

namespace qel::test {
namespace {

using emu::Line;
using trace::LineChange;

class VcdRoundTripTest : public ModuleTest {
 protected:
  // Runs a few calls into a directly fed controller and a VcdWriter; returns the VCD text.
  std::string record(std::uint64_t ns_per_write = trace::VcdWriter::kDefaultNsPerWrite) {
    std::ostringstream vcd;
    trace::VcdWriter writer(vcd, ns_per_write);
    emu::ControllerPins pins(direct_);
    PinFanout both;
    both.add(pins);
    both.add(writer);
    host::set_pin_observer(&both);
    QEL_LCD_Init();
    QEL_LCD_WriteString(text("Trace 1"), 0);
    QEL_LCD_WriteStringValue(text("T="), 25, 10, 5);
    writer.finish();
    host::set_pin_observer(&wire);
    return vcd.str();
  }

  static trace::CapturedTrace read(const std::string& vcd, const std::optional<trace::SignalMap>& map = {}) {
    std::istringstream in(vcd);
    return trace::read_vcd(in, "capture.vcd", map);
  }

  emu::Controller direct_;
};

// Both as written and renamed like a logic analyzer's channels, with the reset
// signal left unmapped (the controller then starts out of reset).
TEST_F(VcdRoundTripTest, ReplayGivesTheSameBytesAndPicture) {
  const std::string written = record();
  ASSERT_NE(direct_.picture(), emu::Picture{});
  std::string renamed = written;
  for (const auto& [from, to] : {std::pair{"sclk", "D0"}, {"sdin", "D1"}, {"dc", "D2"}, {"res_n", "D3"}}) {
    renamed =
        std::regex_replace(renamed, std::regex(std::string(" ") + from + " \\$end"), " " + std::string(to) + " $end");
  }
  const struct {
    const std::string& vcd;
    std::optional<trace::SignalMap> map;
    bool has_reset;
  } cases[] = {{written, std::nullopt, true}, {renamed, trace::parse_signal_map("sclk=D0,sdin=D1,dc=D2"), false}};
  for (const auto& c : cases) {
    const trace::CapturedTrace trace = read(c.vcd, c.map);
    EXPECT_EQ(trace.has(Line::Reset), c.has_reset);
    for (const bool reset_released : {false, true}) {
      emu::Controller replayed(emu::ControllerOptions{false, emu::ColumnWrap::Start, reset_released});
      trace::replay(trace, replayed);
      EXPECT_EQ(replayed.bytes(), direct_.bytes());
      EXPECT_EQ(replayed.picture(), direct_.picture());
      for (const auto& d : replayed.diagnostics()) ADD_FAILURE() << "byte " << d.byte_index << ": " << d.message;
    }
  }
}

// Opened pins start low at time 0 and the clock rises at once, so the trace starts
// with the clock high; reset is released 250 ms (plus the two pin writes before
// the delay) later. The first byte's select write leaves dc low, so its first
// clock-low edge comes two write times after the release.
TEST_F(VcdRoundTripTest, StartLevelsAndResetPulseInNominalTime) {
  const struct {
    std::uint64_t ns_per_write, reset_release_ns, first_clock_low_ns;
  } cases[] = {{100, 250'000'200, 250'000'400}, {1, 250'000'002, 250'000'004}};
  const std::optional<bool> low = false, high = true;
  for (const auto& c : cases) {
    SCOPED_TRACE(c.ns_per_write);
    fresh_module();
    const auto trace = read(record(c.ns_per_write));
    EXPECT_TRUE((trace.start.initial == std::array<std::optional<bool>, emu::kLineCount>{high, low, low, low, {}}));
    ASSERT_GE(trace.changes.size(), 2u);
    EXPECT_TRUE((trace.changes[0] == LineChange{c.reset_release_ns, Line::Reset, true}));
    EXPECT_TRUE((trace.changes[1] == LineChange{c.first_clock_low_ns, Line::Clock, false}));
  }
}

// A capture that starts mid-stream: clock idling high, dc and sdin already high,
// no reset line. Eight clock pulses then make one data byte 0xFF, not nine bits.
TEST(VcdReplay, CaptureStartsFromItsInitialLevels) {
  std::string vcd =
      "$var wire 1 ! sclk $end $var wire 1 \" sdin $end $var wire 1 # dc $end $enddefinitions $end\n#0 1! 1\" 1#\n";
  for (int t = 100; t <= 800; t += 100) vcd += "#" + std::to_string(t) + " 0!\n#" + std::to_string(t + 50) + " 1!\n";
  std::istringstream in(vcd);
  emu::Controller controller;
  trace::replay(trace::read_vcd(in, "capture.vcd"), controller);
  EXPECT_EQ(controller.bytes(), std::vector<WireByte>{dat(0xFF)});
  EXPECT_TRUE(controller.diagnostics().empty());
}

}  // namespace
}  // namespace qel::test
