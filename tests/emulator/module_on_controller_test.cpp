// The real module driving the emulated controller: a value line shows up on the
// panel where a user expects it, and nowhere else.
#include <gtest/gtest.h>

#include <vector>

#include "QEL_LCD.h"
#include "emulator/controller.h"
#include "module_fixture.h"

namespace qel::emu::test {
namespace {

using ModuleOnController = qel::test::ModuleTest;

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
  ControllerPins pins(controller);
  host::ScopedPinObserver scope(pins);
  QEL_LCD_Init();
  QEL_LCD_WriteStringValue(text("T="), 25, 10, QEL_LCD_LINE2);
  controller.end_of_trace();

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

}  // namespace
}  // namespace qel::emu::test
