// PNG files read as RGB for tests; see rgb_png.h.
#include "rgb_png.h"

#include <png.h>

namespace qel::test {

RgbPng read_rgb_png(const std::string& path, std::string* error) {
  png_image image{};
  image.version = PNG_IMAGE_VERSION;
  RgbPng out;
  if (png_image_begin_read_from_file(&image, path.c_str()) != 0) {
    image.format = PNG_FORMAT_RGB;
    out.rgb.resize(PNG_IMAGE_SIZE(image));
    if (png_image_finish_read(&image, nullptr, out.rgb.data(), 0, nullptr) != 0) {
      out.width = static_cast<int>(image.width);
      out.height = static_cast<int>(image.height);
      return out;
    }
  }
  if (error != nullptr) *error = "Cannot read PNG file '" + path + "': " + image.message + ".";
  png_image_free(&image);
  return RgbPng{};
}

}  // namespace qel::test
