// Panel pictures read back with libpng's sequential reader (samples as stored,
// no colour conversion), compared, and drawn side by side as a diff image.
#include "view/png_compare.h"

#include <png.h>

#include <algorithm>
#include <cerrno>
#include <csetjmp>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <stdexcept>

namespace qel::view {
namespace {

constexpr int kPlainScale = 4;  // a plain 128 x 64 golden is drawn this much larger in the diff image
constexpr Rgb kGapRgb{128, 128, 128};
constexpr Rgb kLitRgb{255, 255, 255};

// One sequential read: libpng's structures, the picture, and why it failed.
struct Reader {
  png_structp png = nullptr;
  png_infop info = nullptr;
  int width = 0, height = 0;
  std::vector<std::uint8_t> rgb;
  std::vector<png_bytep> rows;
  char message[256] = "";
  ~Reader() { png_destroy_read_struct(&png, &info, nullptr); }
};

void on_error(png_structp png, png_const_charp message) {
  auto* r = static_cast<Reader*>(png_get_error_ptr(png));
  std::snprintf(r->message, sizeof r->message, "%s", message);
  std::longjmp(png_jmpbuf(png), 1);
}
void on_warning(png_structp, png_const_charp) {}

bool panel_size(int width, int height, int kW, int kH) {
  if (width == kW && height == kH) return true;
  const int scale = width / (kW + 2 * kPngBezel);
  return scale >= 1 && scale <= kMaxPngScale && width == scale * (kW + 2 * kPngBezel) &&
         height == scale * (kH + 2 * kPngBezel);
}

// Reads the header, then, when the size is a panel's, the picture as 8-bit RGB.
// Nothing in this frame has a destructor, since libpng leaves it by longjmp.
bool read_rgb(std::FILE* file, Reader& r, int glass_width, int glass_height) {
  r.png = png_create_read_struct(PNG_LIBPNG_VER_STRING, &r, on_error, on_warning);
  if (r.png == nullptr) return false;
  r.info = png_create_info_struct(r.png);
  if (r.info == nullptr) return false;
  if (setjmp(png_jmpbuf(r.png)) != 0) return false;
  png_init_io(r.png, file);
  png_read_info(r.png, r.info);
  r.width = static_cast<int>(png_get_image_width(r.png, r.info));
  r.height = static_cast<int>(png_get_image_height(r.png, r.info));
  if (!panel_size(r.width, r.height, glass_width, glass_height)) return true;
  png_set_expand(r.png);  // palette to RGB, small gray depths to 8 bits
  png_set_strip_16(r.png);
  png_set_strip_alpha(r.png);
  png_set_gray_to_rgb(r.png);
  png_set_interlace_handling(r.png);
  png_read_update_info(r.png, r.info);
  r.rgb.resize(static_cast<std::size_t>(r.width) * r.height * 3);
  r.rows.resize(static_cast<std::size_t>(r.height));
  for (int y = 0; y < r.height; ++y)
    r.rows[static_cast<std::size_t>(y)] = &r.rgb[static_cast<std::size_t>(y) * r.width * 3];
  png_read_image(r.png, r.rows.data());
  png_read_end(r.png, nullptr);
  return true;
}

Rgb rgb_at(const std::vector<std::uint8_t>& rgb, int width, int x, int y) {
  const std::uint8_t* px = &rgb[(static_cast<std::size_t>(y) * width + x) * 3];
  return Rgb{px[0], px[1], px[2]};
}

void put(RgbImage& image, int x, int y, Rgb c) {
  std::uint8_t* px = &image.rgb[(static_cast<std::size_t>(y) * image.width + x) * 3];
  px[0] = c.r;
  px[1] = c.g;
  px[2] = c.b;
}

[[noreturn]] void not_panel(const std::string& path, const std::string& why) {
  throw std::runtime_error("PNG file '" + path + "' does not show the panel: " + why + ".");
}

}  // namespace

LitMap lit_map(const emu::Picture& picture) {
  LitMap lit(picture.level.size());
  for (std::size_t i = 0; i < lit.size(); ++i) lit[i] = picture.level[i] != 0;
  return lit;
}

PanelPng read_panel_png(const std::string& path, int glass_width, int glass_height) {
  const int kW = glass_width, kH = glass_height;
  std::error_code ec;
  if (std::filesystem::is_directory(path, ec)) {
    throw std::runtime_error("Cannot read PNG file '" + path + "': it is a folder, not a file.");
  }
  std::FILE* file = std::fopen(path.c_str(), "rb");
  if (file == nullptr) throw std::runtime_error("Cannot read PNG file '" + path + "': " + std::strerror(errno) + ".");
  std::uint8_t signature[8] = {};
  const bool png = std::fread(signature, 1, sizeof signature, file) == sizeof signature &&
                   png_sig_cmp(signature, 0, sizeof signature) == 0;
  Reader r;
  bool read = false;
  if (png) {
    std::rewind(file);
    read = read_rgb(file, r, kW, kH);
  }
  std::fclose(file);
  if (!png) throw std::runtime_error("Cannot read PNG file '" + path + "': it is not a PNG file.");
  if (!read) throw std::runtime_error("Cannot read PNG file '" + path + "': " + r.message + ".");
  if (!panel_size(r.width, r.height, kW, kH)) {
    not_panel(path, "its size " + std::to_string(r.width) + " x " + std::to_string(r.height) +
                        " is neither the panel's " + std::to_string(kW) + " x " + std::to_string(kH) +
                        " nor, with the bezel, " + std::to_string(kW + 2 * kPngBezel) + " x " +
                        std::to_string(kH + 2 * kPngBezel) + " at a whole scale");
  }
  PanelPng p;
  p.width = r.width;
  p.height = r.height;
  p.glass_width = kW;
  p.glass_height = kH;
  p.lit.assign(static_cast<std::size_t>(kW) * static_cast<std::size_t>(kH), false);
  p.rgb = std::move(r.rgb);
  if (p.width == kW) {
    for (int i = 0; i < kW * kH; ++i) {
      const Rgb c = rgb_at(p.rgb, kW, i % kW, i / kW);
      p.lit[static_cast<std::size_t>(i)] = std::max({c.r, c.g, c.b}) >= 128;
    }
    return p;
  }
  p.bezel = kPngBezel;
  p.scale = p.width / (kW + 2 * kPngBezel);
  const int last = p.width - 1;
  for (const auto& [x, y] : {std::pair{0, 0}, std::pair{last, 0}, std::pair{0, p.height - 1}}) {
    if (!(rgb_at(p.rgb, p.width, x, y) == kBezelRgb)) not_panel(path, "it has the bezel's size but not its colour");
  }
  for (int y = 0; y < kH; ++y) {
    for (int x = 0; x < kW; ++x) {
      const int cx = (x + kPngBezel) * p.scale + p.scale / 2;
      const int cy = (y + kPngBezel) * p.scale + p.scale / 2;
      p.lit[static_cast<std::size_t>(y * kW + x)] = !(rgb_at(p.rgb, p.width, cx, cy) == kDarkPixelRgb);
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

std::optional<Box> difference_box(const LitMap& a, const LitMap& b, int width) {
  std::optional<Box> box;
  if (a.size() != b.size() || width <= 0) return box;
  const int kW = width, kH = static_cast<int>(a.size()) / width;
  for (int y = 0; y < kH; ++y) {
    for (int x = 0; x < kW; ++x) {
      const std::size_t i = static_cast<std::size_t>(y * kW + x);
      if (a[i] == b[i]) continue;
      if (!box) box = Box{x, y, x, y};
      box->x0 = std::min(box->x0, x);
      box->x1 = std::max(box->x1, x);
      box->y1 = y;
    }
  }
  return box;
}

std::string box_text(const Box& box) {
  const auto span = [](int a, int b) {
    return a == b ? std::to_string(a) : std::to_string(a) + "-" + std::to_string(b);
  };
  return "x " + span(box.x0, box.x1) + ", y " + span(box.y0, box.y1);
}

RgbImage diff_image(const PanelPng& golden, const LitMap& now) {
  const int kW = golden.glass_width, kH = golden.glass_height;
  const int k = golden.bezel == 0 ? kPlainScale : 1;  // a plain golden is drawn larger
  const int w = golden.width * k, h = golden.height * k, s = golden.scale * k;
  const int gap = std::max(8, 2 * s);
  RgbImage out;
  out.width = 3 * w + 2 * gap;
  out.height = h;
  out.rgb.assign(static_cast<std::size_t>(out.width) * out.height * 3, 0);
  for (int y = 0; y < h; ++y) {
    for (int x = 0; x < out.width; ++x) put(out, x, y, kGapRgb);
  }
  for (int y = 0; y < h; ++y) {
    for (int x = 0; x < w; ++x) {
      const Rgb c = rgb_at(golden.rgb, golden.width, x / k, y / k);
      put(out, x, y, c);
      put(out, 2 * (w + gap) + x, y, c);
      put(out, w + gap + x, y, golden.bezel != 0 ? kBezelRgb : kDarkPixelRgb);
    }
  }
  for (int py = 0; py < kH; ++py) {
    for (int px = 0; px < kW; ++px) {
      const std::size_t i = static_cast<std::size_t>(py * kW + px);
      if (i >= now.size()) return out;
      const bool differs = golden.lit[i] != now[i];
      for (int sy = 0; sy < s; ++sy) {
        for (int sx = 0; sx < s; ++sx) {
          const int x = (px + golden.bezel) * s + sx, y = (py + golden.bezel) * s + sy;
          put(out, w + gap + x, y, now[i] ? kLitRgb : kDarkPixelRgb);
          if (differs) put(out, 2 * (w + gap) + x, y, golden.lit[i] ? kLostPixelRgb : kNewPixelRgb);
        }
      }
    }
  }
  return out;
}

}  // namespace qel::view
