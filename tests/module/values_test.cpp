// Value lines: the text QEL_LCD_WriteValue and QEL_LCD_WriteStringValue show, read
// back from the decoded wire, and the private digit routine for the bases the
// public operations never use.
#include <gtest/gtest.h>

#include <map>
#include <string>

#include "module_fixture.h"
#include "shown_text.h"

namespace qel::test {
namespace {

class ValuesTest : public ModuleTest {
 protected:
  void SetUp() override {
    ModuleTest::SetUp();
    init();
    // Learn each glyph once, so shown slots can be read back as characters.
    for (int code = 33; code <= 123; ++code) {
      const char s[2] = {static_cast<char>(code), 0};
      wire.clear();
      QEL_LCD_WriteString(text(s), 0);
      glyphs_[parse_line_write(wire.bytes()).slots.at(0).glyph] = static_cast<char>(code);
    }
    wire.clear();
  }

  // The text shown by the last call: blank slots read as spaces; a new page as '|'.
  std::string shown() {
    const LineWrite w = parse_line_write(wire.bytes());
    EXPECT_TRUE(w.blanked);
    EXPECT_EQ(w.error, "");
    std::string out;
    for (std::size_t i = 0; i < w.slots.size(); ++i) {
      if (i > 0 && w.slots[i].page_cmd != w.slots[i - 1].page_cmd) out += '|';
      out += w.slots[i].drawn ? glyphs_.at(w.slots[i].glyph) : ' ';
    }
    wire.clear();
    return out;
  }

 private:
  std::map<std::array<std::uint8_t, 6>, char> glyphs_;
};

struct ValueCase {
  std::uint32_t value;
  std::uint8_t base;
  const char* shown;
};

TEST_F(ValuesTest, WriteValueShowsDigitsWithoutLeadingZeros) {
  const ValueCase cases[] = {
      {0, 10, "0"},
      {9999, 10, "9999"},
      {10000, 10, "10000"},
      {10001, 10, "10001"},
      {100000000, 10, "100000000"},
      {100010000, 10, "100010000"},
      {400000000, 10, "400000000"},
      {4294967295u, 10, "4294967295"},
      {0, 16, "0"},
      {0xFF, 16, "FF"},
      {0xA000, 16, "A000"},
      {0x10000, 16, "10000"},
      {0x1000F, 16, "1000F"},
      {0x12345678, 16, "12345678"},
      {0xFFFFFFFF, 16, "FFFFFFFF"},
      {1234, 8, ""},  // unsupported bases: blank line, nothing drawn
      {1234, 2, ""},
      {1234, 0, ""},
  };
  for (const ValueCase& c : cases) {
    QEL_LCD_WriteValue(c.value, c.base, 3);
    EXPECT_EQ(shown(), c.shown) << c.value << " in base " << int(c.base);
  }
}

struct LabelCase {
  const char* label;  // nullptr: NULL label
  std::uint32_t value;
  std::uint8_t base;
  const char* shown;
};

TEST_F(ValuesTest, WriteStringValueShowsLabelSpaceAndValue) {
  const LabelCase cases[] = {
      {"T=", 25, 10, "T= 25"},
      {"T", 25, 8, "T "},
      {"T=", 0x12345678, 16, "T= 12345678"},
      {"", 7, 10, " 7"},
      {nullptr, 25, 10, " 25"},
      // 24 characters fit the buffer; the last two spill onto the next line.
      {"ABCDEFGHIJKLM", 4294967295u, 10, "ABCDEFGHIJKLM 42949672|95"},
      // Too long: the label gives way so that every digit is still shown.
      {"ABCDEFGHIJKLMNOPQRST", 4294967295u, 10, "ABCDEFGHIJKLM 42949672|95"},
      {"ABCDEFGHIJKLMNOPQRST", 0xFFFFFFFF, 16, "ABCDEFGHIJKLMNO FFFFFF|FF"},
      {"ABCDEFGHIJKLMNOPQRSTUVWXYZ", 1, 7, "ABCDEFGHIJKLMNOPQRSTUV|W "},
  };
  for (const LabelCase& c : cases) {
    QEL_LCD_WriteStringValue(c.label ? text(c.label) : nullptr, c.value, c.base, 2);
    EXPECT_EQ(shown(), c.shown) << (c.label ? c.label : "NULL") << " " << c.value;
  }
}

TEST_F(ValuesTest, LabelOfHundredsOfCharactersIsShortened) {
  const std::string label(300, 'x');
  QEL_LCD_WriteStringValue(text(label.c_str()), 4294967295u, 10, 0);
  EXPECT_EQ(shown(), std::string(13, 'x') + " 42949672|95");
}

TEST_F(ValuesTest, LabelValueLineCostsBlankingAndFiveSlots) {
  QEL_LCD_WriteStringValue(text("T="), 25, 10, 2);
  const auto bytes = wire.bytes();
  EXPECT_EQ(bytes.size(), 170u);
  const LineWrite w = parse_line_write(bytes);
  ASSERT_EQ(w.slots.size(), 5u);
  EXPECT_EQ(w.slots[3].column, 19);  // '2' at x = 18, sent from column 19
}

TEST(DigitRoutineTest, AnyBaseFromTwo) {
  EXPECT_EQ(module_itoa(0xFFFFFFFF, 2), std::string(32, '1'));
  EXPECT_EQ(module_itoa(255, 16), "FF");
  EXPECT_EQ(module_itoa(35, 36), "Z");
  for (std::uint8_t base : {2, 10, 16}) EXPECT_EQ(module_itoa(0, base), "0");
}

}  // namespace
}  // namespace qel::test
