// PNG output of a panel picture through libpng's simplified write interface.
#include "view/png_writer.h"

#include <png.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <memory>
#include <stdexcept>

namespace qel::view {
namespace {

constexpr Rgb kWhite{255, 255, 255};
constexpr Rgb kBlue{40, 170, 255};
constexpr Rgb kYellow{255, 215, 0};
constexpr int kYellowRows = 16;

// Between dark and fully lit in proportion to brightness.
std::uint8_t blend(std::uint8_t dark, std::uint8_t lit, std::uint8_t level) {
  return static_cast<std::uint8_t>((dark * (255 - level) + lit * level + 127) / 255);
}

struct ImageFree {
  void operator()(png_image* image) const { png_image_free(image); }
};

}  // namespace

Rgb lit_color(PanelColor color, int y) {
  switch (color) {
    case PanelColor::White:
      return kWhite;
    case PanelColor::Blue:
      return kBlue;
    case PanelColor::YellowBlue:
      return y < kYellowRows ? kYellow : kBlue;
  }
  return kWhite;
}

Rgb pixel_rgb(PanelColor color, int y, std::uint8_t level) {
  const Rgb lit = lit_color(color, y);
  return Rgb{blend(kDarkPixelRgb.r, lit.r, level), blend(kDarkPixelRgb.g, lit.g, level),
             blend(kDarkPixelRgb.b, lit.b, level)};
}

std::vector<std::uint8_t> encode_png(const emu::Picture& picture, const PngOptions& options) {
  const int scale = options.scale;
  if (scale < 1 || scale > kMaxPngScale) {
    throw std::invalid_argument("PNG scale must be 1 to " + std::to_string(kMaxPngScale) + ", got '" +
                                std::to_string(scale) + "'.");
  }
  const int width = (picture.width + 2 * kPngBezel) * scale;
  const int height = (picture.height + 2 * kPngBezel) * scale;

  std::vector<std::uint8_t> pixels(static_cast<std::size_t>(width) * height * 3);
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x) {
      const int px = x / scale - kPngBezel;
      const int py = y / scale - kPngBezel;
      Rgb c = kBezelRgb;
      if (picture.contains(px, py)) {
        c = pixel_rgb(options.color, py, picture.at(px, py));
      }
      std::uint8_t* out = &pixels[(static_cast<std::size_t>(y) * width + x) * 3];
      out[0] = c.r;
      out[1] = c.g;
      out[2] = c.b;
    }
  }

  return encode_rgb_png(pixels, width, height);
}

std::vector<std::uint8_t> encode_rgb_png(const std::vector<std::uint8_t>& rgb, int width, int height) {
  png_image image{};
  image.version = PNG_IMAGE_VERSION;
  image.width = static_cast<png_uint_32>(width);
  image.height = static_cast<png_uint_32>(height);
  image.format = PNG_FORMAT_RGB;
  const std::unique_ptr<png_image, ImageFree> cleanup(&image);

  png_alloc_size_t size = 0;
  if (png_image_write_to_memory(&image, nullptr, &size, 0, rgb.data(), 0, nullptr) == 0) {
    throw std::runtime_error(std::string("PNG encoding failed: ") + image.message + ".");
  }
  std::vector<std::uint8_t> encoded(size);
  if (png_image_write_to_memory(&image, encoded.data(), &size, 0, rgb.data(), 0, nullptr) == 0) {
    throw std::runtime_error(std::string("PNG encoding failed: ") + image.message + ".");
  }
  encoded.resize(size);
  return encoded;
}

}  // namespace qel::view
