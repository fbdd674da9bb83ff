// Text read back on glasses of other heights: as many lines as the glass has
// pages (height / 8), the lines past them empty.
#include "view/text_readback.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "../emulator/controller_feed.h"

namespace qel::view {
namespace {

using emu::test::cmd;
using emu::test::dat;

// The glyph columns of 'T' in the module's 6 x 8 font.
const std::vector<std::uint8_t> kT = {0x00, 0x01, 0x01, 0x7F, 0x01, 0x01};

TEST(TextReadBack, ReadsTheLinesTheGlassHas) {
  const struct {
    const char* glass;
    int lines;
  } cases[] = {{"128x64", 8}, {"128x32", 4}, {"72x40+28", 5}, {"96x16", 2}};
  for (const auto& c : cases) {
    emu::ControllerOptions options;
    options.glass = *emu::parse_glass(c.glass);
    emu::Controller controller = emu::test::running_controller(options);
    for (std::uint8_t page = 0; page < 8; ++page) {
      emu::test::send(controller, {cmd(static_cast<std::uint8_t>(0xB0 | page)), cmd(0x01), cmd(0x10)});
      for (std::uint8_t b : kT) emu::test::send(controller, {dat(b)});
    }
    std::string expected;
    for (int line = 0; line < c.lines; ++line) expected += "T\n";
    EXPECT_EQ(text_lines(controller), c.lines) << c.glass;
    EXPECT_EQ(screen_text(controller), expected) << c.glass;
    EXPECT_EQ(line_text(controller, static_cast<unsigned>(c.lines)), "") << c.glass;
  }
}

}  // namespace
}  // namespace qel::view
