// End to end: the module's pins recorded as a VCD, read back and replayed into
// the controller emulator, give the same bytes and picture as the emulator fed
// directly; so does a capture with other signal names and no reset line.
#include "vcd_replay.h"

#include <gtest/gtest.h>

#include <regex>
#include <sstream>
#include <string>

#include "controller.h"
#include "module_fixture.h"
#include "pin_fanout.h"
#include "vcd_writer.h"

namespace qel::test {
namespace {

class VcdReplayTest : public ModuleTest {
 protected:
  // Runs a few module calls into a directly fed controller and a VcdWriter.
  void SetUp() override {
    ModuleTest::SetUp();
    sim::VcdWriter writer(vcd_, 100);
    sim::ControllerPins pins(direct_);
    sim::PinFanout both;
    both.add(pins);
    both.add(writer);
    host::set_pin_observer(&both);
    QEL_LCD_Init();
    QEL_LCD_WriteString(text("Trace 1"), 0);
    QEL_LCD_WriteStringValue(text("T="), 25, 10, 5);
    writer.finish();
    host::set_pin_observer(&wire);
    ASSERT_NE(direct_.picture(), sim::Picture{}) << "the calls should light some pixels";
  }

  void expect_same_as_direct(const std::string& vcd, const sim::SignalMap& map, bool expect_reset) {
    std::istringstream in(vcd);
    const sim::VcdTrace trace = sim::read_vcd(in, "capture.vcd", map);
    EXPECT_EQ(trace.has(sim::Line::Reset), expect_reset);
    for (const bool reset_released : {false, true}) {
      sim::Controller replayed(sim::ControllerOptions{false, sim::ColumnWrap::Start, reset_released});
      sim::replay(trace, replayed);
      EXPECT_EQ(replayed.bytes(), direct_.bytes());
      EXPECT_EQ(replayed.picture(), direct_.picture());
      for (const auto& d : replayed.diagnostics()) ADD_FAILURE() << "byte " << d.byte_index << ": " << d.message;
    }
  }

  std::ostringstream vcd_;
  sim::Controller direct_;
};

TEST_F(VcdReplayTest, RecordedTraceReplaysToTheSamePicture) {
  expect_same_as_direct(vcd_.str(), sim::default_signal_map(), true);
}

// Renamed signals, the reset signal not mapped: the controller starts out of reset.
TEST_F(VcdReplayTest, CaptureWithoutResetReplaysToTheSamePicture) {
  std::string renamed = vcd_.str();
  for (const auto& [from, to] : {std::pair{"sclk", "D0"}, {"sdin", "D1"}, {"dc", "D2"}, {"res_n", "D3"}}) {
    renamed =
        std::regex_replace(renamed, std::regex(std::string(" ") + from + " \\$end"), std::string(" ") + to + " $end");
  }
  expect_same_as_direct(renamed, sim::parse_signal_map("sclk=D0,sdin=D1,dc=D2"), false);
}

}  // namespace
}  // namespace qel::test
