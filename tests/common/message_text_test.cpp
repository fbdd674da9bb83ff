// Quoting of user input in messages: short, escaped, counted.
#include "common/message_text.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace qel::common::test {
namespace {

TEST(MessageText, ExcerptsAreEscapedAndCutAndListsStopAfterTheirLimit) {
  // clang-format off
  const struct { std::string text; std::size_t max; std::string quoted; } cases[] = {
      {"QEL_LCD_Init", 40, "'QEL_LCD_Init'"},
      {std::string("a\0b", 3), 40, "'a\\0b'"},
      {"\xEF\xBB\xBFx", 40, "'\\xEF\\xBB\\xBFx'"},
      {"it's\n", 40, "'it\\'s\\n'"},
      {std::string(10'000'000, 'x'), 5, "'xxxxx...' (10000000 bytes)"},
  };
  // clang-format on
  for (const auto& c : cases) EXPECT_EQ(quoted_excerpt(c.text, c.max), c.quoted);
  // Lists stop after their limit.
  EXPECT_EQ(quoted_list({"D0", "D1"}), "'D0', 'D1'");
  std::vector<std::string> many;
  for (int i = 0; i < 100000; ++i) many.push_back("S" + std::to_string(i));
  EXPECT_EQ(quoted_list(many, 2), "'S0', 'S1' and 99998 more");
}

}  // namespace
}  // namespace qel::common::test
