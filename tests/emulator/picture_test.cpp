// The picture a viewer sees: orientation, row mapping, display-wide switches
// and brightness.
#include <gtest/gtest.h>

#include <vector>

#include "controller_feed.h"

namespace qel::emu::test {
namespace {

int lit_count(const Picture& p) {
  int n = 0;
  for (std::uint8_t level : p.level) n += level != 0;
  return n;
}

struct PictureCase {
  const char* name;
  std::vector<std::uint8_t> commands;  // sent after the usual set-up
  int lit;                             // lit pixels in the picture
  int x, y;                            // a pixel to probe...
  bool probe_lit;                      // ...and whether it is lit
};

// RAM holds a single set bit: page 0, column 0, bit 0 (RAM row 0).
const std::vector<PictureCase> kPictureCases = {
    {"usual orientation", {}, 1, 0, 0, true},
    {"segment remap off mirrors", {0xA0}, 1, 127, 0, true},
    {"normal COM scan flips", {0xC0}, 1, 0, 63, true},
    {"mirrored and flipped", {0xA0, 0xC0}, 1, 127, 63, true},
    {"start line 8 moves up", {0x48}, 1, 0, 56, true},
    {"display offset 8 moves up", {0xD3, 0x08}, 1, 0, 56, true},
    {"multiplex 32 drives the lower half", {0xA8, 0x1F}, 1, 0, 32, true},
    {"multiplex 32 and offset 8", {0xA8, 0x1F, 0xD3, 0x08}, 1, 0, 24, true},
    {"multiplex 32 and start line 8 hide row 0", {0xA8, 0x1F, 0x48}, 0, 0, 0, false},
    {"inverse", {0xA7}, 128 * 64 - 1, 0, 0, false},
    {"entire display on", {0xA5}, 128 * 64, 5, 5, true},
    {"entire display on, inverse ignored", {0xA5, 0xA7}, 128 * 64, 0, 0, true},
    {"entire display on, only driven rows", {0xA5, 0xA8, 0x1F}, 128 * 32, 0, 31, false},
    {"back to RAM", {0xA5, 0xA4}, 1, 0, 0, true},
    {"display off", {0xA5, 0xAE}, 0, 0, 0, false},
    {"charge pump off", {0xA5, 0x8D, 0x10}, 0, 0, 0, false},
};

TEST(ControllerPicture, FollowsOrientationRowMappingAndSwitches) {
  for (const PictureCase& c : kPictureCases) {
    Controller controller = running_controller();
    send_commands(controller, kUsualSetup);
    send(controller, {cmd(0xB0), cmd(0x00), cmd(0x10), dat(0x01)});
    send_commands(controller, c.commands);

    const Picture picture = controller.picture();
    EXPECT_EQ(lit_count(picture), c.lit) << c.name;
    EXPECT_EQ(picture.lit(c.x, c.y), c.probe_lit) << c.name;
  }
}

TEST(ControllerPicture, BrightnessRisesWithContrastAndNeverVanishes) {
  int previous = 0;
  for (std::uint8_t contrast : {0x00, 0x40, 0x7F, 0xCF, 0xFF}) {
    Controller controller = running_controller();
    send_commands(controller, kUsualSetup);
    send_commands(controller, {0xA5, 0x81, contrast});
    const int level = controller.picture().at(0, 0);
    EXPECT_GT(level, previous) << "contrast " << int{contrast};
    previous = level;
  }
  EXPECT_EQ(previous, 255);
}

}  // namespace
}  // namespace qel::emu::test
