// String lines: what QEL_LCD_WriteString and QEL_LCD_ClearLine show, read back
// from the decoded wire; and the font, glyph by glyph.
#include <gtest/gtest.h>

#include <optional>
#include <string>

#include "shown_text.h"

namespace qel::test {
namespace {

// FNV-1a of each glyph's six column bytes, codes 32 to 123 in order.
const std::uint32_t kGlyphHash[92] = {
    0x7F77879D, 0xE187D188, 0x00FA39A5, 0xFBDBD7B1, 0x055D1ED6, 0x04957229, 0xAFDFEDF3, 0xAB4E6629, 0x78907202,
    0x2D2897DE, 0xACB6F313, 0xDC9A66D3, 0xEF96C5DD, 0x8AC0FC85, 0x9D193C1D, 0xB4501E9B, 0x8DE48D42, 0x884FFA76,
    0xC28DA082, 0x5C51CE5C, 0xF9A552AC, 0x767CDF30, 0x4E60A921, 0xFF1BB65C, 0x2F3C8ADE, 0xE79660F6, 0x7267DBBD,
    0x1B7D081D, 0x06C0AC12, 0x722F1951, 0x0514D12E, 0xE8B520A2, 0x9CED7B52, 0x3455929E, 0x017A34D1, 0xE57C55FA,
    0x1D9E74E0, 0x727AE6B4, 0x6078F634, 0xF49E8E62, 0x9931A055, 0x8F0E83C0, 0x1B29FE12, 0xCBD62FE9, 0xF54C5620,
    0x56DE7151, 0xB0932351, 0xC97C29E6, 0x5F78F4A1, 0x9B604256, 0xCE3311B1, 0x06311087, 0x379E0B20, 0x7FC39C8D,
    0x9BC1CA0D, 0x537822A5, 0xF8DF5BE5, 0x582B425D, 0xF2F3275C, 0x5CBF5234, 0xBC129612, 0xCF77DF40, 0x0E5121EE,
    0xAD67D9DD, 0x452298C6, 0x64367809, 0xB23EF338, 0xB373E299, 0x0C90F0C8, 0x8E9793D1, 0x0A5C134B, 0x71C205ED,
    0xACE426B8, 0x43D84A72, 0x6DF1F214, 0x5F6938CC, 0xB510FE29, 0xBA2E5349, 0x7E160CF1, 0xCB740861, 0x2F58500D,
    0x674FFE71, 0x2E158F01, 0x208C3EB9, 0xD40EA7AA, 0x3B20B6DD, 0xC246403D, 0x102E338D, 0x38642A9D, 0x96A2CABD,
    0x9CFBC579, 0x7E694A15,
};

std::uint32_t fnv1a(const Glyph& bytes) {
  std::uint32_t h = 0x811C9DC5u;
  for (std::uint8_t b : bytes) h = (h ^ b) * 0x01000193u;
  return h;
}

using TextTest = ShownTextTest;

TEST_F(TextTest, EveryGlyphMatchesTheFont) {
  for (int code = 32; code <= 123; ++code) EXPECT_EQ(fnv1a(font_[code - 32]), kGlyphHash[code - 32]) << code;
}

const std::string k22(22, 'x');

// Text, line, and what shows from that line on.
struct StringCase {
  const char* name;
  std::optional<std::string> text;  // nullopt: NULL
  std::uint8_t line;
  std::string shown;
  friend void PrintTo(const StringCase& c, std::ostream* os) { *os << c.name; }
};

class StringTest : public TextTest, public ::testing::WithParamInterface<StringCase> {};

TEST_P(StringTest, BlanksTheLineThenFillsCellAfterCell) {
  const StringCase& c = GetParam();
  QEL_LCD_WriteString(c.text ? text(c.text->c_str()) : nullptr, c.line);
  EXPECT_TRUE(shows(c.shown, c.line));
}

INSTANTIATE_TEST_SUITE_P(Strings, StringTest,
                         ::testing::Values(StringCase{"Empty", "", 4, ""}, StringCase{"Null", std::nullopt, 5, ""},
                                           StringCase{"SpaceKeepsItsCell", "A B", 3, "A B"},
                                           StringCase{"CodesWithoutGlyphKeepTheirCells", "\x01\x1f\x7c\x7f\x80\xff{", 0,
                                                      "      {"},
                                           StringCase{"TwentyTwoFillTheLine", k22, 7, k22},
                                           StringCase{"TwentyThirdWrapsToTheNextPage", k22 + "y", 0, k22 + "|y"},
                                           StringCase{"LineSevenContinuesOnPageEight", k22 + "yyy", 7, k22 + "|yyy"},
                                           StringCase{"LineFifteenStopsBeforePageSixteen", k22 + "yyy", 15, k22},
                                           StringCase{"AtMost255Characters", std::string(600, 'x'), 0,
                                                      [] {
                                                        std::string s;
                                                        for (int page = 0; page < 11; ++page) s += k22 + "|";
                                                        return s + std::string(13, 'x');  // 11 * 22 + 13 = 255
                                                      }()}),
                         [](const auto& info) { return std::string(info.param.name); });

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
