// Reading back a picture of the panel and comparing it with what the panel shows
// now, pixel by pixel, with a diff image that puts both side by side.
//
// Two kinds of PNG show the panel:
// - one write_png made (the kit's, qel-lcd-sim --png): (128 + 2 * bezel) x (64 + 2 *
//   bezel) squares of one scale, recognised by its size and its bezel colour; a
//   panel pixel is lit when its square's centre is not the dark pixel colour;
// - a plain 128 x 64 picture without a bezel: a pixel is lit when its brightest
//   channel is at least half.
// Samples are taken as stored, whatever the bit depth (16-bit samples by their
// top byte), colour type or colour chunks (sRGB, gAMA, cHRM, iCCP: no colour
// conversion is made), and alpha is ignored.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "emulator/picture.h"
#include "view/png_writer.h"

namespace qel::view {

using LitMap = std::array<bool, emu::Picture::kWidth * emu::Picture::kHeight>;

struct PanelPng {
  int width = 0, height = 0;
  int scale = 1;                  // picture pixels per panel pixel
  int bezel = 0;                  // panel pixels of bezel on each side: kPngBezel, or 0 for a plain picture
  std::vector<std::uint8_t> rgb;  // row-major, 3 bytes per pixel
  LitMap lit{};
};

// Diff image colours: lit only in the golden picture, and lit only now.
inline constexpr Rgb kLostPixelRgb{255, 40, 40};
inline constexpr Rgb kNewPixelRgb{40, 255, 80};

LitMap lit_map(const emu::Picture& picture);

// Throws std::runtime_error naming the file and the reason: it is a folder, cannot
// be read, is not a PNG, or does not show the panel.
PanelPng read_panel_png(const std::string& path);

// Number of panel pixels lit in one of the two and dark in the other.
long count_differences(const LitMap& a, const LitMap& b);

// The smallest box holding every differing pixel, in panel pixels, inclusive.
struct Box {
  int x0 = 0, y0 = 0, x1 = 0, y1 = 0;
};
std::optional<Box> difference_box(const LitMap& a, const LitMap& b);
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
