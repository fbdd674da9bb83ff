// Text read-back from display RAM through the module's font table.
#include "view/text_readback.h"

#include <algorithm>
#include <array>
#include <utility>

#include "QEL_LCD_host_font.h"

namespace qel::view {
namespace {

std::uint64_t key_of(const std::uint8_t* bytes) {
  std::uint64_t key = 0;
  for (int i = 0; i < kCellWidth; ++i) key = key << 8 | bytes[i];
  return key;
}

using Glyph = std::pair<std::uint64_t, char>;
using GlyphTable = std::array<Glyph, QEL_LCD_FONT_GLYPHS>;

// Glyph bytes to character, sorted by the bytes, built once from the module's
// table. A fixed array rather than a hash map, so nothing stays on the heap for a
// test's leak checker to report. Should two glyphs ever match, the lower code wins.
const GlyphTable& glyph_chars() {
  static const GlyphTable table = [] {
    GlyphTable t{};
    const QEL_U8* font = QEL_LCD_HostFont();
    for (int g = 0; g < QEL_LCD_FONT_GLYPHS; ++g) {
      t[static_cast<std::size_t>(g)] = {key_of(font + g * QEL_LCD_FONT_WIDTH),
                                        static_cast<char>(QEL_LCD_FONT_FIRST_CODE + g)};
    }
    std::stable_sort(t.begin(), t.end(), [](const Glyph& a, const Glyph& b) { return a.first < b.first; });
    return t;
  }();
  return table;
}

}  // namespace

char cell_char(const Cell& cell) {
  const GlyphTable& table = glyph_chars();
  const std::uint64_t key = key_of(cell.data());
  const auto found =
      std::lower_bound(table.begin(), table.end(), key, [](const Glyph& g, std::uint64_t k) { return g.first < k; });
  return found != table.end() && found->first == key ? found->second : kUnknownCell;
}

int text_lines(const emu::Controller& controller) { return controller.glass().height / 8; }

std::string line_text(const emu::Controller& controller, unsigned line) {
  std::string text;
  if (line >= static_cast<unsigned>(text_lines(controller))) return text;
  const int page = static_cast<int>(line);
  for (int k = 0; k < kTextCells; ++k) {
    Cell cell;
    for (int i = 0; i < kCellWidth; ++i)
      cell[static_cast<std::size_t>(i)] = controller.ram(page, kCellWidth * k + 1 + i);
    text.push_back(cell_char(cell));
  }
  text.push_back(controller.ram(page, kLastColumn) != 0 ? kUnknownCell : ' ');
  text.erase(text.find_last_not_of(' ') + 1);
  return text;
}

std::string screen_text(const emu::Controller& controller) {
  std::string out;
  for (unsigned line = 0; line < static_cast<unsigned>(text_lines(controller)); ++line) {
    out += line_text(controller, line) + '\n';
  }
  return out;
}

}  // namespace qel::view
