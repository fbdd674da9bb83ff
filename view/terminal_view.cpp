// Text view of a panel picture with half-block characters or plain ASCII.
#include "view/terminal_view.h"

namespace qel::view {
namespace {

struct Glyphs {
  const char* cell[4];  // indexed by (top lit) | (bottom lit) << 1
  const char* top_left;
  const char* top_right;
  const char* bottom_left;
  const char* bottom_right;
  const char* horizontal;
  const char* vertical;
};

constexpr Glyphs kUnicode{
    {" ", "\u2580", "\u2584", "\u2588"}, "\u250c", "\u2510", "\u2514", "\u2518", "\u2500", "\u2502"};
constexpr Glyphs kAscii{{" ", "\"", ".", "#"}, "+", "+", "+", "+", "-", "|"};

void border(std::string& out, int width, const char* left, const char* fill, const char* right) {
  out += left;
  for (int x = 0; x < width; ++x) out += fill;
  out += right;
  out += '\n';
}

}  // namespace

std::string render_text(const emu::Picture& picture, TextStyle style) {
  const Glyphs& g = style == TextStyle::Unicode ? kUnicode : kAscii;
  std::string out;
  border(out, picture.width, g.top_left, g.horizontal, g.top_right);
  for (int y = 0; y < picture.height; y += 2) {
    out += g.vertical;
    for (int x = 0; x < picture.width; ++x) {
      const bool bottom = y + 1 < picture.height && picture.lit(x, y + 1);
      out += g.cell[(picture.lit(x, y) ? 1 : 0) | (bottom ? 2 : 0)];
    }
    out += g.vertical;
    out += '\n';
  }
  border(out, picture.width, g.bottom_left, g.horizontal, g.bottom_right);
  return out;
}

}  // namespace qel::view
