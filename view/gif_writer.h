// Animated GIF of panel pictures (giflib): each picture drawn as the PNG draws
// it (bezel, panel colour, scale), held for its wire time but at least 20 ms,
// looped for ever. After the first, a frame carries only the rectangle that
// changed and leaves the rest of the previous one on screen.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "emulator/picture.h"
#include "view/png_writer.h"

namespace qel::view {

struct GifFrame {
  emu::Picture picture;
  std::uint64_t hold_ns = 0;  // how long it is shown; rounded up to 10 ms steps, at least 20 ms
};

inline constexpr std::uint64_t kMinGifHoldNs = 20'000'000;

// The GIF delay of a frame held for `hold_ns`: hundredths of a second, 2 to 65535.
int gif_delay_cs(std::uint64_t hold_ns);

// The encoded file. Throws std::invalid_argument for no frames or a scale out of
// range, std::runtime_error when giflib fails. A frame with more than 256
// colours (never a picture of the emulator: it has one lit brightness at a
// time) is drawn with its brightness rounded to fewer steps.
std::vector<std::uint8_t> encode_gif(const std::vector<GifFrame>& frames, const PngOptions& options = {});

}  // namespace qel::view
