// Text read-back from display RAM through the module's font table.
#include "view/text_readback.h"

#include <unordered_map>

#include "QEL_LCD_host_font.h"

namespace qel::view {
namespace {

std::uint64_t key_of(const std::uint8_t* bytes) {
  std::uint64_t key = 0;
  for (int i = 0; i < kCellWidth; ++i) key = key << 8 | bytes[i];
  return key;
}

// Glyph bytes to character, built once from the module's table. Every glyph is
// distinct, so the map is one-to-one; should two ever match, the lower code wins.
const std::unordered_map<std::uint64_t, char>& glyph_chars() {
  static const std::unordered_map<std::uint64_t, char> map = [] {
    std::unordered_map<std::uint64_t, char> m;
    const QEL_U8* font = QEL_LCD_HostFont();
    for (int g = 0; g < QEL_LCD_FONT_GLYPHS; ++g) {
      m.emplace(key_of(font + g * QEL_LCD_FONT_WIDTH), static_cast<char>(QEL_LCD_FONT_FIRST_CODE + g));
    }
    return m;
  }();
  return map;
}

}  // namespace

char cell_char(const Cell& cell) {
  const auto& map = glyph_chars();
  const auto found = map.find(key_of(cell.data()));
  return found == map.end() ? kUnknownCell : found->second;
}

std::string line_text(const emu::Controller& controller, unsigned line) {
  std::string text;
  if (line >= static_cast<unsigned>(kTextLines)) return text;
  const int page = static_cast<int>(line);
  for (int k = 0; k < kTextCells; ++k) {
    Cell cell;
    for (int i = 0; i < kCellWidth; ++i)
      cell[static_cast<std::size_t>(i)] = controller.ram(page, kCellWidth * k + 1 + i);
    text.push_back(cell_char(cell));
  }
  text.erase(text.find_last_not_of(' ') + 1);
  return text;
}

std::string screen_text(const emu::Controller& controller) {
  std::string out;
  for (unsigned line = 0; line < static_cast<unsigned>(kTextLines); ++line) out += line_text(controller, line) + '\n';
  return out;
}

}  // namespace qel::view
