// What the panel shows: 128 x 64 pixels as a viewer sees the panel, each with a
// brightness from 0 (dark) to 255 (brightest lit pixel).
#pragma once

#include <array>
#include <cstdint>

namespace qel::emu {

struct Picture {
  static constexpr int kWidth = 128;
  static constexpr int kHeight = 64;

  // Row-major, (0, 0) at the top left.
  std::array<std::uint8_t, kWidth * kHeight> level{};

  std::uint8_t at(int x, int y) const { return level[static_cast<std::size_t>(y * kWidth + x)]; }
  void set(int x, int y, std::uint8_t v) { level[static_cast<std::size_t>(y * kWidth + x)] = v; }
  bool lit(int x, int y) const { return at(x, y) != 0; }

  // The same picture on a panel mounted the other way up.
  Picture rotated180() const {
    Picture out;
    for (std::size_t i = 0; i < level.size(); ++i) out.level[level.size() - 1 - i] = level[i];
    return out;
  }

  friend bool operator==(const Picture& a, const Picture& b) { return a.level == b.level; }
  friend bool operator!=(const Picture& a, const Picture& b) { return !(a == b); }
};

}  // namespace qel::emu
