// PNG output read back with libpng: image size per scale, bezel, dark and lit
// pixels in each panel colour. The animated GIF read back with giflib's decoder:
// every frame, composed as a viewer composes it, equals its picture drawn in the
// panel colour, pixel for pixel; delays follow the wire time; the animation loops.
#include "view/png_writer.h"

#include <gtest/gtest.h>

#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

#include "gif_decode.h"
#include "rgb_png.h"
#include "view/gif_writer.h"

namespace qel::view {
namespace {

// The PNG read back; a failure to read is a test failure.
qel::test::RgbPng read_back(const std::vector<std::uint8_t>& png) {
  std::string error;
  qel::test::RgbPng d = qel::test::read_rgb_png(png, &error);
  EXPECT_EQ(error, "");
  return d;
}

// Panel pixels (0,0), (3,15), (3,16) and (127,63) lit; the rest dark.
TEST(PngWriter, PixelsTakeThePanelColourInTheGlassPlusBezel) {
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
    const qel::test::RgbPng d = read_back(encode_png(picture, PngOptions{kScale, c.color}));
    // Both corners of the scaled square carry the pixel's colour.
    for (int corner : {0, kScale - 1}) {
      const Rgb got = d.at((c.x + kPngBezel) * kScale + corner, (c.y + kPngBezel) * kScale + corner);
      EXPECT_TRUE(got == c.expected) << "colour " << static_cast<int>(c.color) << " at " << c.x << "," << c.y;
    }
  }
  // The glass's pixels and a 4-pixel bezel, at the scale.
  const struct {
    int scale, glass_width, glass_height, width, height;
  } sizes[] = {{1, 128, 64, 136, 72},  {2, 128, 64, 272, 144}, {4, 128, 64, 544, 288},
               {7, 128, 64, 952, 504}, {2, 128, 32, 272, 80},  {3, 64, 48, 216, 168}};
  for (const auto& c : sizes) {
    const qel::test::RgbPng d =
        read_back(encode_png(emu::Picture(c.glass_width, c.glass_height), PngOptions{c.scale, PanelColor::White}));
    EXPECT_EQ(std::pair(d.width, d.height), std::pair(c.width, c.height))
        << c.glass_width << "x" << c.glass_height << " at scale " << c.scale;
  }
}

using test::decode;
using test::Decoded;

// How the PNG draws `picture`, at output pixel (x, y).
Rgb expected_at(const emu::Picture& picture, const PngOptions& o, int x, int y) {
  const int px = x / o.scale - kPngBezel, py = y / o.scale - kPngBezel;
  if (!picture.contains(px, py)) return kBezelRgb;
  return pixel_rgb(o.color, py, picture.at(px, py));
}

emu::Picture pattern(int seed, std::uint8_t level) {
  emu::Picture p;
  for (int y = 0; y < p.height; ++y) {
    for (int x = 0; x < p.width; ++x) {
      if ((x * 7 + y * 3 + seed) % 11 < 4) p.set(x, y, level);
    }
  }
  return p;
}

TEST(GifWriter, EveryFrameDecodesToItsPicture) {
  emu::Picture one_pixel;
  one_pixel.set(127, 63, 255);
  // Dark; a pattern; the same again (nothing changed); another brightness;
  // another pattern; one corner pixel only.
  const std::vector<GifFrame> frames = {
      {emu::Picture{}, 0},     {pattern(0, 255), 25'000'000}, {pattern(0, 255), 1'000'000'000},
      {pattern(0, 90), 5'000}, {pattern(5, 90), 0},           {one_pixel, 0}};
  for (const PanelColor color : {PanelColor::White, PanelColor::YellowBlue}) {
    const PngOptions options{2, color};
    const Decoded d = decode(encode_gif(frames, options));
    ASSERT_EQ(d.frames.size(), frames.size());
    EXPECT_EQ(d.width, 136 * 2);
    EXPECT_EQ(d.height, 72 * 2);
    EXPECT_TRUE(d.loops_forever);
    EXPECT_EQ(d.delays_cs, (std::vector<int>{2, 3, 100, 2, 2, 2}));
    for (std::size_t f = 0; f < frames.size(); ++f) {
      int wrong = 0;
      for (int y = 0; y < d.height; ++y) {
        for (int x = 0; x < d.width; ++x) {
          if (!(d.frames[f][static_cast<std::size_t>(y * d.width + x)] ==
                expected_at(frames[f].picture, options, x, y)))
            ++wrong;
        }
      }
      EXPECT_EQ(wrong, 0) << "frame " << f << ", colour " << static_cast<int>(color);
    }
  }
}

// A picture of every brightness in two colours has more than 256 colours: it is
// drawn with fewer brightness steps, close to the real ones, and dark stays dark.
TEST(GifWriter, TooManyColoursAreRoundedNotLost) {
  emu::Picture ramp;
  for (int y = 0; y < ramp.height; ++y) {
    for (int x = 0; x < ramp.width; ++x) ramp.set(x, y, static_cast<std::uint8_t>((x * 2 + y) & 0xFF));
  }
  const PngOptions options{1, PanelColor::YellowBlue};
  const Decoded d = decode(encode_gif({{ramp, 0}}, options));
  ASSERT_EQ(d.frames.size(), 1u);
  int worst = 0;
  for (int y = 0; y < d.height; ++y) {
    for (int x = 0; x < d.width; ++x) {
      const Rgb got = d.frames[0][static_cast<std::size_t>(y * d.width + x)];
      const Rgb want = expected_at(ramp, options, x, y);
      worst = std::max({worst, std::abs(got.r - want.r), std::abs(got.g - want.g), std::abs(got.b - want.b)});
      if (want == kDarkPixelRgb) {
        EXPECT_TRUE(got == kDarkPixelRgb);
      }
    }
  }
  EXPECT_LE(worst, 16);
}

TEST(GifWriter, RefusesNoFramesAndBadScales) {
  EXPECT_THROW(encode_png(emu::Picture{}, PngOptions{0, PanelColor::White}), std::invalid_argument);
  EXPECT_THROW(encode_gif({}), std::invalid_argument);
  EXPECT_THROW(encode_gif({{emu::Picture{}, 0}}, PngOptions{0, PanelColor::White}), std::invalid_argument);
}

}  // namespace
}  // namespace qel::view
