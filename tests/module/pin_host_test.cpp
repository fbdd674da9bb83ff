// The host PIN stand-in: which opens it refuses, which writes it accepts, and what
// its observer hears.
#include <gtest/gtest.h>
#include <ti/drivers/PIN.h>

#include <vector>

#include "qel/pin_observer.h"
#include "wire_recorder.h"

namespace qel::test {
namespace {

constexpr PIN_Config kPin9 = 0x80800809, kPin10 = 0x8080080A, kPin26 = 0x8080081A;

class PinHostTest : public ::testing::Test {
 protected:
  void SetUp() override {
    host::reset_pins();
    host::set_pin_observer(&wire);
  }
  void TearDown() override { host::reset_pins(); }
  WireRecorder wire;
};

// A refused open holds nothing: the same pins open afterwards.
TEST_F(PinHostTest, RefusesBadListsAndHeldPins) {
  // clang-format off
  const struct { const char* name; std::vector<PIN_Config> list; bool null_state; } cases[] = {
      {"pin listed twice", {kPin9, kPin10, kPin9, PIN_TERMINATE}, false},
      {"pin id above 31", {kPin9, 0x80800820, PIN_TERMINATE}, false},
      {"no state", {kPin9, PIN_TERMINATE}, true},
  };
  // clang-format on
  const PIN_Config ok[] = {kPin9, kPin10, PIN_TERMINATE};
  for (const auto& c : cases) {
    host::reset_pins();
    host::set_pin_observer(&wire);
    wire.clear();
    PIN_State state{}, other{};
    EXPECT_EQ(PIN_open(c.null_state ? nullptr : &state, c.list.data()), nullptr) << c.name;
    EXPECT_TRUE(wire.events().empty()) << c.name;
    EXPECT_NE(PIN_open(&other, ok), nullptr) << c.name;
  }
  PIN_State again{};
  EXPECT_EQ(PIN_open(&again, nullptr), nullptr);
  EXPECT_EQ(PIN_open(&again, ok), nullptr) << "pins held by another handle";
}

TEST_F(PinHostTest, WritesOnlyThroughAnOpenHandleToItsOwnPinsUntilAReset) {
  const PIN_Config list[] = {kPin9, kPin26, PIN_TERMINATE};
  PIN_State state{};
  PIN_Handle h = PIN_open(&state, list);
  ASSERT_NE(h, nullptr);
  wire.clear();

  EXPECT_EQ(PIN_setOutputValue(nullptr, 9, 1), PIN_NO_ACCESS);
  EXPECT_EQ(PIN_setOutputValue(h, 10, 1), PIN_NO_ACCESS);  // not in the list
  EXPECT_TRUE(wire.events().empty());

  EXPECT_EQ(PIN_setOutputValue(h, 9, 5), PIN_SUCCESS);  // non-zero is 1
  EXPECT_EQ(PIN_setOutputValue(h, 9, 1), PIN_SUCCESS);  // unchanged, still reported
  const WireEvent high{WireEvent::Kind::Write, 9, 1, 0, {}};
  EXPECT_EQ(wire.events(), (std::vector<WireEvent>{high, high}));

  // A reset invalidates the handle and frees its pins; a failed open fails once.
  host::reset_pins();
  EXPECT_EQ(PIN_setOutputValue(h, 9, 1), PIN_NO_ACCESS);
  EXPECT_EQ(host::open_count(), 0u);
  host::fail_next_open();
  PIN_State again{};
  EXPECT_EQ(PIN_open(&again, list), nullptr);
  EXPECT_NE(PIN_open(&again, list), nullptr);
  EXPECT_EQ(host::open_count(), 2u);
}

}  // namespace
}  // namespace qel::test
