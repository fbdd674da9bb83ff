#include "shown_text.h"

namespace qel::test {

namespace {

constexpr int kCellsPerPage = 22;
constexpr int kCellWidth = 6;
constexpr std::size_t kBlankingBytes = 131;  // page, column 1 (two commands), 128 zero columns

std::vector<WireByte> blanking(std::uint8_t line) {
  std::vector<WireByte> out = {cmd(static_cast<std::uint8_t>(0xB0 + line)), cmd(0x01), cmd(0x10)};
  out.insert(out.end(), 128, dat(0x00));
  return out;
}

}  // namespace

LineWrite parse_line_write(const std::vector<WireByte>& bytes, std::uint8_t line) {
  LineWrite out;
  if (bytes.size() < kBlankingBytes ||
      !std::equal(bytes.begin(), bytes.begin() + kBlankingBytes, blanking(line).begin())) {
    out.error = "the stream does not open with the blanking of page " + std::to_string(line);
    return out;
  }
  for (std::size_t i = kBlankingBytes; i < bytes.size();) {
    const int cell = static_cast<int>(out.slots.size());
    const int page = line + cell / kCellsPerPage;
    const int column = 1 + kCellWidth * (cell % kCellsPerPage);
    // Page, then the column's high and low nibbles.
    const std::vector<WireByte> position = {cmd(static_cast<std::uint8_t>(0xB0 + page)),
                                            cmd(static_cast<std::uint8_t>(0x10 | column >> 4)),
                                            cmd(static_cast<std::uint8_t>(column & 0x0F))};
    if (bytes.size() - i < 3 || !std::equal(position.begin(), position.end(), bytes.begin() + i)) {
      out.error = "byte " + std::to_string(i) + " is not the position of page " + std::to_string(page) + ", column " +
                  std::to_string(column);
      return out;
    }
    i += 3;
    std::size_t n = 0;
    while (i + n < bytes.size() && bytes[i + n].is_data) ++n;
    if (n != 0 && n != kCellWidth) {
      out.error = "slot at byte " + std::to_string(i) + " has " + std::to_string(n) + " data bytes";
      return out;
    }
    Slot slot;
    slot.drawn = n != 0;
    for (std::size_t k = 0; k < n; ++k) slot.glyph[k] = bytes[i + k].value;
    out.slots.push_back(slot);
    i += n;
  }
  return out;
}

void ShownTextTest::SetUp() {
  ModuleTest::SetUp();
  init();
  for (int code = 32; code <= 123; ++code) {
    const char s[2] = {static_cast<char>(code), 0};
    QEL_LCD_WriteString(text(s), 0);
    const LineWrite w = parse_line_write(wire.bytes(), 0);
    ASSERT_EQ(w.error, "");
    ASSERT_EQ(w.slots.size(), 1u);
    EXPECT_EQ(w.slots[0].drawn, code != 32) << "only the space draws nothing";
    font_[code - 32] = w.slots[0].glyph;
    wire.clear();
  }
}

std::string ShownTextTest::shown(std::uint8_t line) {
  const LineWrite w = parse_line_write(wire.bytes(), line);
  wire.clear();
  if (!w.error.empty()) return "error: " + w.error;
  std::string out;
  for (std::size_t i = 0; i < w.slots.size(); ++i) {
    if (i > 0 && i % kCellsPerPage == 0) out += '|';
    const auto code = std::find(font_.begin() + 1, font_.end(), w.slots[i].glyph) - font_.begin();
    out += !w.slots[i].drawn ? ' ' : code < 92 ? static_cast<char>(32 + code) : '?';
  }
  return out;
}

}  // namespace qel::test
