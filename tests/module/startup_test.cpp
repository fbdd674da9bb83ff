// Start-up on the decoded wire: pin opens, reset pulse, delay and the 1079 bytes,
// whatever calls came before; and the wire pattern check every wire test relies on.
#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "emulator/board.h"
#include "module_fixture.h"

namespace qel::test {
namespace {

// Every public line operation at its limits: NULL and over-long text, lines past
// the panel, unsupported bases, the largest value.
void hostile_calls() {
  static const std::string long_text(600, 'M');
  const QEL_C* text = reinterpret_cast<const QEL_C*>(long_text.c_str());
  QEL_LCD_WriteString(nullptr, 0);
  QEL_LCD_WriteString(text, 7);
  QEL_LCD_WriteString(text, 255);
  QEL_LCD_ClearLine(16);
  QEL_LCD_WriteValue(0xFFFFFFFFu, 0, 3);
  QEL_LCD_WriteValue(0xFFFFFFFFu, 10, 200);
  QEL_LCD_WriteStringValue(nullptr, 1, 16, 1);
  QEL_LCD_WriteStringValue(text, 4294967295u, 10, 2);
}

void failed_init_then_hostile_calls() {
  host::fail_next_open();
  QEL_LCD_Init();
  hostile_calls();
}

struct StartupCase {
  const char* name;
  std::function<void()> before;
  unsigned opens_before;  // PIN_open calls made by `before`
  bool opens_pins;        // the start-up opens the pins: `before` must not have driven any
  friend void PrintTo(const StartupCase& c, std::ostream* os) { *os << c.name; }
};

class StartupTest : public ModuleTest, public ::testing::WithParamInterface<StartupCase> {};

TEST_P(StartupTest, SendsTheStartupStreamWhateverCameBefore) {
  const StartupCase& c = GetParam();
  c.before();
  EXPECT_EQ(host::open_count(), c.opens_before);
  if (c.opens_pins) {
    EXPECT_EQ(wire.pin_writes(), 0u);
    EXPECT_TRUE(wire.events().empty());
  }
  wire.clear();

  QEL_LCD_Init();
  EXPECT_EQ(host::open_count(), c.opens_before + (c.opens_pins ? 1 : 0));
  EXPECT_EQ(wire.events(), startup_events(c.opens_pins));
  EXPECT_EQ(wire.pin_writes(), 26978u);  // clock up, reset low and high, 25 per byte
}

// clang-format off
INSTANTIATE_TEST_SUITE_P(Module, StartupTest, ::testing::Values(
    StartupCase{"FreshModule", [] {}, 0, true},
    StartupCase{"RepeatedInit", [] { QEL_LCD_Init(); }, 1, false},
    StartupCase{"CallsBeforeAnyStartUp", hostile_calls, 0, true},
    StartupCase{"CallsAfterAFailedOpen", failed_init_then_hostile_calls, 1, true},
    StartupCase{"FailedOpensInARow", [] { for (int i = 0; i < 3; ++i) failed_init_then_hostile_calls(); }, 3, true}),
    [](const auto& info) { return std::string(info.param.name); });
// clang-format on

// Plays steps on the pattern check: "B" a whole byte; "s", "c", "d", "r" and "x"
// with a level write select, clock, data, reset and the unwired DIO 5; "o" opens
// the reset pin; "w" waits.
void play(WirePattern& w, const std::string& steps) {
  for (std::size_t i = 0; i < steps.size(); ++i) {
    const char step = steps[i];
    if (step == 'B') {
      play(w, "s1" + std::string(8, '-'));
    } else if (step == '-') {
      play(w, "c0d1c1");
    } else if (step == 'o') {
      w.on_open(emu::kDioReset);
    } else if (step == 'w') {
      w.on_delay(1);
    } else {
      const std::uint8_t level = steps.at(++i) == '1' ? 1 : 0;
      const std::uint8_t pins[] = {emu::kDioDataCommand, emu::kDioClock, emu::kDioData, emu::kDioReset, 5};
      w.on_write(pins[std::string("scdrx").find(step)], level);
    }
  }
}

// The host build reports the module's delays in simulated time; a zero delay is no delay.
TEST_F(ModuleTest, DelaysAreNominalMillisecondsAndNothingForZero) {
  module_delay(0);
  module_delay(7);
  EXPECT_EQ(wire.events(), (std::vector<WireEvent>{{WireEvent::Kind::Delay, 0, 0, 7, {}}}));
}

// The pattern check names each way of breaking a byte, with its place.
TEST(WirePatternTest, NamesEachBrokenPatternWithItsPlace) {
  // clang-format off
  const struct { const char *steps, *message; } cases[] = {
      {"s0c1", "byte #0, write 1 of 25: expected clock low, got DIO 9 = 1"},
      {"Bs0c0c1", "byte #1, write 2 of 25: expected data, got DIO 9 = 1"},
      {"s1c0", "byte #0, write 2 of 25: byte left unfinished"},
      {"s1w", "byte #0, write 1 of 25: delay inside a byte"},
      {"s1o", "byte #0, write 1 of 25: PIN_open of DIO 4 inside a byte"},
      {"x1", "byte #0, write 0 of 25: write to DIO 5, which is not wired to the controller"},
      {"r0B", "byte #0, write 25 of 25: the 8th rising clock edge did not complete a byte"},
      {"BBB", "byte #2, write 25 of 25: more than 2 bytes"},
  };
  // clang-format on
  for (const auto& c : cases) {
    std::vector<std::string> broken;
    WirePattern w([&](const std::string& what) { broken.push_back(what); }, 2);
    play(w, "r1");  // out of reset, as after the pulse
    play(w, c.steps);
    w.expect_between_bytes();
    EXPECT_EQ(broken, std::vector<std::string>{c.message}) << c.steps;
  }
}

}  // namespace
}  // namespace qel::test
