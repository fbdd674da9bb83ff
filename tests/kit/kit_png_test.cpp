// Golden pictures: equal pictures compare as 0, a known change as its exact pixel
// count, the diff image marks lost and new pixels, a missing golden is created
// only on request, and bad files are reported with their names.
#include <png.h>
#include <unistd.h>

#include <cstdlib>
#include <fstream>
#include <functional>
#include <iterator>
#include <string>
#include <vector>

#include "kit_fixture.h"
#include "common/staged_file.h"
#include "view/png_writer.h"

namespace qel::kit_test {
namespace {

struct Image {
  int width = 0, height = 0;
  std::vector<std::uint8_t> rgb;
  view::Rgb at(int x, int y) const {
    const std::size_t i = (static_cast<std::size_t>(y) * width + x) * 3;
    return view::Rgb{rgb[i], rgb[i + 1], rgb[i + 2]};
  }
};

Image read_image(const std::string& path) {
  png_image image{};
  image.version = PNG_IMAGE_VERSION;
  Image out;
  if (!png_image_begin_read_from_file(&image, path.c_str())) {
    ADD_FAILURE() << "cannot read " << path;
    return out;
  }
  image.format = PNG_FORMAT_RGB;
  out.width = static_cast<int>(image.width);
  out.height = static_cast<int>(image.height);
  out.rgb.resize(PNG_IMAGE_SIZE(image));
  png_image_finish_read(&image, nullptr, out.rgb.data(), 0, nullptr);
  return out;
}

class GoldenPng : public KitTest {
 protected:
  void TearDown() override { unsetenv("QEL_PANEL_UPDATE_GOLDEN"); }
};

TEST_F(GoldenPng, SamePictureComparesEqualAndWritesNoDiff) {
  QEL_LCD_WriteString(text("Menu"), 1);
  const std::string golden = scratch("same.png"), diff = scratch("same-diff.png");
  ASSERT_EQ(qel_panel_write_png(golden.c_str()), 0) << qel_panel_error();
  EXPECT_EQ(qel_panel_compare_png(golden.c_str(), diff.c_str()), 0);
  EXPECT_FALSE(std::ifstream(diff).good());
}

// 'A' (7C 12 11 12 7C) becoming 'B' (7F 49 49 49 36) changes 2 + 5 + 3 + 5 + 3 pixels.
TEST_F(GoldenPng, KnownChangeCountsExactly) {
  QEL_LCD_WriteString(text("xAx"), 4);
  const std::string golden = scratch("a.png");
  ASSERT_EQ(qel_panel_write_png(golden.c_str()), 0) << qel_panel_error();
  QEL_LCD_WriteString(text("xBx"), 4);
  EXPECT_EQ(qel_panel_compare_png(golden.c_str(), nullptr), 18);
}

// Goldens from qel-lcd-sim may have any scale and colour.
TEST_F(GoldenPng, AnyScaleAndColourIsAPanelPicture) {
  QEL_LCD_WriteString(text("T= 21"), 2);
  const struct {
    int scale;
    view::PanelColor color;
  } cases[] = {{1, view::PanelColor::White}, {3, view::PanelColor::Blue}, {7, view::PanelColor::YellowBlue}};
  for (const auto& c : cases) {
    const std::string golden = scratch("scaled.png");
    // The kit's own picture, written at another scale and colour.
    qel_panel_write_png(golden.c_str());
    emu::Picture picture;
    for (int y = 0; y < picture.height; ++y) {
      for (int x = 0; x < picture.width; ++x) picture.set(x, y, qel_panel_pixel(x, y) ? 255 : 0);
    }
    common::write_whole_file(golden, "golden", view::encode_png(picture, view::PngOptions{c.scale, c.color}));
    EXPECT_EQ(qel_panel_compare_png(golden.c_str(), nullptr), 0) << "scale " << c.scale << ": " << qel_panel_error();
  }
}

// The diff image is the golden with pixels lit only there in red and pixels lit
// only now in green, square by square at the golden's scale.
TEST_F(GoldenPng, DiffImageMarksLostAndNewPixels) {
  QEL_LCD_WriteString(text("Old"), 0);
  const std::string golden = scratch("old.png"), diff = scratch("old-diff.png");
  ASSERT_EQ(qel_panel_write_png(golden.c_str()), 0);
  std::vector<int> was_lit(128 * 64);
  for (int i = 0; i < 128 * 64; ++i) was_lit[i] = qel_panel_pixel(i % 128, i / 128);
  QEL_LCD_WriteString(text("New"), 0);
  const long differing = qel_panel_compare_png(golden.c_str(), diff.c_str());
  ASSERT_GT(differing, 0) << qel_panel_error();

  const Image g = read_image(golden), d = read_image(diff);
  ASSERT_EQ(d.width, g.width);
  ASSERT_EQ(d.height, g.height);
  const int scale = g.width / 136;
  long lost = 0, gained = 0;
  for (int y = 0; y < 64; ++y) {
    for (int x = 0; x < 128; ++x) {
      const int before = was_lit[y * 128 + x], now = qel_panel_pixel(x, y);
      const view::Rgb want = before == now ? g.at((x + 4) * scale, (y + 4) * scale)
                             : before      ? view::Rgb{255, 40, 40}
                                           : view::Rgb{40, 255, 80};
      lost += before && !now;
      gained += now && !before;
      for (const auto& [dx, dy] : {std::pair{0, 0}, std::pair{scale - 1, scale - 1}}) {
        ASSERT_EQ(d.at((x + 4) * scale + dx, (y + 4) * scale + dy), want) << "pixel " << x << ", " << y;
      }
    }
  }
  EXPECT_GT(lost, 0);
  EXPECT_GT(gained, 0);
  EXPECT_EQ(lost + gained, differing);
  EXPECT_EQ(d.at(0, 0), g.at(0, 0)) << "the bezel stays as in the golden";
}

TEST_F(GoldenPng, MissingGoldenIsCreatedOnlyWhenAskedFor) {
  QEL_LCD_WriteString(text("first run"), 3);
  const std::string golden = scratch("new-golden.png");
  EXPECT_EQ(qel_panel_compare_png(golden.c_str(), nullptr), -1);
  EXPECT_NE(std::string(qel_panel_error()).find("'" + golden + "'"), std::string::npos) << qel_panel_error();
  EXPECT_FALSE(std::ifstream(golden).good());

  setenv("QEL_PANEL_UPDATE_GOLDEN", "0", 1);
  EXPECT_EQ(qel_panel_compare_png(golden.c_str(), nullptr), -1) << "only 1 asks for an update";

  setenv("QEL_PANEL_UPDATE_GOLDEN", "1", 1);
  EXPECT_EQ(qel_panel_compare_png(golden.c_str(), nullptr), 0) << qel_panel_error();
  unsetenv("QEL_PANEL_UPDATE_GOLDEN");
  EXPECT_EQ(qel_panel_compare_png(golden.c_str(), nullptr), 0) << "the written golden matches";
  QEL_LCD_WriteString(text("second run"), 3);
  setenv("QEL_PANEL_UPDATE_GOLDEN", "1", 1);
  EXPECT_GT(qel_panel_compare_png(golden.c_str(), nullptr), 0) << "an existing golden is never overwritten";
}

void write_plain_png(const std::string& path, int width, int height) {
  std::vector<std::uint8_t> rgb(static_cast<std::size_t>(width) * height * 3, 200);
  png_image image{};
  image.version = PNG_IMAGE_VERSION;
  image.width = static_cast<png_uint_32>(width);
  image.height = static_cast<png_uint_32>(height);
  image.format = PNG_FORMAT_RGB;
  ASSERT_TRUE(png_image_write_to_file(&image, path.c_str(), 0, rgb.data(), 0, nullptr));
}

// A diff image aimed at the golden itself, under any of its names, is refused
// and the golden keeps its bytes.
TEST_F(GoldenPng, DiffOverTheGoldenIsRefused) {
  const std::string golden = scratch("own.png"), link = scratch("own-link.png");
  ASSERT_EQ(qel_panel_write_png(golden.c_str()), 0) << qel_panel_error();
  ASSERT_EQ(::symlink(golden.c_str(), link.c_str()), 0);
  std::ifstream in(golden, std::ios::binary);
  const std::string before((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  QEL_LCD_WriteString(text("changed"), 0);
  const std::string dir = QEL_KIT_TEST_DIR;
  for (const std::string& diff : {golden, dir + "/./own.png", dir + "/../kit/own.png", link}) {
    EXPECT_EQ(qel_panel_compare_png(golden.c_str(), diff.c_str()), -1) << diff;
    EXPECT_NE(std::string(qel_panel_error()).find("'" + golden + "'"), std::string::npos) << qel_panel_error();
    std::ifstream now(golden, std::ios::binary);
    EXPECT_EQ(std::string((std::istreambuf_iterator<char>(now)), std::istreambuf_iterator<char>()), before) << diff;
  }
  std::remove(link.c_str());
}

// Every failure returns -1 and a sentence that names the file.
TEST_F(GoldenPng, BadFilesAreReportedByName) {
  const std::string not_png = scratch("not-a.png"), odd_size = scratch("odd-size.png"),
                    no_bezel = scratch("no-bezel.png"), golden = scratch("g.png");
  std::ofstream(not_png) << "hello";
  write_plain_png(odd_size, 100, 50);
  write_plain_png(no_bezel, 136, 72);  // the panel's size at scale 1, but no bezel
  ASSERT_EQ(qel_panel_write_png(golden.c_str()), 0);
  QEL_LCD_WriteString(text("changed"), 0);

  const std::string missing_dir = "/nonexistent-folder/out";
  const struct {
    const char* name;
    std::function<long()> call;
    std::string file;
  } cases[] = {
      {"picture into a missing folder", [&] { return long{qel_panel_write_png((missing_dir + ".png").c_str())}; },
       missing_dir + ".png"},
      {"waveform into a missing folder", [&] { return long{qel_panel_write_vcd((missing_dir + ".vcd").c_str())}; },
       missing_dir + ".vcd"},
      {"golden that is not a PNG", [&] { return qel_panel_compare_png(not_png.c_str(), nullptr); }, not_png},
      {"golden of another size", [&] { return qel_panel_compare_png(odd_size.c_str(), nullptr); }, odd_size},
      {"golden without a bezel", [&] { return qel_panel_compare_png(no_bezel.c_str(), nullptr); }, no_bezel},
      {"diff into a missing folder",
       [&] { return qel_panel_compare_png(golden.c_str(), (missing_dir + "-diff.png").c_str()); },
       missing_dir + "-diff.png"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(c.call(), -1) << c.name;
    EXPECT_NE(std::string(qel_panel_error()).find("'" + c.file + "'"), std::string::npos)
        << c.name << ": " << qel_panel_error();
  }
  EXPECT_EQ(qel_panel_write_png(nullptr), -1);
  EXPECT_EQ(qel_panel_compare_png(nullptr, nullptr), -1);
}

}  // namespace
}  // namespace qel::kit_test
