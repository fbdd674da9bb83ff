// The real module driving the emulated controller: start-up without notes, and
// a value line showing up on the panel where a user expects it.
#include <gtest/gtest.h>

#include <array>
#include <vector>

#include "QEL_LCD.h"
#include "controller.h"
#include "module_fixture.h"

namespace qel::sim::test {
namespace {

class ModuleOnController : public qel::test::ModuleTest {
 protected:
  void run_on(Controller& controller, void (*calls)()) {
    ControllerPins pins(controller);
    host::ScopedPinObserver scope(pins);
    calls();
    controller.end_of_trace();
  }
};

// Glyph columns of "T= 25" in the 6 x 8 font, from column 1 on.
const std::vector<std::uint8_t> kTEquals25 = {
    0x00, 0x01, 0x01, 0x7F, 0x01, 0x01,  // T
    0x00, 0x14, 0x14, 0x14, 0x14, 0x14,  // =
    0x00, 0x00, 0x00, 0x00, 0x00, 0x00,  // space
    0x00, 0x42, 0x61, 0x51, 0x49, 0x46,  // 2
    0x00, 0x27, 0x45, 0x45, 0x45, 0x39,  // 5
};

TEST_F(ModuleOnController, ValueLineShowsOnPageTwoAndNothingElse) {
  Controller controller;
  run_on(controller, [] {
    QEL_LCD_Init();
    QEL_LCD_WriteStringValue(text("T="), 25, 10, QEL_LCD_LINE2);
  });

  EXPECT_TRUE(controller.diagnostics().empty()) << controller.diagnostics()[0].message;
  const Picture picture = controller.picture();
  int wrong = 0;
  for (int y = 0; y < Picture::kHeight; ++y) {
    for (int x = 0; x < Picture::kWidth; ++x) {
      const bool in_text = y >= 16 && y < 24 && x >= 1 && x <= static_cast<int>(kTEquals25.size());
      const bool expected = in_text && ((kTEquals25[static_cast<std::size_t>(x - 1)] >> (y - 16)) & 1) != 0;
      if (picture.lit(x, y) != expected && wrong++ == 0) ADD_FAILURE() << "first wrong pixel at " << x << "," << y;
    }
  }
  EXPECT_EQ(wrong, 0);
  EXPECT_GT(picture.at(4, 16), 128) << "contrast 0xCF gives a bright pixel";
}

// The module's fills start at column 1, so column 0 keeps the power-on RAM
// unless the controller wraps the 128th fill byte to column 0.
struct WrapCase {
  ColumnWrap wrap;
  bool column0_keeps_noise;
};

TEST_F(ModuleOnController, StartupBlanksNoiseExceptColumnZeroUnlessWrappingToZero) {
  for (const WrapCase& c : {WrapCase{ColumnWrap::Start, true}, WrapCase{ColumnWrap::Zero, false}}) {
    qel::test::fresh_module();
    Controller controller({true, c.wrap});
    run_on(controller, [] { QEL_LCD_Init(); });

    const Picture picture = controller.picture();
    int lit_in_column0 = 0, lit_elsewhere = 0;
    for (int y = 0; y < Picture::kHeight; ++y) {
      for (int x = 0; x < Picture::kWidth; ++x) (x == 0 ? lit_in_column0 : lit_elsewhere) += picture.lit(x, y);
    }
    EXPECT_EQ(lit_in_column0 > 0, c.column0_keeps_noise);
    EXPECT_EQ(lit_elsewhere, 0);
    EXPECT_TRUE(controller.diagnostics().empty());
  }
}

}  // namespace
}  // namespace qel::sim::test
