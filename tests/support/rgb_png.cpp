// PNG files read as RGB for tests; see rgb_png.h.
#include "rgb_png.h"

#include <png.h>

namespace qel::test {

namespace {

// `image` begun by one of libpng's simplified readers (`begun`), finished as RGB.
RgbPng finish(png_image& image, bool begun, const std::string& name, std::string* error) {
  RgbPng out;
  if (begun) {
    image.format = PNG_FORMAT_RGB;
    out.rgb.resize(PNG_IMAGE_SIZE(image));
    if (png_image_finish_read(&image, nullptr, out.rgb.data(), 0, nullptr) != 0) {
      out.width = static_cast<int>(image.width);
      out.height = static_cast<int>(image.height);
      return out;
    }
  }
  if (error != nullptr) *error = "Cannot read PNG file '" + name + "': " + image.message + ".";
  png_image_free(&image);
  return RgbPng{};
}

}  // namespace

RgbPng read_rgb_png(const std::string& path, std::string* error) {
  png_image image{};
  image.version = PNG_IMAGE_VERSION;
  return finish(image, png_image_begin_read_from_file(&image, path.c_str()) != 0, path, error);
}

RgbPng read_rgb_png(const std::vector<std::uint8_t>& png, std::string* error) {
  png_image image{};
  image.version = PNG_IMAGE_VERSION;
  return finish(image, png_image_begin_read_from_memory(&image, png.data(), png.size()) != 0, "(memory)", error);
}

}  // namespace qel::test
