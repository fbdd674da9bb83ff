// String lines: what QEL_LCD_WriteString and QEL_LCD_ClearLine show, read back
// from the decoded wire; and the font, glyph by glyph.
#include <gtest/gtest.h>

#include <optional>
#include <string>

#include "shown_text.h"

namespace qel::test {
namespace {

// The font as its reference table gives it: codes 32 to 123, each glyph's six
// column bytes in hex, column 0 first.
const char* const kFont[92] = {
    "000000000000", "0000002F0000", "000007000700", "00147F147F14", "00242A7F2A12", "006264081323", "003649552250",
    "000005030000", "00001C224100", "000041221C00", "0014083E0814", "0008083E0808", "000000A06000", "000808080808",
    "000060600000", "002010080402", "003E5149453E", "0000427F4000", "004261514946", "002141454B31", "001814127F10",
    "002745454539", "003C4A494930", "000171090503", "003649494936", "00064949291E", "000036360000", "000056360000",
    "000814224100", "001414141414", "000041221408", "000201510906", "00324959513E", "007C1211127C", "007F49494936",
    "003E41414122", "007F4141221C", "007F49494941", "007F09090901", "003E4149497A", "007F0808087F", "0000417F4100",
    "002040413F01", "007F08142241", "007F40404040", "007F020C027F", "007F0408107F", "003E4141413E", "007F09090906",
    "003E4151215E", "007F09192946", "004649494931", "0001017F0101", "003F4040403F", "001F2040201F", "003F4038403F",
    "006314081463", "000708700807", "006151494543", "00007F414100", "00552A552A55", "000041417F00", "000402010204",
    "004040404040", "000001020400", "002054545478", "007F48444438", "003844444420", "00384444487F", "003854545418",
    "00087E090102", "0018A4A4A47C", "007F08040478", "0000447D4000", "004080847D00", "007F10284400", "0000417F4000",
    "007C04180478", "007C08040478", "003844444438", "00FC24242418", "0018242418FC", "007C08040408", "004854545420",
    "00043F444020", "003C4040207C", "001C2040201C", "003C4030403C", "004428102844", "001CA0A0A07C", "004464544C44",
    "141414141414",
};

std::string hex(const Glyph& glyph) {
  static const char kDigits[] = "0123456789ABCDEF";
  std::string out;
  for (std::uint8_t b : glyph) out += {kDigits[b >> 4], kDigits[b & 0xF]};
  return out;
}

using TextTest = ShownTextTest;

TEST_F(TextTest, EveryGlyphMatchesTheFont) {
  for (int code = 32; code <= 123; ++code) EXPECT_EQ(hex(font_[code - 32]), kFont[code - 32]) << code;
}

const std::string k22(22, 'x');

// 11 pages of 22 characters and 13 more: at most 255 characters.
const std::string k255 = [] {
  std::string s;
  for (int page = 0; page < 11; ++page) s += k22 + "|";
  return s + std::string(13, 'x');
}();

// A line is blanked, then filled cell after cell from that line on.
TEST_F(TextTest, StringsShowCellAfterCell) {
  // clang-format off
  const struct { std::optional<std::string> text; std::uint8_t line; std::string shown; } cases[] = {  // nullopt: NULL
      {"", 4, ""},
      {std::nullopt, 5, ""},
      {"A B", 3, "A B"},  // a space keeps its cell
      {"\x01\x1f\x7c\x7f\x80\xff{", 0, "      {"},  // so do codes without a glyph
      {k22, 7, k22},
      {k22 + "y", 0, k22 + "|y"},  // the 23rd wraps to the next page
      {k22 + "yyy", 7, k22 + "|yyy"},  // line 7 continues on page 8
      {k22 + "yyy", 15, k22},  // line 15 stops before page 16
      {std::string(600, 'x'), 0, k255},
  };
  // clang-format on
  for (const auto& c : cases) {
    QEL_LCD_WriteString(c.text ? text(c.text->c_str()) : nullptr, c.line);
    EXPECT_TRUE(shows(c.shown, c.line)) << c.text.value_or("NULL") << " on line " << int{c.line};
  }
}

TEST_F(TextTest, ClearLineSendsOnlyTheBlanking) {
  QEL_LCD_ClearLine(6);
  EXPECT_TRUE(shows("", 6));
}

// Pages 16 and up would turn the page byte into another command (0xC0 flips the scan).
TEST_F(TextTest, LinesFromSixteenSendNothing) {
  for (std::uint8_t line : {16, 24, 30, 255}) {
    QEL_LCD_ClearLine(line);
    QEL_LCD_WriteString(text("abc"), line);
    QEL_LCD_WriteValue(12345, 10, line);
    QEL_LCD_WriteStringValue(text("T="), 7, 16, line);
  }
  EXPECT_TRUE(wire.bytes().empty());
}

}  // namespace
}  // namespace qel::test
