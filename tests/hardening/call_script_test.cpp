// The fuzz input format: what a given input means, and that written scripts read back.
#include "call_script.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace qel::fuzz {
namespace {

std::vector<std::string> described(const std::vector<std::uint8_t>& input) {
  std::vector<std::string> out;
  for (const Call& c : read_calls(input.data(), input.size())) out.push_back(describe(c));
  return out;
}

TEST(CallScript, InputsReadAsCalls) {
  const struct {
    std::vector<std::uint8_t> input;
    std::vector<std::string> calls;
  } cases[] = {
      {{}, {}},
      {{0x00, 0x10, 0x01}, {"Init", "Init", "Init (PIN_open fails)"}},
      {{0x06, 0x07}, {"ClearLine(line 7)"}},
      {{0x09, 0x09, 0x78, 0x56, 0x34, 0x12, 0x10}, {"WriteValue(line 9, value 305419896, base 16)"}},
      {{0x02, 0x00, 0xFF, 0xFF}, {"WriteString(line 0, NULL text)"}},
      {{0x02, 0x01, 0x03, 0x00, 'a', 0x00, 'b', 0x08, 0x02},
       {"WriteString(line 1, 1-character text)", "ClearLine(line 2)"}},
      {{0x02, 0x00, 0x5B, 0x02, 'a', 'b'}, {"WriteString(line 0, 2-character text)"}},  // 603 % 601
      {{0x0F}, {"WriteStringValue(line 0, value 0, base 0, 0-character text)"}},
  };
  for (const auto& c : cases) EXPECT_EQ(described(c.input), c.calls);
}

TEST(CallScript, StopsAfterTheLastAllowedCall) {
  const std::vector<std::uint8_t> input(kMaxCalls + 10, 0x00);
  EXPECT_EQ(read_calls(input.data(), input.size()).size(), kMaxCalls);
}

TEST(CallScript, WrittenScriptsReadBack) {
  std::string every_code;
  for (int c = 1; c < 256; ++c) every_code.push_back(static_cast<char>(c));
  const std::vector<Call> calls = {
      {CallKind::InitOpenFails, 0, 0, 0, std::nullopt},
      {CallKind::WriteString, 255, 0, 0, every_code},
      {CallKind::WriteStringValue, 3, 0xFFFFFFFFu, 16, std::nullopt},
      {CallKind::WriteStringValue, 4, 7, 10, std::string(kMaxTextLength, 'x')},
      {CallKind::WriteValue, 200, 0x80000001u, 0, std::nullopt},
  };
  const std::vector<std::uint8_t> input = write_calls(calls);
  const std::vector<Call> back = read_calls(input.data(), input.size());
  ASSERT_EQ(back.size(), calls.size());
  for (std::size_t i = 0; i < calls.size(); ++i) {
    EXPECT_EQ(describe(back[i]), describe(calls[i]));
    EXPECT_EQ(back[i].text, calls[i].text);
  }
}

}  // namespace
}  // namespace qel::fuzz
