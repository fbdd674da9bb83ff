#include "expected_wire.h"

#include <algorithm>
#include <cassert>
#include <cstdio>

namespace qel::fuzz {

namespace {

constexpr std::size_t kBlankingCommands = 3;  // page, column low, column high
constexpr std::size_t kBlankingData = 128;
constexpr std::size_t kPositionCommands = 3;
constexpr std::size_t kGlyphColumns = 6;
constexpr std::size_t kSlotsPerLine = 22;
constexpr std::size_t kMaxCharacters = 255;
constexpr unsigned kFirstCommandPage = 16;  // 0xB0 + 16 is no longer a page address
constexpr std::size_t kTextRoom = 24;       // label, space and digits of a value line

bool has_glyph(unsigned char c) { return c >= 33 && c <= 123; }

std::string digits(std::uint32_t value, std::uint8_t base) {
  char text[16] = "";
  if (base == 10) std::snprintf(text, sizeof text, "%lu", static_cast<unsigned long>(value));
  if (base == 16) std::snprintf(text, sizeof text, "%lX", static_cast<unsigned long>(value));
  return text;
}

}  // namespace

bool is_addressing_command(std::uint8_t byte) { return byte <= 0x1F || (byte >= 0xB0 && byte <= 0xBF); }

std::string text_drawn(const Call& call) {
  switch (call.kind) {
    case CallKind::WriteString:
      return call.text.value_or("");
    case CallKind::WriteValue:
      return digits(call.value, call.base);
    case CallKind::WriteStringValue: {
      // The label gives way so that every digit is shown.
      const std::string number = digits(call.value, call.base);
      const std::string label = call.text.value_or("").substr(0, kTextRoom - 1 - number.size());
      return label + " " + number;
    }
    case CallKind::ClearLine:
    case CallKind::Init:
    case CallKind::InitOpenFails:
      return "";
  }
  return "";
}

std::size_t slots_rendered(const Call& call) {
  if (call.line >= kFirstCommandPage) return 0;
  const std::size_t room = (kFirstCommandPage - call.line) * kSlotsPerLine;
  return std::min({text_drawn(call).size(), kMaxCharacters, room});
}

ByteCount expected_count(const Call& call) {
  assert(call.takes_line());
  ByteCount count;
  if (call.line >= kFirstCommandPage) return count;

  const std::string text = text_drawn(call);
  const auto slots = slots_rendered(call);
  const auto drawn = std::count_if(text.begin(), text.begin() + static_cast<std::ptrdiff_t>(slots),
                                   [](char c) { return has_glyph(static_cast<unsigned char>(c)); });
  count.commands = kBlankingCommands + kPositionCommands * slots;
  count.data = kBlankingData + kGlyphColumns * static_cast<std::size_t>(drawn);
  return count;
}

}  // namespace qel::fuzz
