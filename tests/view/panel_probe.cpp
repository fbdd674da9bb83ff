// panel_probe SCREENSHOT.png INDEX EXPECTED.png
//
// Finds the panel pictures in a browser's screenshot of a report (each is a
// bezel-coloured rectangle 136 x 72 panel pixels, scaled), takes the INDEX-th
// (0 = the top-most), and compares every panel pixel, sampled at its centre,
// with EXPECTED, the same panel written by qel-lcd-sim --png --scale 1.
// Prints what it found; exit status 0 when every pixel matches and the panel
// has lit pixels, 1 otherwise, 2 for unreadable input.
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "rgb_png.h"
#include "view/png_writer.h"

namespace {

using qel::view::kBezelRgb;
using qel::view::kPngBezel;
using qel::view::Rgb;

constexpr int kWidth = 128 + 2 * kPngBezel;
constexpr int kHeight = 64 + 2 * kPngBezel;

using Image = qel::test::RgbPng;

bool read_png(const char* path, Image& out) {
  std::string error;
  out = qel::test::read_rgb_png(path, &error);
  if (out.width == 0) std::fprintf(stderr, "%s\n", error.c_str());
  return out.width != 0;
}

bool close(Rgb a, Rgb b) { return std::abs(a.r - b.r) <= 6 && std::abs(a.g - b.g) <= 6 && std::abs(a.b - b.b) <= 6; }

struct Found {
  int x, y, scale;
};

// Top-left corners of bezel rectangles: a bezel pixel with no bezel to its left
// or above, starting a bezel run whose length is a whole number of panels.
std::vector<Found> find_panels(const Image& s) {
  std::vector<Found> found;
  for (int y = 0; y < s.height; ++y) {
    for (int x = 0; x < s.width; ++x) {
      if (!close(s.at(x, y), kBezelRgb)) continue;
      if ((x > 0 && close(s.at(x - 1, y), kBezelRgb)) || (y > 0 && close(s.at(x, y - 1), kBezelRgb))) continue;
      int run = 0;
      while (x + run < s.width && close(s.at(x + run, y), kBezelRgb)) ++run;
      if (run < kWidth || run % kWidth != 0) continue;
      const int scale = run / kWidth;
      if (y + kHeight * scale > s.height) continue;
      found.push_back(Found{x, y, scale});
    }
  }
  return found;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 4) {
    std::fprintf(stderr, "usage: panel_probe SCREENSHOT.png INDEX EXPECTED.png\n");
    return 2;
  }
  Image shot, expected;
  if (!read_png(argv[1], shot) || !read_png(argv[3], expected)) return 2;
  if (expected.width != kWidth || expected.height != kHeight) {
    std::fprintf(stderr, "Expected a %d x %d panel picture in '%s', got %d x %d.\n", kWidth, kHeight, argv[3],
                 expected.width, expected.height);
    return 2;
  }
  const std::vector<Found> panels = find_panels(shot);
  const std::size_t index = static_cast<std::size_t>(std::atoi(argv[2]));
  if (index >= panels.size()) {
    std::printf("panel %zu: not found (%zu panels in the screenshot)\n", index, panels.size());
    return 1;
  }
  const Found& p = panels[index];
  int wrong = 0, lit = 0;
  for (int y = 0; y < 64; ++y) {
    for (int x = 0; x < 128; ++x) {
      const Rgb want = expected.at(x + kPngBezel, y + kPngBezel);
      const Rgb got =
          shot.at(p.x + (x + kPngBezel) * p.scale + p.scale / 2, p.y + (y + kPngBezel) * p.scale + p.scale / 2);
      if (!close(want, got)) {
        ++wrong;
      } else if (!(want == qel::view::kDarkPixelRgb)) {
        ++lit;
      }
    }
  }
  std::printf("panel %zu at (%d, %d), scale %d: %d of 8192 pixels differ, %d lit pixels match\n", index, p.x, p.y,
              p.scale, wrong, lit);
  return wrong == 0 && lit > 0 ? 0 : 1;
}
