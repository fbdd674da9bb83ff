// The harness's independent byte counts and command rule, against counts worked
// out by hand.
#include "expected_wire.h"

#include <gtest/gtest.h>

#include <string>

namespace qel::fuzz {
namespace {

std::string every_code() {
  std::string s;
  for (int c = 1; c < 256; ++c) s.push_back(static_cast<char>(c));
  return s;
}

TEST(ExpectedWire, LineOperationsCostTheirBytes) {
  const struct {
    Call call;
    std::size_t commands, data;
  } cases[] = {
      {{CallKind::ClearLine, 0, 0, 0, {}}, 3, 128},
      {{CallKind::ClearLine, 16, 0, 0, {}}, 0, 0},
      {{CallKind::WriteString, 255, 0, 0, "x"}, 0, 0},
      {{CallKind::WriteString, 0, 0, 0, std::nullopt}, 3, 128},
      {{CallKind::WriteString, 3, 0, 0, "A B"}, 12, 140},
      {{CallKind::WriteString, 15, 0, 0, "x"}, 6, 134},
      {{CallKind::WriteString, 7, 0, 0, std::string(25, 'W')}, 78, 278},
      {{CallKind::WriteString, 14, 0, 0, std::string(300, '#')}, 135, 392},  // 44 slots before page 16
      {{CallKind::WriteString, 0, 0, 0, std::string(600, 'M')}, 768, 1658},  // 255 characters at most
      {{CallKind::WriteString, 0, 0, 0, every_code()}, 768, 674},            // glyphs for 33..123 only
      {{CallKind::WriteValue, 1, 4294967295u, 10, {}}, 33, 188},
      {{CallKind::WriteValue, 1, 0xFFFFFFFFu, 16, {}}, 27, 176},
      {{CallKind::WriteValue, 0, 42, 8, {}}, 3, 128},
      {{CallKind::WriteStringValue, 0, 7, 8, "T"}, 9, 134},
      {{CallKind::WriteStringValue, 2, 25, 10, std::nullopt}, 12, 140},
      {{CallKind::WriteStringValue, 2, 0xFFFFFFFFu, 16, std::string(40, 'L')}, 75, 266},
  };
  for (const auto& c : cases) {
    const ByteCount got = expected_count(c.call);
    EXPECT_EQ(got.commands, c.commands) << describe(c.call);
    EXPECT_EQ(got.data, c.data) << describe(c.call);
  }
}

TEST(ExpectedWire, LongLabelsGiveWayToTheDigits) {
  EXPECT_EQ(text_drawn({CallKind::WriteStringValue, 0, 4294967295u, 10, "thirteen char"}), "thirteen char 4294967295");
  EXPECT_EQ(text_drawn({CallKind::WriteStringValue, 0, 4294967295u, 10, "fourteen chars"}), "fourteen char 4294967295");
  EXPECT_EQ(text_drawn({CallKind::WriteStringValue, 0, 0xA000, 16, std::string(30, 'L')}),
            std::string(19, 'L') + " A000");
}

TEST(ExpectedWire, OnlyPageAndColumnAddressesAreAllowedCommands) {
  const struct {
    std::uint8_t byte;
    bool allowed;
  } cases[] = {{0x00, true},  {0x01, true},  {0x10, true},  {0x1F, true},  {0x20, false}, {0x40, false},
               {0x81, false}, {0xAE, false}, {0xAF, false}, {0xB0, true},  {0xB7, true},  {0xBF, true},
               {0xC0, false}, {0xC8, false}, {0xA5, false}, {0x8D, false}, {0xFF, false}};
  for (const auto& c : cases) EXPECT_EQ(is_addressing_command(c.byte), c.allowed) << int{c.byte};
}

}  // namespace
}  // namespace qel::fuzz
