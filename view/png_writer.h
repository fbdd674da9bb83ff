// Saves a panel picture as a PNG image (libpng): the panel in its colour inside a
// small dark bezel, each panel pixel drawn as a scale x scale square.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "emulator/picture.h"

namespace qel::view {

enum class PanelColor {
  White,
  Blue,
  YellowBlue,  // two-colour panel: top 16 rows yellow, the rest blue
};

struct PngOptions {
  int scale = 4;  // 1 to kMaxPngScale
  PanelColor color = PanelColor::White;
};

inline constexpr int kMaxPngScale = 32;
// Bezel width on each side, in panel pixels.
inline constexpr int kPngBezel = 4;

struct Rgb {
  std::uint8_t r = 0, g = 0, b = 0;
  friend bool operator==(const Rgb& a, const Rgb& b) { return a.r == b.r && a.g == b.g && a.b == b.b; }
};

inline constexpr Rgb kBezelRgb{40, 40, 44};
inline constexpr Rgb kDarkPixelRgb{8, 8, 10};

// The colour of a fully lit pixel in panel row y.
Rgb lit_color(PanelColor color, int y);

// The colour a panel pixel of this brightness (0 dark, 255 fully lit) is drawn
// in, in panel row y: between dark and lit in proportion.
Rgb pixel_rgb(PanelColor color, int y, std::uint8_t level);

// The encoded PNG file. Throws std::invalid_argument for a scale out of range.
std::vector<std::uint8_t> encode_png(const emu::Picture& picture, const PngOptions& options = {});

// Any RGB image (3 bytes a pixel, row-major) as a PNG file's bytes; throws
// std::runtime_error "PNG encoding failed: <reason>." if libpng refuses it.
std::vector<std::uint8_t> encode_rgb_png(const std::vector<std::uint8_t>& rgb, int width, int height);

}  // namespace qel::view
