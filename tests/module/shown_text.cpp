#include "shown_text.h"

#include <algorithm>

namespace qel::test {

namespace {

constexpr int kCellsPerPage = 22;
constexpr int kCellWidth = 6;
constexpr std::size_t kSlotBytes = 131 + 3;  // a one-character line: blanking, then the slot's position

}  // namespace

void ShownTextTest::SetUp() {
  ModuleTest::SetUp();
  init();
  for (int code = 32; code <= 123; ++code) {
    const char s[2] = {static_cast<char>(code), 0};
    QEL_LCD_WriteString(text(s), 0);
    const std::vector<WireByte> bytes = sent();
    ASSERT_EQ(bytes.size(), kSlotBytes + (code == 32 ? 0 : kCellWidth)) << "only the space draws nothing";
    for (std::size_t k = kSlotBytes; k < bytes.size(); ++k) font_[code - 32][k - kSlotBytes] = bytes[k].value;
  }
}

std::vector<WireByte> ShownTextTest::showing(const std::string& text, std::uint8_t line) const {
  std::vector<WireByte> out = {cmd(static_cast<std::uint8_t>(0xB0 + line)), cmd(0x01), cmd(0x10)};
  out.insert(out.end(), 128, dat(0x00));
  int cell = 0;
  for (char c : text) {
    if (c == '|') {
      EXPECT_EQ(cell % kCellsPerPage, 0) << "'|' in the middle of a page in \"" << text << "\"";
      continue;
    }
    const int page = line + cell / kCellsPerPage;
    const int column = 1 + kCellWidth * (cell % kCellsPerPage);
    // Page, then the column's high and low nibbles.
    out.insert(out.end(),
               {cmd(static_cast<std::uint8_t>(0xB0 + page)), cmd(static_cast<std::uint8_t>(0x10 | column >> 4)),
                cmd(static_cast<std::uint8_t>(column & 0x0F))});
    if (c != ' ') {
      for (std::uint8_t b : font_.at(static_cast<std::size_t>(c - 32))) out.push_back(dat(b));
    }
    ++cell;
  }
  return out;
}

::testing::AssertionResult ShownTextTest::shows(const std::string& text, std::uint8_t line) {
  const std::vector<WireByte> got = sent(), want = showing(text, line);
  const auto [g, w] = std::mismatch(got.begin(), got.end(), want.begin(), want.end());
  if (g == got.end() && w == want.end()) return ::testing::AssertionSuccess();
  return ::testing::AssertionFailure() << "not showing \"" << text << "\": byte " << (g - got.begin()) << " is "
                                       << (g == got.end() ? "missing" : ::testing::PrintToString(*g)) << ", expected "
                                       << (w == want.end() ? "none" : ::testing::PrintToString(*w)) << " ("
                                       << got.size() << " bytes sent, " << want.size() << " expected)";
}

std::vector<WireByte> ShownTextTest::sent() {
  std::vector<WireByte> bytes = wire.bytes();
  wire.clear();
  return bytes;
}

}  // namespace qel::test
