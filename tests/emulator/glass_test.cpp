// The picture on each glass: which RAM rows and columns show where, for the
// glasses users have with their own start-up, and with start-ups meant for
// another glass. The spans come from the datasheets' COM pin configuration
// tables (0xDA: sequential or alternative, left/right remap) and segment
// mapping, worked out by hand for each case. Then the real module driving each
// controller of the family.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "QEL_LCD.h"
#include "controller_feed.h"
#include "module_access.h"
#include "module_fixture.h"

namespace qel::emu::test {
namespace {

constexpr int kDark = -1;

// Viewer pixels `from`, from + stride, ... up to `to` show RAM rows (or
// columns) first, first + step, ...; kDark: nothing (an undriven row).
struct Span {
  int from, to, first, step, stride = 1;
};

struct GlassCase {
  const char* name;
  ControllerModel model;
  const char* glass;                // as --panel names it
  std::vector<std::uint8_t> setup;  // after remap on, reversed scan, power and display on
  std::vector<Span> rows, columns;
};

constexpr auto k1306 = ControllerModel::Ssd1306, k1106 = ControllerModel::Sh1106;

// clang-format off
const std::vector<GlassCase> kCases = {
    // Each glass with the start-up made for it shows its window of RAM.
    {"128x64", k1306, "128x64", {0xA8, 0x3F, 0xDA, 0x12}, {{0, 63, 0, 1}}, {{0, 127, 0, 1}}},
    {"128x32", k1306, "128x32", {0xA8, 0x1F, 0xDA, 0x02}, {{0, 31, 0, 1}}, {{0, 127, 0, 1}}},
    {"96x16", k1306, "96x16", {0xA8, 0x0F, 0xDA, 0x02}, {{0, 15, 0, 1}}, {{0, 95, 0, 1}}},
    {"64x48", k1306, "64x48+32", {0xA8, 0x2F, 0xDA, 0x12}, {{0, 47, 0, 1}}, {{0, 63, 32, 1}}},
    {"72x40", k1306, "72x40+28", {0xA8, 0x27, 0xDA, 0x12}, {{0, 39, 0, 1}}, {{0, 71, 28, 1}}},
    {"64x32", k1306, "64x32+32", {0xA8, 0x1F, 0xDA, 0x12}, {{0, 31, 0, 1}}, {{0, 63, 32, 1}}},
    // The SH1106's 1.3" glass is wired to RAM columns 2 to 129.
    {"SH1106 128x64", k1106, "128x64", {0xA8, 0x3F, 0xDA, 0x12}, {{0, 63, 0, 1}}, {{0, 127, 2, 1}}},
    {"SH1106 128x64, remap off", k1106, "128x64", {0xA0}, {{0, 63, 0, 1}}, {{0, 127, 129, -1}}},
    {"SSD1306 128x64, remap off", k1306, "128x64", {0xA0}, {{0, 63, 0, 1}}, {{0, 127, 127, -1}}},
    // A 128x32 start-up on a 128x64 glass: COM0..COM31 on every other pad, so
    // two bands of alternate rows with dark bands between them.
    {"128x32 start-up on 128x64", k1306, "128x64", {0xA8, 0x1F, 0xDA, 0x02},
     {{0, 15, kDark, 0}, {16, 31, 0, 2}, {32, 47, kDark, 0}, {48, 63, 1, 2}}, {{0, 127, 0, 1}}},
    // A 128x64 start-up on a 128x32 glass: its rows take COMk and COM32+k in turn.
    {"128x64 start-up on 128x32", k1306, "128x32", {0xA8, 0x3F, 0xDA, 0x12}, {{0, 30, 16, 1, 2}, {1, 31, 48, 1, 2}}, {{0, 127, 0, 1}}},
    // Sequential on a glass wired for alternative: every other row, the image
    // squeezed into the top half and its odd rows in the bottom half.
    {"sequential on 128x64", k1306, "128x64", {0xDA, 0x02}, {{0, 31, 0, 2}, {32, 63, 1, 2}}, {{0, 127, 0, 1}}},
    // Left/right remap swaps the halves; the SH1106 has no such bit.
    {"left/right remap on 128x64", k1306, "128x64", {0xDA, 0x32}, {{0, 31, 32, 1}, {32, 63, 0, 1}}, {{0, 127, 0, 1}}},
    {"SH1106 ignores left/right remap", k1106, "128x64", {0xDA, 0x32}, {{0, 63, 0, 1}}, {{0, 127, 2, 1}}},
};
// clang-format on

// What each viewer pixel along one axis shows, from the spans; kDark where none says.
std::vector<int> unfold(const std::vector<Span>& spans, int size) {
  std::vector<int> shown(static_cast<std::size_t>(size), kDark - 1);
  for (const Span& s : spans) {
    for (int i = s.from, n = 0; i <= s.to; i += s.stride, ++n) {
      shown[static_cast<std::size_t>(i)] = s.first == kDark ? kDark : s.first + n * s.step;
    }
  }
  return shown;
}

TEST(Glass, EachGlassShowsTheRowsAndColumnsItIsWiredTo) {
  for (const GlassCase& c : kCases) {
    ControllerOptions options;
    options.model = c.model;
    options.noise_ram = true;
    options.glass = *parse_glass(c.glass);
    Controller controller = running_controller(options);
    send_commands(controller, {0xA1, 0xC8, 0xAD, 0x8B, 0x8D, 0x14, 0xAF});
    send_commands(controller, c.setup);

    const Picture picture = controller.picture();
    const std::vector<int> rows = unfold(c.rows, picture.height), columns = unfold(c.columns, picture.width);
    int wrong = 0;
    for (int y = 0; y < picture.height; ++y) {
      for (int x = 0; x < picture.width; ++x) {
        const int row = rows[static_cast<std::size_t>(y)], column = columns[static_cast<std::size_t>(x)];
        ASSERT_GE(row, kDark) << c.name << ": no span for row " << y;
        ASSERT_GE(column, 0) << c.name << ": no span for column " << x;
        const bool expected = row != kDark && ((controller.ram(row / 8, column) >> (row % 8)) & 1) != 0;
        if (picture.lit(x, y) != expected && wrong++ == 0)
          ADD_FAILURE() << c.name << ": first wrong pixel " << x << "," << y;
      }
    }
    EXPECT_EQ(wrong, 0) << c.name;
  }
}

struct MisfitCase {
  const char* text;
  ControllerModel model;
  std::string problem;  // empty: it fits; "parse": not a size at all
};

// clang-format off
const std::vector<MisfitCase> kMisfits = {
    {"128x64", k1306, ""}, {"64x48+32", k1306, ""}, {"128x64+4", k1106, ""},
    {"128x64+2", k1306, "columns 2 to 129 run past the SSD1306's 128 RAM columns"},
    {"132x64", k1306, "the SSD1306 drives 1 to 128 columns"},
    {"128x65", k1306, "a glass has 1 to 64 rows"}, {"128x0", k1306, "a glass has 1 to 64 rows"},
    {"128", k1306, "parse"}, {"128x64+", k1306, "parse"}, {"128x64-2", k1306, "parse"},
    {"x64", k1306, "parse"}, {"1280x64", k1306, "parse"},
};
// clang-format on

TEST(Glass, SizesThatDoNotFitTheControllerSaySo) {
  for (const MisfitCase& c : kMisfits) {
    const auto glass = parse_glass(c.text);
    if (c.problem == "parse") {
      EXPECT_FALSE(glass) << c.text;
      continue;
    }
    ASSERT_TRUE(glass) << c.text;
    EXPECT_EQ(glass_misfit(*glass, profile_of(c.model)).value_or(""), c.problem) << c.text;
  }
}

using ModuleOnController = qel::test::ModuleTest;

// Glyph columns of "T= 25" in the 6 x 8 font, from column 1 on.
const std::vector<std::uint8_t> kTEquals25 = {
    0x00, 0x01, 0x01, 0x7F, 0x01, 0x01,  // T
    0x00, 0x14, 0x14, 0x14, 0x14, 0x14,  // =
    0x00, 0x00, 0x00, 0x00, 0x00, 0x00,  // space
    0x00, 0x42, 0x61, 0x51, 0x49, 0x46,  // 2
    0x00, 0x27, 0x45, 0x45, 0x45, 0x39,  // 5
};

// The module's start-up on each controller of the family: only the commands
// that controller lacks are noted (0x20 and 0x8D on the SH1106, 0x8D on the
// SSD1309), and a value line lands on page 2 from column 1. (Where each glass
// shows RAM is the glass table's; the SH1106's two-column shift with the real
// module, the kit's panel choice test.)
TEST_F(ModuleOnController, ValueLineLandsOnPageTwo) {
  const std::pair<ControllerModel, std::size_t> kModels[] = {{ControllerModel::Ssd1306, 0},
                                                             {ControllerModel::Sh1106, 2},
                                                             {ControllerModel::Ssd1309, 1},
                                                             {ControllerModel::Ssd1315, 0}};
  for (const auto& [model, outside_notes] : kModels) {
    host::reset_pins();
    qel::test::fresh_module();
    ControllerOptions options;
    options.model = model;
    Controller controller(options);
    ControllerPins pins(controller);
    host::ScopedPinObserver scope(pins);
    QEL_LCD_Init();
    QEL_LCD_WriteStringValue(text("T="), 25, 10, QEL_LCD_LINE2);
    controller.end_of_trace();

    const char* name = controller.profile().name;
    EXPECT_EQ(controller.diagnostics().size(), outside_notes) << name;
    std::vector<std::uint8_t> page2;
    for (int column = 0; column < 34; ++column) page2.push_back(static_cast<std::uint8_t>(controller.ram(2, column)));
    std::vector<std::uint8_t> expected = {0x00};
    expected.insert(expected.end(), kTEquals25.begin(), kTEquals25.end());
    expected.insert(expected.end(), {0x00, 0x00, 0x00});
    EXPECT_EQ(page2, expected) << name;
    EXPECT_TRUE(controller.picture().lit(4, 16)) << name << ": the display is on";
  }
}

}  // namespace
}  // namespace qel::emu::test
