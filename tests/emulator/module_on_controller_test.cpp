// The real module driving each controller of the family: a value line shows up
// on the panel where a user expects it, and nowhere else. On the SH1106's glass
// (RAM columns 2 to 129) the module's picture sits two columns to the left, and
// the two columns at the right edge show RAM the module's text never writes.
#include <gtest/gtest.h>

#include <vector>

#include "QEL_LCD.h"
#include "emulator/controller.h"
#include "module_access.h"
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

struct ModelCase {
  ControllerModel model;
  int first_column;  // the RAM column at the glass's left edge
  std::size_t
      outside_notes;  // start-up commands the controller lacks: 0x20 and 0x8D on the SH1106, 0x8D on the SSD1309
};

const ModelCase kModels[] = {
    {ControllerModel::Ssd1306, 0, 0},
    {ControllerModel::Sh1106, 2, 2},
    {ControllerModel::Ssd1309, 0, 1},
    {ControllerModel::Ssd1315, 0, 0},
};

TEST_F(ModuleOnController, ValueLineShowsOnPageTwoAndNothingElse) {
  for (const ModelCase& c : kModels) {
    host::reset_pins();
    qel::test::fresh_module();
    ControllerOptions options;
    options.model = c.model;
    Controller controller(options);
    ControllerPins pins(controller);
    host::ScopedPinObserver scope(pins);
    QEL_LCD_Init();
    QEL_LCD_WriteStringValue(text("T="), 25, 10, QEL_LCD_LINE2);
    controller.end_of_trace();

    const char* name = controller.profile().name;
    EXPECT_EQ(controller.diagnostics().size(), c.outside_notes) << name;
    const Picture picture = controller.picture();
    int wrong = 0;
    for (int y = 0; y < picture.height; ++y) {
      for (int x = 0; x < picture.width; ++x) {
        const int column = x + c.first_column;  // RAM column shown at x
        const bool in_text = y >= 16 && y < 24 && column >= 1 && column <= static_cast<int>(kTEquals25.size());
        const bool expected = in_text && ((kTEquals25[static_cast<std::size_t>(column - 1)] >> (y - 16)) & 1) != 0;
        if (picture.lit(x, y) != expected && wrong++ == 0) {
          ADD_FAILURE() << name << ": first wrong pixel at " << x << "," << y;
        }
      }
    }
    EXPECT_EQ(wrong, 0) << name;
    EXPECT_GT(picture.at(4, 16), 128) << name << ": contrast 0xCF gives a bright pixel";
  }
}

}  // namespace
}  // namespace qel::emu::test
