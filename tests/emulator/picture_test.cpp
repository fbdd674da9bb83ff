// Where display data bytes land (page mode with both column wrap options,
// horizontal and vertical modes inside the 0x21/0x22 ranges), and the picture a
// viewer sees: orientation, row mapping, display-wide switches and brightness.
#include <gtest/gtest.h>

#include <utility>
#include <vector>

#include "controller_feed.h"

namespace qel::emu::test {
namespace {

using Position = std::pair<int, int>;  // page, column

// Page mode, column start 126: two bytes fill columns 126 and 127, the third
// goes back to the column start address, or to column 0 when asked.
TEST(ControllerAddressing, PageModeAdvancesAndWrapsWithinThePage) {
  for (const auto& [wrap, third_byte_column] : {std::pair{ColumnWrap::Start, 126}, std::pair{ColumnWrap::Zero, 0}}) {
    Controller controller = running_controller({false, wrap, true});
    send(controller, bytes_of("C B4 0E 17 D 11 22 33"));
    EXPECT_EQ(controller.ram(4, 127), 0x22);
    EXPECT_EQ(controller.ram(4, third_byte_column), 0x33);
    EXPECT_EQ(controller.registers().page, 4) << "page mode never changes the page";
  }
}

struct ModeCase {
  const char* name;
  std::uint8_t mode;
  std::vector<Position> landing;  // where data bytes 1, 2, 3, ... go
};

// Column range 10..12, page range 2..3; the seventh byte wraps to the start of both.
const std::vector<ModeCase> kModeCases = {
    {"horizontal", 0x00, {{2, 10}, {2, 11}, {2, 12}, {3, 10}, {3, 11}, {3, 12}, {2, 10}}},
    {"vertical", 0x01, {{2, 10}, {3, 10}, {2, 11}, {3, 11}, {2, 12}, {3, 12}, {2, 10}}},
};

TEST(ControllerAddressing, HorizontalAndVerticalModesStayInTheirRanges) {
  for (const ModeCase& c : kModeCases) {
    Controller controller = running_controller();
    send_commands(controller, {0x20, c.mode, 0x21, 10, 12, 0x22, 2, 3});
    for (std::size_t i = 0; i < c.landing.size(); ++i) {
      send(controller, {dat(static_cast<std::uint8_t>(0x40 + i))});
      EXPECT_EQ(controller.ram(c.landing[i].first, c.landing[i].second), static_cast<int>(0x40 + i))
          << c.name << " byte " << i + 1;
    }
    // Nothing outside the ranges was touched.
    EXPECT_EQ(controller.ram(2, 13), 0) << c.name;
    EXPECT_EQ(controller.ram(4, 10), 0) << c.name;
  }
}

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

TEST(ControllerPicture, FollowsOrientationRowMappingSwitchesAndContrast) {
  for (const PictureCase& c : kPictureCases) {
    Controller controller = running_controller();
    send_commands(controller, kUsualSetup);
    send(controller, {cmd(0xB0), cmd(0x00), cmd(0x10), dat(0x01)});
    send_commands(controller, c.commands);

    const Picture picture = controller.picture();
    EXPECT_EQ(lit_count(picture), c.lit) << c.name;
    EXPECT_EQ(picture.lit(c.x, c.y), c.probe_lit) << c.name;
  }
  // Brightness rises with contrast and never vanishes.
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
