// Text views of the picture: the terminal view (frame size and the character
// chosen for each pair of panel rows), and the text read back on glasses of other
// heights (as many lines as the glass has pages, height / 8, the lines past them
// empty).
#include "view/terminal_view.h"

#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <vector>

#include "../emulator/controller_feed.h"
#include "view/text_readback.h"

namespace qel::view {
namespace {

std::vector<std::string> lines_of(const std::string& text) {
  std::vector<std::string> out;
  std::istringstream in(text);
  for (std::string line; std::getline(in, line);) out.push_back(line);
  return out;
}

// Column 0: top lit; 1: bottom lit; 2: both; 3: neither; last line: bottom-right pixel.
// The frame is the glass's own size.
TEST(TerminalView, DrawsEachCellAndTheFrame) {
  emu::Picture picture;
  for (auto [x, y] : {std::pair{0, 0}, {1, 1}, {2, 0}, {2, 1}, {127, 63}}) picture.set(x, y, 200);
  picture.set(4, 0, 1);  // the faintest level is still lit

  const struct {
    TextStyle style;
    std::string first_line, top_row, bottom_row, last_line;
  } cases[] = {
      {TextStyle::Unicode, "┌─", "│▀▄█ ▀ ", "▄│", "─┘"},
      {TextStyle::Ascii, "+-", "|\".# \" ", ".|", "-+"},
  };
  for (const auto& c : cases) {
    const auto lines = lines_of(render_text(picture, c.style));
    ASSERT_EQ(lines.size(), 34u);
    EXPECT_EQ(lines[0].rfind(c.first_line, 0), 0u) << lines[0];
    EXPECT_EQ(lines[1].rfind(c.top_row, 0), 0u) << lines[1];
    EXPECT_EQ(lines[32].substr(lines[32].size() - c.bottom_row.size()), c.bottom_row) << lines[32];
    EXPECT_EQ(lines[33].substr(lines[33].size() - c.last_line.size()), c.last_line) << lines[33];
  }
  // 128 cells between the frame's sides.
  EXPECT_EQ(lines_of(render_text(picture, TextStyle::Ascii))[5], "|" + std::string(128, ' ') + "|");
  // Another glass: its width in cells, and an odd last pixel row as the top of a cell.
  emu::Picture glass(72, 5);
  glass.set(71, 4, 255);
  EXPECT_EQ(lines_of(render_text(glass, TextStyle::Ascii)),
            (std::vector<std::string>{"+" + std::string(72, '-') + "+", "|" + std::string(72, ' ') + "|",
                                      "|" + std::string(72, ' ') + "|", "|" + std::string(71, ' ') + "\"|",
                                      "+" + std::string(72, '-') + "+"}));
}

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
