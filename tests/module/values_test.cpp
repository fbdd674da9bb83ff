// Value lines: the text QEL_LCD_WriteValue and QEL_LCD_WriteStringValue show, read
// back from the decoded wire.
#include <gtest/gtest.h>

#include <optional>
#include <string>

#include "shown_text.h"

namespace qel::test {
namespace {

using ValuesTest = ShownTextTest;

TEST_F(ValuesTest, WriteValueShowsDigitsWithoutLeadingZeros) {
  // clang-format off
  const struct { std::uint32_t value; std::uint8_t base; const char* shown; } cases[] = {
      {0, 10, "0"},
      {10001, 10, "10001"},
      {100000000, 10, "100000000"},
      {100010000, 10, "100010000"},
      {4294967295u, 10, "4294967295"},
      {0, 16, "0"},
      {0xA000, 16, "A000"},
      {0x1000F, 16, "1000F"},
      {0x12345678, 16, "12345678"},
      {0xFFFFFFFF, 16, "FFFFFFFF"},
      {1234, 8, ""},  // unsupported bases: a blank line
      {1234, 0, ""},
  };
  // clang-format on
  for (const auto& c : cases) {
    QEL_LCD_WriteValue(c.value, c.base, 3);
    EXPECT_TRUE(shows(c.shown, 3)) << c.value << " in base " << int{c.base};
  }
}

TEST_F(ValuesTest, WriteStringValueShowsLabelSpaceAndValue) {
  const struct {
    std::optional<std::string> label;  // nullopt: NULL
    std::uint32_t value;
    std::uint8_t base;
    const char* shown;
  } cases[] = {
      {"T=", 25, 10, "T= 25"},  // '2' in the fourth cell, sent from column 19
      {"T", 25, 8, "T "},
      {"T=", 0x12345678, 16, "T= 12345678"},
      {"", 7, 10, " 7"},
      {std::nullopt, 25, 10, " 25"},
      {"ABCDEFGHIJKLM", 4294967295u, 10, "ABCDEFGHIJKLM 42949672|95"},  // 24 fit; the last two go on the next line
      // Too long: the label gives way so that every digit is still shown.
      {"ABCDEFGHIJKLMNOPQRST", 4294967295u, 10, "ABCDEFGHIJKLM 42949672|95"},
      {"ABCDEFGHIJKLMNOPQRST", 0xFFFFFFFF, 16, "ABCDEFGHIJKLMNO FFFFFF|FF"},
      {"ABCDEFGHIJKLMNOPQRSTUVWXYZ", 1, 7, "ABCDEFGHIJKLMNOPQRSTUV|W "},
      {std::string(300, 'x'), 4294967295u, 10, "xxxxxxxxxxxxx 42949672|95"},
  };
  for (const auto& c : cases) {
    QEL_LCD_WriteStringValue(c.label ? text(c.label->c_str()) : nullptr, c.value, c.base, 2);
    EXPECT_TRUE(shows(c.shown, 2)) << c.label.value_or("NULL") << " " << c.value;
  }
}

}  // namespace
}  // namespace qel::test
