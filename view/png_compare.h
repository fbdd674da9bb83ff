// Reading back a panel picture that write_png made (any scale, any colour), and
// comparing it with what the panel shows now, pixel by pixel.
//
// A panel picture is recognised by its size, (width + 2 * bezel) x (height + 2 *
// bezel) squares of one scale for the glass's width and height, and its bezel
// colour; a panel pixel counts as lit when its square's centre is not the dark
// pixel colour.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "emulator/picture.h"
#include "view/png_writer.h"

namespace qel::view {

// Whether each pixel of a glass is lit, row-major.
using LitMap = std::vector<bool>;

struct PanelPng {
  int width = 0, height = 0, scale = 0;
  int glass_width = 0, glass_height = 0;
  std::vector<std::uint8_t> rgb;  // row-major, 3 bytes per pixel
  LitMap lit;
};

// Diff image colours: lit only in the golden picture, and lit only now.
inline constexpr Rgb kLostPixelRgb{255, 40, 40};
inline constexpr Rgb kNewPixelRgb{40, 255, 80};

LitMap lit_map(const emu::Picture& picture);

// The picture of a glass of `glass_width` x `glass_height` pixels. Throws
// std::runtime_error naming the file: it cannot be read, is not a PNG, or is not
// a picture of that glass.
PanelPng read_panel_png(const std::string& path, int glass_width, int glass_height);

// Number of panel pixels lit in one of the two and dark in the other (maps of
// one glass).
long count_differences(const LitMap& a, const LitMap& b);

// The golden image with each differing panel pixel's square painted in
// kLostPixelRgb (lit only in the golden) or kNewPixelRgb (lit only now).
std::vector<std::uint8_t> diff_rgb(const PanelPng& golden, const LitMap& now);

}  // namespace qel::view
