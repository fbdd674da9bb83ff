// Reading back a panel picture that write_png made (any scale, any colour), and
// comparing it with what the panel shows now, pixel by pixel.
//
// A panel picture is recognised by its size, (128 + 2 * bezel) x (64 + 2 * bezel)
// squares of one scale, and its bezel colour; a panel pixel counts as lit when its
// square's centre is not the dark pixel colour.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "emulator/picture.h"
#include "view/png_writer.h"

namespace qel::view {

using LitMap = std::array<bool, emu::Picture::kWidth * emu::Picture::kHeight>;

struct PanelPng {
  int width = 0, height = 0, scale = 0;
  std::vector<std::uint8_t> rgb;  // row-major, 3 bytes per pixel
  LitMap lit{};
};

// Diff image colours: lit only in the golden picture, and lit only now.
inline constexpr Rgb kLostPixelRgb{255, 40, 40};
inline constexpr Rgb kNewPixelRgb{40, 255, 80};

LitMap lit_map(const emu::Picture& picture);

// Throws std::runtime_error naming the file: it cannot be read, is not a PNG, or is
// not a panel picture.
PanelPng read_panel_png(const std::string& path);

// Number of panel pixels lit in one of the two and dark in the other.
long count_differences(const LitMap& a, const LitMap& b);

// The golden image with each differing panel pixel's square painted in
// kLostPixelRgb (lit only in the golden) or kNewPixelRgb (lit only now).
std::vector<std::uint8_t> diff_rgb(const PanelPng& golden, const LitMap& now);

}  // namespace qel::view
