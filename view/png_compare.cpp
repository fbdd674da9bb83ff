// Panel pictures read back with libpng's simplified read interface, compared and
// drawn as a diff image.
#include "view/png_compare.h"

#include <png.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <memory>
#include <stdexcept>

#include "view/png_writer.h"

namespace qel::view {
namespace {

struct ImageFree {
  void operator()(png_image* image) const { png_image_free(image); }
};

Rgb rgb_at(const PanelPng& p, int x, int y) {
  const std::uint8_t* px = &p.rgb[(static_cast<std::size_t>(y) * p.width + x) * 3];
  return Rgb{px[0], px[1], px[2]};
}

[[noreturn]] void not_panel(const std::string& path, const std::string& why) {
  throw std::runtime_error("PNG file '" + path + "' is not a panel picture: " + why + ".");
}

}  // namespace

LitMap lit_map(const emu::Picture& picture) {
  LitMap lit(picture.level.size());
  for (std::size_t i = 0; i < lit.size(); ++i) lit[i] = picture.level[i] != 0;
  return lit;
}

PanelPng read_panel_png(const std::string& path, int glass_width, int glass_height) {
  const int kW = glass_width, kH = glass_height;
  png_image image{};
  image.version = PNG_IMAGE_VERSION;
  const std::unique_ptr<png_image, ImageFree> cleanup(&image);
  if (png_image_begin_read_from_file(&image, path.c_str()) == 0) {
    std::FILE* probe = std::fopen(path.c_str(), "rb");
    if (probe == nullptr) {
      throw std::runtime_error("Cannot read PNG file '" + path + "': " + std::strerror(errno) + ".");
    }
    std::fclose(probe);
    throw std::runtime_error("Cannot read PNG file '" + path + "': " + image.message + ".");
  }
  PanelPng p;
  p.width = static_cast<int>(image.width);
  p.height = static_cast<int>(image.height);
  p.glass_width = kW;
  p.glass_height = kH;
  p.scale = p.width / (kW + 2 * kPngBezel);
  if (p.scale < 1 || p.scale > kMaxPngScale || p.width != p.scale * (kW + 2 * kPngBezel) ||
      p.height != p.scale * (kH + 2 * kPngBezel)) {
    not_panel(path, "its size " + std::to_string(p.width) + " x " + std::to_string(p.height) + " is not the panel's " +
                        std::to_string(kW + 2 * kPngBezel) + " x " + std::to_string(kH + 2 * kPngBezel) +
                        " at a whole scale");
  }
  image.format = PNG_FORMAT_RGB;
  p.rgb.resize(PNG_IMAGE_SIZE(image));
  if (png_image_finish_read(&image, nullptr, p.rgb.data(), 0, nullptr) == 0) {
    throw std::runtime_error("Cannot read PNG file '" + path + "': " + image.message + ".");
  }
  const int last = p.width - 1;
  for (const auto& [x, y] : {std::pair{0, 0}, std::pair{last, 0}, std::pair{0, p.height - 1}}) {
    if (!(rgb_at(p, x, y) == kBezelRgb)) not_panel(path, "it has no panel bezel");
  }
  p.lit.assign(static_cast<std::size_t>(kW) * static_cast<std::size_t>(kH), false);
  for (int y = 0; y < kH; ++y) {
    for (int x = 0; x < kW; ++x) {
      const int cx = (x + kPngBezel) * p.scale + p.scale / 2;
      const int cy = (y + kPngBezel) * p.scale + p.scale / 2;
      p.lit[static_cast<std::size_t>(y * kW + x)] = !(rgb_at(p, cx, cy) == kDarkPixelRgb);
    }
  }
  return p;
}

long count_differences(const LitMap& a, const LitMap& b) {
  if (a.size() != b.size()) return static_cast<long>(std::max(a.size(), b.size()));
  long n = 0;
  for (std::size_t i = 0; i < a.size(); ++i) n += a[i] != b[i] ? 1 : 0;
  return n;
}

std::vector<std::uint8_t> diff_rgb(const PanelPng& golden, const LitMap& now) {
  std::vector<std::uint8_t> out = golden.rgb;
  const int kW = golden.glass_width, kH = golden.glass_height;
  for (int y = 0; y < kH; ++y) {
    for (int x = 0; x < kW; ++x) {
      const std::size_t i = static_cast<std::size_t>(y * kW + x);
      if (i >= now.size()) return out;
      if (golden.lit[i] == now[i]) continue;
      const Rgb c = golden.lit[i] ? kLostPixelRgb : kNewPixelRgb;
      for (int sy = 0; sy < golden.scale; ++sy) {
        for (int sx = 0; sx < golden.scale; ++sx) {
          const int px = (x + kPngBezel) * golden.scale + sx;
          const int py = (y + kPngBezel) * golden.scale + sy;
          std::uint8_t* o = &out[(static_cast<std::size_t>(py) * golden.width + px) * 3];
          o[0] = c.r;
          o[1] = c.g;
          o[2] = c.b;
        }
      }
    }
  }
  return out;
}

}  // namespace qel::view
