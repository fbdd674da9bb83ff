// PNG output read back with libpng: image size per scale, bezel, dark and lit
// pixels in each panel colour.
#include "view/png_writer.h"

#include <gtest/gtest.h>

#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

#include "rgb_png.h"

namespace qel::view {
namespace {

// The PNG read back; a failure to read is a test failure.
test::RgbPng decode(const std::vector<std::uint8_t>& png) {
  std::string error;
  test::RgbPng d = test::read_rgb_png(png, &error);
  EXPECT_EQ(error, "");
  return d;
}

// The glass's pixels and a 4-pixel bezel, at the scale.
TEST(PngWriter, ImageSizeIsPanelPlusBezelTimesScale) {
  const struct {
    int scale, glass_width, glass_height, width, height;
  } cases[] = {{1, 128, 64, 136, 72},  {2, 128, 64, 272, 144}, {4, 128, 64, 544, 288},
               {7, 128, 64, 952, 504}, {2, 128, 32, 272, 80},  {3, 64, 48, 216, 168}};
  for (const auto& c : cases) {
    const test::RgbPng d =
        decode(encode_png(emu::Picture(c.glass_width, c.glass_height), PngOptions{c.scale, PanelColor::White}));
    EXPECT_EQ(std::pair(d.width, d.height), std::pair(c.width, c.height))
        << c.glass_width << "x" << c.glass_height << " at scale " << c.scale;
  }
}

// Panel pixels (0,0), (3,15), (3,16) and (127,63) lit; the rest dark.
TEST(PngWriter, PixelsTakeThePanelColourRowByRow) {
  emu::Picture picture;
  for (auto [x, y] : {std::pair{0, 0}, {3, 15}, {3, 16}, {127, 63}}) picture.set(x, y, 255);
  constexpr Rgb white{255, 255, 255}, blue{40, 170, 255}, yellow{255, 215, 0};
  const struct {
    PanelColor color;
    int x, y;  // panel pixel; -1 is the bezel
    Rgb expected;
  } cases[] = {
      {PanelColor::White, -1, -1, kBezelRgb}, {PanelColor::White, 1, 0, kDarkPixelRgb},
      {PanelColor::White, 0, 0, white},       {PanelColor::White, 127, 63, white},
      {PanelColor::Blue, 3, 15, blue},        {PanelColor::Blue, 2, 15, kDarkPixelRgb},
      {PanelColor::YellowBlue, 0, 0, yellow}, {PanelColor::YellowBlue, 3, 15, yellow},
      {PanelColor::YellowBlue, 3, 16, blue},  {PanelColor::YellowBlue, 127, 63, blue},
  };
  constexpr int kScale = 3;
  for (const auto& c : cases) {
    const test::RgbPng d = decode(encode_png(picture, PngOptions{kScale, c.color}));
    // Both corners of the scaled square carry the pixel's colour.
    for (int corner : {0, kScale - 1}) {
      const Rgb got = d.at((c.x + kPngBezel) * kScale + corner, (c.y + kPngBezel) * kScale + corner);
      EXPECT_TRUE(got == c.expected) << "colour " << static_cast<int>(c.color) << " at " << c.x << "," << c.y;
    }
  }
}

TEST(PngWriter, ScaleOutOfRangeIsRefused) {
  EXPECT_THROW(encode_png(emu::Picture{}, PngOptions{0, PanelColor::White}), std::invalid_argument);
}

}  // namespace
}  // namespace qel::view
