// VCD writer on the real module: the dump reads back into the same bytes, starts
// from the levels the pins were opened at, and shows the reset pulse at its length.
#include "vcd_writer.h"

#include <gtest/gtest.h>

#include <sstream>
#include <vector>

#include "module_fixture.h"
#include "pin_fanout.h"
#include "vcd_reader.h"

namespace qel::test {
namespace {

using sim::Line;
using sim::LineChange;

class VcdWriterTest : public ModuleTest {
 protected:
  // Runs start-up and one line of text with both the wire recorder and a VcdWriter listening.
  sim::VcdTrace record(std::uint64_t ns_per_write) {
    std::ostringstream text;
    sim::VcdWriter writer(text, ns_per_write);
    sim::PinFanout both;
    both.add(wire);
    both.add(writer);
    host::set_pin_observer(&both);
    QEL_LCD_Init();
    QEL_LCD_WriteString(this->text("Hi 42"), 3);
    writer.finish();
    host::set_pin_observer(&wire);
    std::istringstream in(text.str());
    return sim::read_vcd(in, "module.vcd");
  }
};

// Decoding the read-back trace gives exactly the bytes the module sent.
TEST_F(VcdWriterTest, ReadsBackIntoTheSameBytes) {
  const auto trace = record(sim::VcdWriter::kDefaultNsPerWrite);
  ASSERT_TRUE(trace.has(Line::Reset));
  sim::SerialInterface serial;
  for (int i = 0; i < sim::kLineCount; ++i) {
    if (const auto level = trace.initial[static_cast<std::size_t>(i)]) serial.set(static_cast<Line>(i), *level);
  }
  std::vector<WireByte> bytes;
  for (const auto& c : trace.changes) {
    if (serial.set(c.line, c.level) == sim::SerialInterface::Outcome::Byte) bytes.push_back(serial.byte());
  }
  EXPECT_EQ(bytes, wire.bytes());
}

// Opened pins start low at time 0 and the clock rises at once, so the trace
// starts with the clock high; reset is released 250 ms (plus the two pin
// writes before the delay) later. The first byte's select write leaves dc low,
// so its first clock-low edge comes two write times after the release.
TEST_F(VcdWriterTest, StartsLowAndShowsTheResetPulse) {
  const struct {
    std::uint64_t ns_per_write, reset_release_ns, first_clock_low_ns;
  } cases[] = {{100, 250'000'200, 250'000'400}, {10, 250'000'020, 250'000'040}, {1, 250'000'002, 250'000'004}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.ns_per_write);
    fresh_module();
    const auto trace = record(c.ns_per_write);
    const std::optional<bool> low = false, high = true;
    EXPECT_TRUE((trace.initial == std::array<std::optional<bool>, sim::kLineCount>{high, low, low, low, {}}));
    const std::vector<LineChange> opening = {{c.reset_release_ns, Line::Reset, true},
                                             {c.first_clock_low_ns, Line::Clock, false}};
    ASSERT_GT(trace.changes.size(), opening.size());
    for (std::size_t i = 0; i < opening.size(); ++i) {
      EXPECT_TRUE(trace.changes[i] == opening[i]) << "change " << i << " at " << trace.changes[i].time_ns;
    }
  }
}

TEST(VcdWriter, RefusesZeroTimePerWrite) {
  std::ostringstream out;
  EXPECT_THROW(sim::VcdWriter(out, 0), std::invalid_argument);
}

}  // namespace
}  // namespace qel::test
