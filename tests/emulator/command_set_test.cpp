// Which commands each controller of the family has, and how many parameter
// bytes follow them, from the datasheets' command tables.
#include "emulator/command_set.h"

#include <gtest/gtest.h>

#include <array>
#include <vector>

namespace qel::emu::test {
namespace {

constexpr int kNo = -1;  // not in the controller's set

struct ParameterCount {
  std::uint8_t opcode;
  std::array<int, kControllerModels> count;  // SSD1306, SH1106, SSD1309, SSD1315
};

// clang-format off
const std::vector<ParameterCount> kCounts = {
    {0x00, {0, 0, 0, 0}},         {0x1F, {0, 0, 0, 0}},
    {0x20, {1, kNo, 1, 1}},       {0x21, {2, kNo, 2, 2}},       {0x22, {2, kNo, 2, 2}},
    {0x26, {6, kNo, 6, 6}},       {0x27, {6, kNo, 6, 6}},       {0x29, {5, kNo, 5, 5}},
    {0x2A, {5, kNo, 5, 5}},       {0x2E, {0, kNo, 0, 0}},       {0x2F, {0, kNo, 0, 0}},
    {0x28, {kNo, kNo, kNo, kNo}}, {0x30, {kNo, 0, kNo, kNo}},   {0x33, {kNo, 0, kNo, kNo}},
    {0x34, {kNo, kNo, kNo, kNo}}, {0x40, {0, 0, 0, 0}},         {0x7F, {0, 0, 0, 0}},
    {0x81, {1, 1, 1, 1}},         {0x8D, {1, kNo, kNo, 1}},     {0xA0, {0, 0, 0, 0}},
    {0xA3, {2, kNo, 2, 2}},       {0xA8, {1, 1, 1, 1}},         {0xAD, {kNo, 1, kNo, 1}},
    {0xAF, {0, 0, 0, 0}},         {0xB7, {0, 0, 0, 0}},         {0xC0, {0, 0, 0, 0}},
    {0xC3, {kNo, 0, kNo, kNo}},   {0xC8, {0, 0, 0, 0}},         {0xCF, {kNo, 0, kNo, kNo}},
    {0xD3, {1, 1, 1, 1}},         {0xD5, {1, 1, 1, 1}},         {0xD9, {1, 1, 1, 1}},
    {0xDA, {1, 1, 1, 1}},         {0xDB, {1, 1, 1, 1}},         {0xE0, {kNo, 0, kNo, kNo}},
    {0xE3, {0, 0, 0, 0}},         {0xEE, {kNo, 0, kNo, kNo}},   {0xFD, {kNo, kNo, 1, kNo}},
    {0xFB, {kNo, kNo, kNo, kNo}}, {0xFF, {kNo, kNo, kNo, kNo}},
};
// clang-format on

TEST(CommandSet, EachControllerHasItsCommandsWithTheirParameterCounts) {
  for (const ParameterCount& row : kCounts) {
    for (int m = 0; m < kControllerModels; ++m) {
      const Profile& profile = profile_of(static_cast<ControllerModel>(m));
      const int count = command_parameter_count(profile, row.opcode).value_or(kNo);
      EXPECT_EQ(count, row.count[static_cast<std::size_t>(m)])
          << profile.name << " opcode 0x" << std::hex << int{row.opcode};
    }
  }
}

}  // namespace
}  // namespace qel::emu::test
