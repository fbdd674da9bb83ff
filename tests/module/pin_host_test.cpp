// The host PIN stand-in: which opens it refuses, which writes it accepts, and what
// its observer hears.
#include <gtest/gtest.h>
#include <ti/drivers/PIN.h>

#include <vector>

#include "qel/pin_observer.h"
#include "wire_recorder.h"

namespace qel::test {
namespace {

class PinHostTest : public ::testing::Test {
 protected:
  void SetUp() override {
    host::reset_pins();
    host::set_pin_observer(&wire);
  }
  void TearDown() override { host::reset_pins(); }
  WireRecorder wire;
};

struct OpenCase {
  const char* name;
  std::vector<PIN_Config> list;
  friend void PrintTo(const OpenCase& c, std::ostream* os) { *os << c.name; }
};

class PinOpenRefusalTest : public PinHostTest, public ::testing::WithParamInterface<OpenCase> {};

TEST_P(PinOpenRefusalTest, RefusesAndHoldsNothing) {
  PIN_State state{};
  std::vector<PIN_Config> list = GetParam().list;
  EXPECT_EQ(PIN_open(&state, list.data()), nullptr);
  EXPECT_TRUE(wire.events().empty());
  // Nothing was kept: the valid pins of the list can still be opened.
  const PIN_Config ok[] = {0x80800809, 0x8080080A, PIN_TERMINATE};
  PIN_State other{};
  EXPECT_NE(PIN_open(&other, ok), nullptr);
}

INSTANTIATE_TEST_SUITE_P(BadLists, PinOpenRefusalTest,
                         ::testing::Values(OpenCase{"PinListedTwice",
                                                    {0x80800809, 0x8080080A, 0x80800809, PIN_TERMINATE}},
                                           OpenCase{"PinIdAbove31", {0x80800809, 0x80800820, PIN_TERMINATE}}),
                         [](const auto& info) { return info.param.name; });

TEST_F(PinHostTest, RefusesNullArgumentsAndPinsHeldElsewhere) {
  const PIN_Config list[] = {0x80800809, PIN_TERMINATE};
  PIN_State a{}, b{};
  EXPECT_EQ(PIN_open(nullptr, list), nullptr);
  EXPECT_EQ(PIN_open(&a, nullptr), nullptr);
  ASSERT_NE(PIN_open(&a, list), nullptr);
  EXPECT_EQ(PIN_open(&b, list), nullptr);
}

TEST_F(PinHostTest, WritesOnlyThroughAnOpenHandleToItsOwnPins) {
  const PIN_Config list[] = {0x80800809, 0x8080081A, PIN_TERMINATE};
  PIN_State state{};
  PIN_Handle h = PIN_open(&state, list);
  ASSERT_NE(h, nullptr);
  wire.clear();

  EXPECT_EQ(PIN_setOutputValue(nullptr, 9, 1), PIN_NO_ACCESS);
  EXPECT_EQ(PIN_setOutputValue(h, 10, 1), PIN_NO_ACCESS);  // not in the list
  EXPECT_TRUE(wire.events().empty());

  EXPECT_EQ(PIN_setOutputValue(h, 9, 5), PIN_SUCCESS);  // non-zero is 1
  EXPECT_EQ(PIN_setOutputValue(h, 9, 1), PIN_SUCCESS);  // unchanged, still reported
  ASSERT_EQ(wire.events().size(), 2u);
  EXPECT_EQ(wire.events()[0].level, 1);
  EXPECT_EQ(wire.events()[1].level, 1);
}

TEST_F(PinHostTest, FailNextOpenFailsOnceAndResetInvalidatesHandles) {
  const PIN_Config list[] = {0x80800809, PIN_TERMINATE};
  PIN_State state{};
  host::fail_next_open();
  EXPECT_EQ(PIN_open(&state, list), nullptr);
  PIN_Handle h = PIN_open(&state, list);
  ASSERT_NE(h, nullptr);
  EXPECT_EQ(host::open_count(), 2u);

  host::reset_pins();
  EXPECT_EQ(PIN_setOutputValue(h, 9, 1), PIN_NO_ACCESS);
  EXPECT_EQ(host::open_count(), 0u);
  PIN_State again{};
  EXPECT_NE(PIN_open(&again, list), nullptr);  // the pin is free again
}

}  // namespace
}  // namespace qel::test
