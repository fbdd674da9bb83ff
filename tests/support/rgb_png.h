// A PNG file read as 8-bit RGB, for tests that look at pictures the program or
// the kit wrote (libpng's simplified reader). Needs only libpng: it links into
// the kit's tests as well as the renderers'.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "view/png_writer.h"

namespace qel::test {

struct RgbPng {
  int width = 0, height = 0;  // 0 when the file could not be read
  std::vector<std::uint8_t> rgb;
  view::Rgb at(int x, int y) const {
    const std::size_t i = (static_cast<std::size_t>(y) * width + x) * 3;
    return view::Rgb{rgb[i], rgb[i + 1], rgb[i + 2]};
  }
};

// The picture, or an empty one with `error` (when given) saying why.
RgbPng read_rgb_png(const std::string& path, std::string* error = nullptr);
// The same from a PNG in memory.
RgbPng read_rgb_png(const std::vector<std::uint8_t>& png, std::string* error = nullptr);

}  // namespace qel::test
