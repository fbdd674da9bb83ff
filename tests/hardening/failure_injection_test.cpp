// Failure injection: hostile calls while the pins are not open (before any
// start-up, or after PIN_open failed) drive nothing, and the first start-up that
// opens the pins sends exactly what it sends on a fresh module.
#include <gtest/gtest.h>

#include <functional>
#include <ostream>
#include <string>
#include <vector>

#include "module_fixture.h"

namespace qel::test {
namespace {

const std::string kLong(600, 'M');

// Every public line operation at its limits: NULL and over-long text, lines past
// the panel, unsupported bases, the largest value.
void hostile_calls() {
  const QEL_C* long_text = reinterpret_cast<const QEL_C*>(kLong.c_str());
  QEL_LCD_WriteString(nullptr, 0);
  QEL_LCD_WriteString(long_text, 7);
  QEL_LCD_WriteString(long_text, 255);
  QEL_LCD_ClearLine(16);
  QEL_LCD_WriteValue(0xFFFFFFFFu, 0, 3);
  QEL_LCD_WriteValue(0xFFFFFFFFu, 10, 200);
  QEL_LCD_WriteStringValue(nullptr, 1, 16, 1);
  QEL_LCD_WriteStringValue(long_text, 4294967295u, 10, 2);
}

struct Prelude {
  const char* name;
  std::function<void()> run;
  unsigned opens;  // PIN_open calls it makes
};

// Names the case in test listings instead of dumping its bytes.
void PrintTo(const Prelude& p, std::ostream* os) { *os << p.name; }

class FailureInjection : public ModuleTest, public ::testing::WithParamInterface<Prelude> {
 protected:
  // Events of a start-up on a fresh module.
  std::vector<WireEvent> fresh_startup() {
    QEL_LCD_Init();
    const std::vector<WireEvent> events = wire.events();
    fresh_module();
    host::set_pin_observer(&wire);
    wire.clear();
    return events;
  }
};

TEST_P(FailureInjection, NothingIsDrivenAndTheFirstOpenStartsUpAsOnAFreshModule) {
  const std::vector<WireEvent> fresh = fresh_startup();
  const std::vector<WireByte> fresh_bytes = [&] {
    std::vector<WireByte> out;
    for (const WireEvent& e : fresh) {
      if (e.kind == WireEvent::Kind::Byte) out.push_back(e.byte);
    }
    return out;
  }();

  GetParam().run();
  EXPECT_EQ(wire.pin_writes(), 0u);
  EXPECT_TRUE(wire.events().empty());
  EXPECT_EQ(host::open_count(), GetParam().opens);

  QEL_LCD_Init();
  EXPECT_EQ(host::open_count(), GetParam().opens + 1);
  ASSERT_EQ(wire.events().size(), fresh.size());
  EXPECT_EQ(wire.bytes(), fresh_bytes);
}

INSTANTIATE_TEST_SUITE_P(Hardening, FailureInjection,
                         ::testing::Values(Prelude{"CallsBeforeAnyStartUp", hostile_calls, 0},
                                           Prelude{"CallsAfterAFailedOpen",
                                                   [] {
                                                     host::fail_next_open();
                                                     QEL_LCD_Init();
                                                     hostile_calls();
                                                   },
                                                   1},
                                           Prelude{"FailedOpensInARow",
                                                   [] {
                                                     for (int i = 0; i < 3; ++i) {
                                                       host::fail_next_open();
                                                       QEL_LCD_Init();
                                                       hostile_calls();
                                                     }
                                                   },
                                                   3}),
                         [](const ::testing::TestParamInfo<Prelude>& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace qel::test
