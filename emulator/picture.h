// What the panel shows: the glass's pixels as a viewer sees them, each with a
// brightness from 0 (dark) to 255 (brightest lit pixel).
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace qel::emu {

struct Picture {
  // The usual glass: 128 x 64.
  Picture() : Picture(128, 64) {}
  Picture(int w, int h) : width(w), height(h), level(static_cast<std::size_t>(w) * static_cast<std::size_t>(h)) {}

  int width;
  int height;
  // Row-major, (0, 0) at the top left.
  std::vector<std::uint8_t> level;

  std::uint8_t at(int x, int y) const { return level[index(x, y)]; }
  void set(int x, int y, std::uint8_t v) { level[index(x, y)] = v; }
  bool lit(int x, int y) const { return at(x, y) != 0; }
  bool contains(int x, int y) const { return x >= 0 && x < width && y >= 0 && y < height; }

  // The same picture on a panel mounted the other way up.
  Picture rotated180() const {
    Picture out(width, height);
    for (std::size_t i = 0; i < level.size(); ++i) out.level[level.size() - 1 - i] = level[i];
    return out;
  }

  friend bool operator==(const Picture& a, const Picture& b) {
    return a.width == b.width && a.height == b.height && a.level == b.level;
  }
  friend bool operator!=(const Picture& a, const Picture& b) { return !(a == b); }

 private:
  std::size_t index(int x, int y) const {
    return static_cast<std::size_t>(y) * static_cast<std::size_t>(width) + static_cast<std::size_t>(x);
  }
};

}  // namespace qel::emu
