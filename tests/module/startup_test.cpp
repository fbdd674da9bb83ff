// Start-up: pins, reset pulse, the controller's set-up bytes and the blank panel,
// checked on the decoded wire.
#include <gtest/gtest-spi.h>
#include <gtest/gtest.h>

#include <vector>

#include "QEL_LCD.h"
#include "board.h"
#include "module_fixture.h"

namespace qel::test {
namespace {

using Kind = WireEvent::Kind;

// The controller set-up, in the order it must be sent.
const std::vector<WireByte> kSetup = {cmd(0xAE), cmd(0x00), cmd(0x10), cmd(0x40), cmd(0x81), cmd(0xCF), cmd(0xA1),
                                      cmd(0xC8), cmd(0xA6), cmd(0xA8), cmd(0x3F), cmd(0xD3), cmd(0x00), cmd(0xD5),
                                      cmd(0x80), cmd(0xD9), cmd(0xF1), cmd(0xDA), cmd(0x12), cmd(0xDB), cmd(0x40),
                                      cmd(0x20), cmd(0x02), cmd(0x8D), cmd(0x14), cmd(0xA4), cmd(0xA6), cmd(0xAF)};

std::vector<WireByte> expected_startup() {
  std::vector<WireByte> out = kSetup;
  for (std::uint8_t page = 0; page < 8; ++page) {
    out.insert(out.end(), {cmd(static_cast<std::uint8_t>(0xB0 + page)), cmd(0x01), cmd(0x10)});
    out.insert(out.end(), 128, dat(0x00));
  }
  out.insert(out.end(), {cmd(0xB0), cmd(0x10), cmd(0x01)});
  return out;
}

class StartupTest : public ModuleTest {};

TEST_F(StartupTest, FreshInitOpensPinsPulsesResetAndBlanksPanel) {
  QEL_LCD_Init();

  EXPECT_EQ(host::open_count(), 1u);
  const auto& ev = wire.events();
  ASSERT_GE(ev.size(), 8u);
  // PIN_open drives the four pins low, in table order.
  const std::uint8_t opened[] = {sim::kDioClock, sim::kDioData, sim::kDioReset, sim::kDioDataCommand};
  for (int i = 0; i < 4; ++i) {
    EXPECT_EQ(ev[i].kind, Kind::Open);
    EXPECT_EQ(ev[i].pin, opened[i]);
  }
  // Clock up, reset held low for 250 ms, released.
  EXPECT_TRUE(ev[4].kind == Kind::Write && ev[4].pin == sim::kDioClock && ev[4].level == 1);
  EXPECT_TRUE(ev[5].kind == Kind::Write && ev[5].pin == sim::kDioReset && ev[5].level == 0);
  EXPECT_TRUE(ev[6].kind == Kind::Delay && ev[6].ms == 250u);
  EXPECT_TRUE(ev[7].kind == Kind::Write && ev[7].pin == sim::kDioReset && ev[7].level == 1);
  // Then only whole bytes.
  for (std::size_t i = 8; i < ev.size(); ++i) ASSERT_EQ(ev[i].kind, Kind::Byte) << "event " << i;

  const auto bytes = wire.bytes();
  EXPECT_EQ(bytes.size(), 1079u);
  EXPECT_EQ(bytes, expected_startup()) << to_string(bytes);
  EXPECT_EQ(wire.pin_writes(), 3u + 26975u);
}

TEST_F(StartupTest, RepeatedInitKeepsPinsAndSendsTheSameStartup) {
  QEL_LCD_Init();
  const auto first = wire.events();
  wire.clear();

  QEL_LCD_Init();

  EXPECT_EQ(host::open_count(), 1u);
  // The same sequence, less the four opening levels.
  const std::vector<WireEvent> again(first.begin() + 4, first.end());
  ASSERT_EQ(wire.events().size(), again.size());
  EXPECT_EQ(wire.bytes(), expected_startup());
  EXPECT_EQ(wire.events()[2].kind, Kind::Delay);
}

TEST_F(StartupTest, FailedOpenDrivesNothingUntilALaterInitOpens) {
  host::fail_next_open();
  QEL_LCD_Init();
  QEL_LCD_WriteString(text("lost"), 0);
  QEL_LCD_ClearLine(1);
  QEL_LCD_WriteValue(42, 10, 2);
  QEL_LCD_WriteStringValue(text("T="), 25, 10, 3);

  EXPECT_EQ(host::open_count(), 1u);
  EXPECT_TRUE(wire.events().empty());

  QEL_LCD_Init();
  EXPECT_EQ(host::open_count(), 2u);
  EXPECT_EQ(wire.bytes(), expected_startup());
}

TEST_F(StartupTest, CallsBeforeInitDriveNothing) {
  QEL_LCD_WriteString(text("early"), 0);
  QEL_LCD_WriteValue(7, 16, 1);
  EXPECT_EQ(host::open_count(), 0u);
  EXPECT_EQ(wire.pin_writes(), 0u);
}

TEST(DelayTest, ZeroIsNotReportedOtherDelaysAreReportedInFull) {
  fresh_module();
  WireRecorder wire;
  host::ScopedPinObserver scope(wire);
  module_delay(0);
  module_delay(7);
  ASSERT_EQ(wire.events().size(), 1u);
  EXPECT_EQ(wire.events()[0].ms, 7u);
}

// The recorder must reject a stream that is not the 25-write pattern.
TEST(WireRecorderTest, BrokenPatternFailsWithItsPosition) {
  const auto missing_data = [] {
    WireRecorder wire;
    wire.on_write(sim::kDioDataCommand, 0);
    wire.on_write(sim::kDioClock, 0);
    wire.on_write(sim::kDioClock, 1);
  };
  const auto unfinished = [] {
    WireRecorder wire;
    wire.on_write(sim::kDioDataCommand, 1);
    wire.on_write(sim::kDioClock, 0);
    (void)wire.bytes();
  };
  EXPECT_NONFATAL_FAILURE(missing_data(), "expected data, got clock = 1");
  EXPECT_NONFATAL_FAILURE(unfinished(), "left unfinished after 2 of 25 writes");
}

}  // namespace
}  // namespace qel::test
