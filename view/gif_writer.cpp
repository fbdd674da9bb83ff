// Animated GIF output through giflib's encoder; see gif_writer.h.
#include "view/gif_writer.h"

#include <gif_lib.h>

#include <algorithm>
#include <map>
#include <memory>
#include <stdexcept>

namespace qel::view {
namespace {

struct Rect {
  int x = 0, y = 0, width = 0, height = 0;  // in panel-plus-bezel pixels
};

int gif_output(GifFileType* gif, const GifByteType* data, int length) {
  auto* out = static_cast<std::vector<std::uint8_t>*>(gif->UserData);
  out->insert(out->end(), data, data + length);
  return length;
}

void check(int status, GifFileType* gif, const char* what) {
  if (status != GIF_ERROR) return;
  throw std::runtime_error(std::string("GIF encoding failed (") + what + "): " + GifErrorString(gif->Error) + ".");
}

// The colour of bezel-including pixel (x, y), with brightness reduced to
// `level_bits` significant bits.
Rgb color_at(const emu::Picture& p, PanelColor color, int x, int y, int level_bits) {
  const int px = x - kPngBezel, py = y - kPngBezel;
  if (!p.contains(px, py)) return kBezelRgb;
  std::uint8_t level = p.at(px, py);
  if (level_bits < 8) {
    const int step = 1 << (8 - level_bits);
    level = static_cast<std::uint8_t>(std::min(255, (level / step) * step + step / 2));
    if (p.at(px, py) == 0) level = 0;
  }
  return pixel_rgb(color, py, level);
}

// The smallest rectangle holding every pixel that differs between a and b;
// empty width when they are equal.
Rect changed_rect(const emu::Picture& a, const emu::Picture& b) {
  int x0 = a.width, y0 = a.height, x1 = -1, y1 = -1;
  for (int y = 0; y < a.height; ++y) {
    for (int x = 0; x < a.width; ++x) {
      if (a.at(x, y) == b.at(x, y)) continue;
      x0 = std::min(x0, x);
      y0 = std::min(y0, y);
      x1 = std::max(x1, x);
      y1 = std::max(y1, y);
    }
  }
  if (x1 < 0) return Rect{kPngBezel, kPngBezel, 0, 0};
  return Rect{x0 + kPngBezel, y0 + kPngBezel, x1 - x0 + 1, y1 - y0 + 1};
}

struct MapFree {
  void operator()(ColorMapObject* map) const { GifFreeMapObject(map); }
};

void put_frame(GifFileType* gif, const GifFrame& frame, Rect r, const PngOptions& options) {
  const int scale = options.scale;
  // The colours of the rectangle; fewer brightness steps until they fit in 256.
  std::map<std::uint32_t, int> index;
  int level_bits = 8;
  for (;; --level_bits) {
    index.clear();
    for (int y = r.y; y < r.y + r.height; ++y) {
      for (int x = r.x; x < r.x + r.width; ++x) {
        const Rgb c = color_at(frame.picture, options.color, x, y, level_bits);
        index.emplace((std::uint32_t{c.r} << 16) | (std::uint32_t{c.g} << 8) | c.b, 0);
      }
    }
    if (index.size() <= 256) break;
  }
  int table_size = 2;
  while (table_size < static_cast<int>(index.size())) table_size *= 2;
  std::vector<GifColorType> colors(static_cast<std::size_t>(table_size), GifColorType{0, 0, 0});
  int next = 0;
  for (auto& [rgb, i] : index) {
    i = next;
    colors[static_cast<std::size_t>(next++)] = GifColorType{
        static_cast<GifByteType>(rgb >> 16), static_cast<GifByteType>(rgb >> 8), static_cast<GifByteType>(rgb)};
  }
  const std::unique_ptr<ColorMapObject, MapFree> map(GifMakeMapObject(table_size, colors.data()));
  if (!map) throw std::runtime_error("GIF encoding failed: out of memory for a colour map.");

  GraphicsControlBlock gcb{};
  gcb.DisposalMode = DISPOSE_DO_NOT;
  gcb.UserInputFlag = false;
  gcb.DelayTime = gif_delay_cs(frame.hold_ns);
  gcb.TransparentColor = NO_TRANSPARENT_COLOR;
  GifByteType extension[4];
  const std::size_t length = EGifGCBToExtension(&gcb, extension);
  check(EGifPutExtension(gif, GRAPHICS_EXT_FUNC_CODE, static_cast<int>(length), extension), gif, "frame delay");

  check(EGifPutImageDesc(gif, r.x * scale, r.y * scale, r.width * scale, r.height * scale, false, map.get()), gif,
        "image");
  std::vector<GifPixelType> line(static_cast<std::size_t>(r.width * scale));
  for (int y = r.y; y < r.y + r.height; ++y) {
    for (int x = r.x; x < r.x + r.width; ++x) {
      const Rgb c = color_at(frame.picture, options.color, x, y, level_bits);
      const auto i = static_cast<GifPixelType>(index.at((std::uint32_t{c.r} << 16) | (std::uint32_t{c.g} << 8) | c.b));
      std::fill_n(line.begin() + (x - r.x) * scale, scale, i);
    }
    for (int row = 0; row < scale; ++row) {
      check(EGifPutLine(gif, line.data(), static_cast<int>(line.size())), gif, "pixels");
    }
  }
}

struct GifClose {
  void operator()(GifFileType* gif) const {
    int error = 0;
    EGifCloseFile(gif, &error);
  }
};

}  // namespace

int gif_delay_cs(std::uint64_t hold_ns) {
  const std::uint64_t ns = std::max(hold_ns, kMinGifHoldNs);
  const std::uint64_t cs = (ns + 9'999'999) / 10'000'000;
  return static_cast<int>(std::min<std::uint64_t>(cs, 65535));
}

std::vector<std::uint8_t> encode_gif(const std::vector<GifFrame>& frames, const PngOptions& options) {
  if (frames.empty()) throw std::invalid_argument("A GIF needs at least one frame.");
  if (options.scale < 1 || options.scale > kMaxPngScale) {
    throw std::invalid_argument("GIF scale must be 1 to " + std::to_string(kMaxPngScale) + ", got '" +
                                std::to_string(options.scale) + "'.");
  }
  std::vector<std::uint8_t> out;
  int error = 0;
  std::unique_ptr<GifFileType, GifClose> gif(EGifOpen(&out, gif_output, &error));
  if (!gif) throw std::runtime_error(std::string("GIF encoding failed: ") + GifErrorString(error) + ".");
  EGifSetGifVersion(gif.get(), true);
  // Every frame of a run shows the same glass.
  const int panel_width = frames[0].picture.width + 2 * kPngBezel;
  const int panel_height = frames[0].picture.height + 2 * kPngBezel;
  check(EGifPutScreenDesc(gif.get(), panel_width * options.scale, panel_height * options.scale, 8, 0, nullptr),
        gif.get(), "screen");
  // Looped for ever: the application extension "NETSCAPE2.0" with a loop count of 0.
  static const GifByteType kLoopApp[] = {'N', 'E', 'T', 'S', 'C', 'A', 'P', 'E', '2', '.', '0'};
  static const GifByteType kLoopForever[] = {1, 0, 0};
  check(EGifPutExtensionLeader(gif.get(), APPLICATION_EXT_FUNC_CODE), gif.get(), "loop");
  check(EGifPutExtensionBlock(gif.get(), sizeof kLoopApp, kLoopApp), gif.get(), "loop");
  check(EGifPutExtensionBlock(gif.get(), sizeof kLoopForever, kLoopForever), gif.get(), "loop");
  check(EGifPutExtensionTrailer(gif.get()), gif.get(), "loop");

  for (std::size_t i = 0; i < frames.size(); ++i) {
    Rect r{0, 0, panel_width, panel_height};
    if (i > 0) {
      r = changed_rect(frames[i - 1].picture, frames[i].picture);
      if (r.width == 0) r = Rect{kPngBezel, kPngBezel, 1, 1};  // unchanged: one pixel, drawn as it was
    }
    put_frame(gif.get(), frames[i], r, options);
  }
  GifFileType* raw = gif.release();
  if (EGifCloseFile(raw, &error) == GIF_ERROR) {
    throw std::runtime_error(std::string("GIF encoding failed: ") + GifErrorString(error) + ".");
  }
  return out;
}

}  // namespace qel::view
