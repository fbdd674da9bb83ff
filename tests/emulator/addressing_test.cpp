// Where display data bytes land: page mode with both column wrap options, and
// horizontal and vertical modes inside the 0x21/0x22 ranges.
#include <gtest/gtest.h>

#include <utility>
#include <vector>

#include "controller_feed.h"

namespace qel::emu::test {
namespace {

using Position = std::pair<int, int>;  // page, column

struct WrapCase {
  ColumnWrap wrap;
  int third_byte_column;
};

// Page mode, column start 126: two bytes fill columns 126 and 127, the third
// goes back to the column start address, or to column 0 when asked.
TEST(ControllerAddressing, PageModeAdvancesAndWrapsWithinThePage) {
  for (const WrapCase& c : {WrapCase{ColumnWrap::Start, 126}, WrapCase{ColumnWrap::Zero, 0}}) {
    Controller controller = running_controller({false, c.wrap, true});
    send(controller, {cmd(0xB4), cmd(0x0E), cmd(0x17), dat(0x11), dat(0x22), dat(0x33)});

    EXPECT_EQ(controller.ram(4, 127), 0x22);
    EXPECT_EQ(controller.ram(4, c.third_byte_column), 0x33);
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

}  // namespace
}  // namespace qel::emu::test
