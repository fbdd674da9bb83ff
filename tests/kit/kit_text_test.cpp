// Text read back from the panel: every glyph, codes without one, wrapping at the
// right edge, trailing spaces, the snprintf-style result and the panel options.
#include <string>

#include "kit_fixture.h"

namespace qel::kit_test {
namespace {

using TextReadBack = KitTest;

// Every code with a glyph, 21 to a line, reads back as itself.
TEST_F(TextReadBack, EveryGlyphReadsAsItsCharacter) {
  std::string all;
  for (int code = 33; code <= 123; ++code) all.push_back(static_cast<char>(code));
  for (std::size_t start = 0; start < all.size(); start += 21) {
    const std::string chunk = all.substr(start, 21);
    QEL_LCD_WriteString(text(chunk.c_str()), 3);
    EXPECT_EQ(line(3), chunk);
  }
}

// Codes without a glyph take a cell and leave it blank; trailing blanks are dropped.
TEST_F(TextReadBack, WrittenLinesReadBack) {
  // clang-format off
  const struct { const char *written, *read; } cases[] = {
      {"Sensor ready", "Sensor ready"},
      {"AB   ", "AB"},
      {"  A", "  A"},
      {"     ", ""},
      {"A\x01\x1F" "B", "A  B"},
      {"A|}~\x7F\xFF" "B", "A     B"},  // codes from 124
      {"{", "{"},  // two bars
      {"?", "?"},
  };
  // clang-format on
  for (const auto& c : cases) {
    QEL_LCD_WriteString(text(c.written), 5);
    EXPECT_EQ(line(5), c.read) << c.written;
  }
}

// Like snprintf: at most size - 1 characters and a NUL, the full length returned.
TEST_F(TextReadBack, ResultIsFullLengthWhateverTheBuffer) {
  QEL_LCD_WriteString(text("Hello"), 0);
  char buf[4] = {'x', 'x', 'x', 'x'};
  EXPECT_EQ(qel_panel_line_text(0, buf, sizeof buf), 5U);
  EXPECT_STREQ(buf, "Hel");
  EXPECT_EQ(qel_panel_line_text(0, buf, 0), 5U);
  EXPECT_STREQ(buf, "Hel") << "size 0 writes nothing";
  EXPECT_EQ(qel_panel_line_text(0, nullptr, 0), 5U);
  EXPECT_EQ(qel_panel_line_text(8, buf, sizeof buf), 0U);
  EXPECT_STREQ(buf, "");
}

// A cell that is not a glyph reads as '?': the 22nd character's overhang lands in
// cell 0 when the page wraps to column 0 (V's first column, blank, stays at the
// edge), and on the edge column otherwise (V's last column, lit, stays there).
TEST(PanelOptions, ColumnWrapAndNoiseRam) {
  for (const auto& [column_wrap_zero, line0] : {std::pair{0, "ABCDEFGHIJKLMNOPQRSTU?"}, {1, "?BCDEFGHIJKLMNOPQRSTU"}}) {
    qel_panel_options options = {};
    options.column_wrap_zero = column_wrap_zero;
    qel_panel_reset(&options);
    QEL_LCD_Init();
    QEL_LCD_WriteString(text("ABCDEFGHIJKLMNOPQRSTUV"), 0);
    EXPECT_EQ(line(0), line0) << "column_wrap_zero " << column_wrap_zero;
  }
  // Noise RAM reads as unknown cells until the module blanks the panel.
  qel_panel_options options = {};
  options.noise_ram = 1;
  qel_panel_reset(&options);
  EXPECT_NE(line(2).find('?'), std::string::npos);
  QEL_LCD_Init();
  for (unsigned n = 0; n < 8; ++n) EXPECT_EQ(line(n), "") << "line " << n;
}

// The controller and glass a test chooses: the panel shows the module's text
// where that glass shows RAM, and a name the kit does not know keeps the old panel.
TEST(KitPanelChoice, ControllerAndGlassAsATestNamesThem) {
  // clang-format off
  const struct {
    const char *controller, *glass;
    int lit_x;                // the column where "H"'s first lit column shows on line 2; -1: not checked
    unsigned width, height;   // what the readers show
    const char* error;        // part of qel_panel_error() when the reset is refused
  } cases[] = {
      {nullptr, nullptr, 2, 128, 64, nullptr},
      {"", "", 2, 128, 64, nullptr},
      {"sh1106", nullptr, 0, 128, 64, nullptr},     // the glass starts at RAM column 2
      {"ssd1306", "128x32", -1, 128, 32, nullptr},  // the module's 128x64 start-up scrambles its rows
      {"nope", nullptr, 2, 128, 64, "qel_panel_options.controller 'nope' is not a controller"},
      {nullptr, "64x48+200", 2, 128, 64, "qel_panel_options.glass '64x48+200' does not fit"},
  };
  // clang-format on
  for (const auto& c : cases) {
    qel_panel_reset(nullptr);
    qel_panel_options options{};
    options.controller = c.controller;
    options.glass = c.glass;
    qel_panel_reset(&options);
    if (c.error != nullptr) {
      EXPECT_NE(std::string(qel_panel_error()).find(c.error), std::string::npos) << qel_panel_error();
    }
    QEL_LCD_Init();
    QEL_LCD_WriteString(text("Hi"), 2);
    if (c.lit_x >= 0) {
      EXPECT_EQ(qel_panel_pixel(static_cast<unsigned>(c.lit_x), 16), 1) << (c.controller ? c.controller : "-");
    }
    EXPECT_TRUE(qel_panel_pixel(c.width - 1, c.height - 1) == 0 && qel_panel_pixel(c.width, 0) == -1 &&
                qel_panel_pixel(0, c.height) == -1);
    EXPECT_EQ(line(2), "Hi");
  }
  qel_panel_close();
}

}  // namespace
}  // namespace qel::kit_test
