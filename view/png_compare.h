// Reading back a picture of the panel and comparing it with what the panel shows
// now, pixel by pixel, with a diff image that puts both side by side.
//
// Two kinds of PNG show a glass of width x height pixels (128 x 64 for the module's):
// - one write_png made (the kit's, qel-lcd-sim --png): (width + 2 * bezel) x (height
//   + 2 * bezel) squares of one scale, recognised by its size and its bezel colour;
//   a pixel is lit when its square's centre is not the dark pixel colour;
// - a plain width x height picture without a bezel: a pixel is lit when its
//   brightest channel is at least half.
// Samples are taken as stored, whatever the bit depth (16-bit samples by their
// top byte), colour type or colour chunks (sRGB, gAMA, cHRM, iCCP: no colour
// conversion is made), and alpha is ignored.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "emulator/picture.h"
#include "view/png_writer.h"

namespace qel::view {

// Whether each pixel of a glass is lit, row-major.
using LitMap = std::vector<bool>;

struct PanelPng {
  int width = 0, height = 0;
  int glass_width = 0, glass_height = 0;
  int scale = 1;                  // picture pixels per panel pixel
  int bezel = 0;                  // panel pixels of bezel on each side: kPngBezel, or 0 for a plain picture
  std::vector<std::uint8_t> rgb;  // row-major, 3 bytes per pixel
  LitMap lit;
};

// Diff image colours: lit only in the golden picture, and lit only now.
inline constexpr Rgb kLostPixelRgb{255, 40, 40};
inline constexpr Rgb kNewPixelRgb{40, 255, 80};

LitMap lit_map(const emu::Picture& picture);

// The picture of a glass of `glass_width` x `glass_height` pixels. Throws
// std::runtime_error naming the file and the reason: it is a folder, cannot be
// read, is not a PNG, or does not show that glass.
PanelPng read_panel_png(const std::string& path, int glass_width, int glass_height);

// Number of panel pixels lit in one of the two and dark in the other (maps of
// one glass; maps of two sizes differ everywhere).
long count_differences(const LitMap& a, const LitMap& b);

// The smallest box holding every differing pixel of a glass `width` pixels wide,
// in panel pixels, inclusive; none for maps of two sizes.
struct Box {
  int x0 = 0, y0 = 0, x1 = 0, y1 = 0;
};
std::optional<Box> difference_box(const LitMap& a, const LitMap& b, int width);
// "x 12-40, y 8-15".
std::string box_text(const Box& box);

struct RgbImage {
  int width = 0, height = 0;
  std::vector<std::uint8_t> rgb;  // row-major, 3 bytes per pixel
};

// Three panels side by side at the golden's size, with a gap between them: the
// golden as read, the panel now (drawn at the golden's scale and bezel, lit pixels
// white), and the golden with each differing pixel's square in kLostPixelRgb (lit
// only in the golden) or kNewPixelRgb (lit only now).
RgbImage diff_image(const PanelPng& golden, const LitMap& now);

}  // namespace qel::view
