#include "expected_wire.h"

#include <algorithm>
#include <cassert>
#include <cstdio>

namespace qel::fuzz {

namespace {

// Controller set-up sent straight after reset, in order.
const std::uint8_t kSetup[] = {0xAE, 0x00, 0x10, 0x40, 0x81, 0xCF, 0xA1, 0xC8, 0xA6, 0xA8, 0x3F, 0xD3, 0x00, 0xD5,
                               0x80, 0xD9, 0xF1, 0xDA, 0x12, 0xDB, 0x40, 0x20, 0x02, 0x8D, 0x14, 0xA4, 0xA6, 0xAF};

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

const std::vector<sim::WireByte>& startup_bytes() {
  static const std::vector<sim::WireByte> bytes = [] {
    std::vector<sim::WireByte> out;
    for (std::uint8_t b : kSetup) out.push_back({b, false});
    for (std::uint8_t page = 0; page < 8; ++page) {
      out.push_back({static_cast<std::uint8_t>(0xB0 + page), false});
      out.push_back({0x01, false});
      out.push_back({0x10, false});
      out.insert(out.end(), kBlankingData, sim::WireByte{0x00, true});
    }
    out.push_back({0xB0, false});
    out.push_back({0x10, false});
    out.push_back({0x01, false});
    return out;
  }();
  return bytes;
}

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
