// String lines: what QEL_LCD_WriteString and QEL_LCD_ClearLine send, checked on the
// decoded wire; and the font, glyph by glyph.
#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

#include "module_fixture.h"
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

std::uint32_t fnv1a(const std::array<std::uint8_t, 6>& bytes) {
  std::uint32_t h = 0x811C9DC5u;
  for (std::uint8_t b : bytes) h = (h ^ b) * 0x01000193u;
  return h;
}

// A glyph as 8 text rows of '#' and '.', top row first.
std::vector<std::string> art(const std::array<std::uint8_t, 6>& glyph) {
  std::vector<std::string> rows(8, std::string(6, '.'));
  for (int col = 0; col < 6; ++col)
    for (int row = 0; row < 8; ++row)
      if (glyph[col] & (1u << row)) rows[row][col] = '#';
  return rows;
}

class TextTest : public ModuleTest {
 protected:
  LineWrite write(const std::string& s, std::uint8_t line) {
    wire.clear();
    QEL_LCD_WriteString(text(s.c_str()), line);
    LineWrite w = parse_line_write(wire.bytes());
    EXPECT_EQ(w.error, "");
    return w;
  }
};

TEST_F(TextTest, EveryGlyphMatchesTheFont) {
  init();
  for (int code = 32; code <= 123; ++code) {
    const LineWrite w = write(std::string(1, static_cast<char>(code)), 0);
    ASSERT_EQ(w.slots.size(), 1u);
    EXPECT_EQ(w.slots[0].drawn, code != 32);  // the space draws nothing: its glyph is blank
    const auto glyph = w.slots[0].glyph;
    EXPECT_EQ(fnv1a(glyph), kGlyphHash[code - 32]) << "glyph of code " << code;
  }
}

TEST_F(TextTest, GlyphsLookLikeTheirCharacters) {
  init();
  const std::map<char, std::vector<std::string>> expected = {
      {'T', {".#####", "...#..", "...#..", "...#..", "...#..", "...#..", "...#..", "......"}},
      {'A', {"...#..", "..#.#.", ".#...#", ".#...#", ".#####", ".#...#", ".#...#", "......"}},
      {'2', {"..###.", ".#...#", ".....#", "....#.", "...#..", "..#...", ".#####", "......"}},
      {'{', {"......", "......", "######", "......", "######", "......", "......", "......"}},
  };
  for (const auto& [ch, rows] : expected) {
    const LineWrite w = write(std::string(1, ch), 1);
    ASSERT_EQ(w.slots.size(), 1u);
    EXPECT_EQ(art(w.slots[0].glyph), rows) << "character " << ch;
  }
}

struct PlacementCase {
  const char* name;
  std::string text;
  std::uint8_t line;
  // Expected slots: page byte, column, drawn.
  std::vector<std::tuple<std::uint8_t, int, bool>> slots;
  friend void PrintTo(const PlacementCase& c, std::ostream* os) { *os << c.name; }
};

class PlacementTest : public TextTest, public ::testing::WithParamInterface<PlacementCase> {};

TEST_P(PlacementTest, BlanksTheLineThenPlacesEachSlot) {
  init();
  const PlacementCase& c = GetParam();
  const LineWrite w = write(c.text, c.line);
  EXPECT_TRUE(w.blanked);
  EXPECT_EQ(w.blanked_page_cmd, 0xB0 + c.line);
  ASSERT_EQ(w.slots.size(), c.slots.size());
  for (std::size_t i = 0; i < c.slots.size(); ++i) {
    const auto& [page, column, drawn] = c.slots[i];
    EXPECT_EQ(w.slots[i].page_cmd, page) << "slot " << i;
    EXPECT_EQ(w.slots[i].column, column) << "slot " << i;
    EXPECT_EQ(w.slots[i].drawn, drawn) << "slot " << i;
  }
}

std::vector<std::tuple<std::uint8_t, int, bool>> run(std::uint8_t page, int first, int count) {
  std::vector<std::tuple<std::uint8_t, int, bool>> out;
  for (int k = 0; k < count; ++k) out.emplace_back(page, ((first + 6 * k) | 1), true);
  return out;
}

std::vector<std::tuple<std::uint8_t, int, bool>> join(std::vector<std::tuple<std::uint8_t, int, bool>> a,
                                                      const std::vector<std::tuple<std::uint8_t, int, bool>>& b) {
  a.insert(a.end(), b.begin(), b.end());
  return a;
}

INSTANTIATE_TEST_SUITE_P(
    Strings, PlacementTest,
    ::testing::Values(
        PlacementCase{"Empty", "", 4, {}},
        PlacementCase{"SpaceKeepsItsSlot", "A B", 3, {{0xB3, 1, true}, {0xB3, 7, false}, {0xB3, 13, true}}},
        PlacementCase{"CodesWithoutGlyph",
                      "\x01\x1f\x7c\x7f\x80\xff{",
                      0,
                      {{0xB0, 1, false},
                       {0xB0, 7, false},
                       {0xB0, 13, false},
                       {0xB0, 19, false},
                       {0xB0, 25, false},
                       {0xB0, 31, false},
                       {0xB0, 37, true}}},
        PlacementCase{"TwentySecondCharacterAtLastColumn", std::string(22, 'x'), 7, run(0xB7, 0, 22)},
        PlacementCase{"TwentyThirdWrapsToNextPage", std::string(23, 'x'), 0, join(run(0xB0, 0, 22), run(0xB1, 0, 1))},
        PlacementCase{"LineSevenContinuesOnPageEight", std::string(25, 'x'), 7,
                      join(run(0xB7, 0, 22), run(0xB8, 0, 3))},
        PlacementCase{"LineFifteenStopsBeforePageSixteen", std::string(30, 'x'), 15, run(0xBF, 0, 22)}),
    [](const auto& info) { return info.param.name; });

TEST_F(TextTest, ClearLineSendsOnlyTheBlanking) {
  init();
  QEL_LCD_ClearLine(0);
  EXPECT_EQ(wire.bytes(), blanking(0xB0));
}

TEST_F(TextTest, NullStringBlanksTheLine) {
  init();
  QEL_LCD_WriteString(nullptr, 5);
  EXPECT_EQ(wire.bytes(), blanking(0xB5));
}

// Pages 16 and up would turn the page byte into another command (0xC0 flips the scan).
TEST_F(TextTest, LinesFromSixteenSendNothing) {
  init();
  for (std::uint8_t line : {16, 24, 30, 255}) {
    QEL_LCD_ClearLine(line);
    QEL_LCD_WriteString(text("abc"), line);
    QEL_LCD_WriteValue(12345, 10, line);
    QEL_LCD_WriteStringValue(text("T="), 7, 16, line);
  }
  EXPECT_TRUE(wire.bytes().empty());
}

TEST_F(TextTest, StopsAfter255Characters) {
  init();
  const LineWrite w = write(std::string(600, 'x'), 0);
  ASSERT_EQ(w.slots.size(), 255u);
  EXPECT_EQ(w.slots.back().page_cmd, 0xB0 + 254 / 22);
  EXPECT_EQ(w.slots.back().column, (254 % 22) * 6 + 1);
}

}  // namespace
}  // namespace qel::test
