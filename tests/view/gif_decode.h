// Test helper: reads an animated GIF back with giflib's decoder and composes
// its frames as a viewer does (each drawn over the ones before).
#pragma once

#include <gif_lib.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <vector>

#include "view/png_writer.h"

namespace qel::view::test {

struct Reader {
  const std::vector<std::uint8_t>& data;
  std::size_t at = 0;
};

inline int read_memory(GifFileType* gif, GifByteType* out, int length) {
  auto* r = static_cast<Reader*>(gif->UserData);
  const std::size_t n = std::min<std::size_t>(static_cast<std::size_t>(length), r->data.size() - r->at);
  std::memcpy(out, r->data.data() + r->at, n);
  r->at += n;
  return static_cast<int>(n);
}

struct Decoded {
  int width = 0, height = 0;
  std::vector<std::vector<Rgb>> frames;  // each composed on the ones before
  std::vector<int> delays_cs;
  bool loops_forever = false;
};

inline Decoded decode(const std::vector<std::uint8_t>& data) {
  Reader reader{data};
  int error = 0;
  GifFileType* gif = DGifOpen(&reader, read_memory, &error);
  Decoded d;
  if (gif == nullptr) {
    ADD_FAILURE() << GifErrorString(error);
    return d;
  }
  EXPECT_EQ(DGifSlurp(gif), GIF_OK) << GifErrorString(gif->Error);
  d.width = gif->SWidth;
  d.height = gif->SHeight;
  std::vector<Rgb> canvas(static_cast<std::size_t>(d.width * d.height));
  for (int i = 0; i < gif->ImageCount; ++i) {
    const SavedImage& image = gif->SavedImages[i];
    for (int b = 0; b + 1 < image.ExtensionBlockCount; ++b) {
      const ExtensionBlock& e = image.ExtensionBlocks[b];
      const ExtensionBlock& next = image.ExtensionBlocks[b + 1];
      if (e.Function == APPLICATION_EXT_FUNC_CODE && e.ByteCount == 11 &&
          std::memcmp(e.Bytes, "NETSCAPE2.0", 11) == 0 && next.ByteCount == 3 && next.Bytes[0] == 1 &&
          next.Bytes[1] == 0 && next.Bytes[2] == 0) {
        d.loops_forever = true;
      }
    }
    GraphicsControlBlock gcb{};
    EXPECT_EQ(DGifSavedExtensionToGCB(gif, i, &gcb), GIF_OK);
    d.delays_cs.push_back(gcb.DelayTime);
    const GifImageDesc& desc = image.ImageDesc;
    const ColorMapObject* map = desc.ColorMap != nullptr ? desc.ColorMap : gif->SColorMap;
    EXPECT_NE(map, nullptr);
    for (int y = 0; y < desc.Height; ++y) {
      for (int x = 0; x < desc.Width; ++x) {
        const GifColorType c = map->Colors[image.RasterBits[y * desc.Width + x]];
        canvas[static_cast<std::size_t>((desc.Top + y) * d.width + desc.Left + x)] = Rgb{c.Red, c.Green, c.Blue};
      }
    }
    d.frames.push_back(canvas);
  }
  DGifCloseFile(gif, &error);
  return d;
}

}  // namespace qel::view::test
