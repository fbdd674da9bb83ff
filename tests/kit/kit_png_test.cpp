// Golden pictures as teams use them: equal pictures compare as 0, a known change
// as its exact count with the golden, count and box in qel_panel_error(); the
// three-panel diff image; any PNG showing the panel is a golden; update mode
// records and rewrites, never under CI; the artifacts folder keeps what differed;
// bad files are reported with their names and why.
#include <png.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <string>
#include <vector>

#include "common/staged_file.h"
#include "kit_fixture.h"
#include "rgb_png.h"
#include "view/png_writer.h"

namespace qel::kit_test {
namespace {

namespace fs = std::filesystem;

std::string error() { return qel_panel_error(); }

class GoldenPng : public KitTest {
 protected:
  void TearDown() override {
    for (const char* v : {"QEL_PANEL_UPDATE_GOLDEN", "QEL_PANEL_ARTIFACTS_DIR", "CI"}) unsetenv(v);
  }
  void SetUp() override {
    KitTest::SetUp();
    TearDown();
  }
};

// 'A' (7C 12 11 12 7C) becoming 'B' (7F 49 49 49 36) changes 2 + 5 + 3 + 5 + 3
// pixels, in columns 8-12 (the second cell, columns 7-12, less its blank first
// column) and rows 32-38 (line 4, bits 0-6). The diff image shows golden | now |
// difference, each at the golden's size with a gap between: the difference is
// the golden with lost pixels red and new ones green.
TEST_F(GoldenPng, KnownChangeCountsExactlyAndTheDiffImageShowsIt) {
  QEL_LCD_WriteString(text("xAx"), 4);
  const std::string golden = scratch("a.png"), diff = scratch("a-diff.png");
  ASSERT_EQ(qel_panel_write_png(golden.c_str()), 0) << error();
  EXPECT_EQ(qel_panel_compare_png(golden.c_str(), nullptr), 0);
  std::vector<int> was_lit(128 * 64);
  for (int i = 0; i < 128 * 64; ++i) was_lit[i] = qel_panel_pixel(i % 128, i / 128);
  QEL_LCD_WriteString(text("xBx"), 4);
  EXPECT_EQ(qel_panel_compare_png(golden.c_str(), nullptr), 18);
  EXPECT_EQ(error(), "The panel differs from the golden '" + golden + "' in 18 pixels (x 8-12, y 32-38).");
  const long differing = qel_panel_compare_png(golden.c_str(), diff.c_str());
  ASSERT_EQ(differing, 18) << error();
  EXPECT_NE(error().find("; diff image '" + diff + "'"), std::string::npos) << error();

  const test::RgbPng g = test::read_rgb_png(golden), d = test::read_rgb_png(diff);
  const int scale = g.width / 136, gap = (d.width - 3 * g.width) / 2;
  ASSERT_EQ(d.height, g.height);
  ASSERT_GE(gap, 8);
  const int now_x = g.width + gap, diff_x = 2 * (g.width + gap);
  long lost = 0, gained = 0;
  for (int y = 0; y < 64; ++y) {
    for (int x = 0; x < 128; ++x) {
      const int before = was_lit[y * 128 + x], now = qel_panel_pixel(x, y);
      const int px = (x + 4) * scale + scale / 2, py = (y + 4) * scale + scale / 2;
      const view::Rgb marked = before == now ? g.at(px, py) : before ? view::Rgb{255, 40, 40} : view::Rgb{40, 255, 80};
      ASSERT_EQ(d.at(px, py), g.at(px, py)) << "golden panel, pixel " << x << ", " << y;
      const view::Rgb shown = now ? view::Rgb{255, 255, 255} : view::Rgb{8, 8, 10};
      ASSERT_EQ(d.at(now_x + px, py), shown) << "panel now, pixel " << x << ", " << y;
      ASSERT_EQ(d.at(diff_x + px, py), marked) << "difference panel, pixel " << x << ", " << y;
      lost += before && !now;
      gained += now && !before;
    }
  }
  EXPECT_GT(lost, 0);
  EXPECT_GT(gained, 0);
  EXPECT_EQ(lost + gained, differing);
  EXPECT_EQ(d.at(now_x, 0), g.at(0, 0)) << "the panel now has the golden's bezel";
}

// How a variant of the kit's picture is stored: libpng's simplified writer
// writes an sRGB chunk with 8-bit samples, a gAMA chunk with
// PNG_IMAGE_FLAG_COLORSPACE_NOT_sRGB, gAMA 1.0 and cHRM with 16-bit (linear)
// samples, and a palette of as few bits as the colours need with a colormap.
struct Variant {
  const char* name;
  bool plain;  // 128 x 64 without a bezel, lit white on black
  png_uint_32 format, flags = 0;
};

// The kit's own picture (`kit`, 8-bit RGB), or the bare panel, stored as `v`.
void write_variant(const std::string& path, const test::RgbPng& kit, const Variant& v) {
  png_image image{};
  image.version = PNG_IMAGE_VERSION;
  image.width = static_cast<png_uint_32>(v.plain ? 128 : kit.width);
  image.height = static_cast<png_uint_32>(v.plain ? 64 : kit.height);
  image.format = v.format;
  image.flags = v.flags;
  const bool colormap = (v.format & PNG_FORMAT_FLAG_COLORMAP) != 0;
  std::vector<png_byte> samples, map;
  std::vector<png_uint_16> wide;
  for (int y = 0; y < static_cast<int>(image.height); ++y) {
    for (int x = 0; x < static_cast<int>(image.width); ++x) {
      const view::Rgb c = !v.plain ? kit.at(x, y) : qel_panel_pixel(x, y) ? view::Rgb{255, 255, 255} : view::Rgb{};
      const png_byte rgba[4] = {c.r, c.g, c.b, 255};
      if (colormap) {
        std::size_t entry = 0;
        while (entry < map.size() && !std::equal(rgba, rgba + 3, map.begin() + static_cast<std::ptrdiff_t>(entry))) {
          entry += 3;
        }
        if (entry == map.size()) map.insert(map.end(), rgba, rgba + 3);
        samples.push_back(static_cast<png_byte>(entry / 3));
        continue;
      }
      for (unsigned i = 0; i < PNG_IMAGE_SAMPLE_CHANNELS(v.format); ++i) {
        samples.push_back(rgba[i]);
        wide.push_back(static_cast<png_uint_16>(rgba[i] * 257));
      }
    }
  }
  image.colormap_entries = static_cast<png_uint_32>(map.size() / 3);
  const bool linear = (v.format & PNG_FORMAT_FLAG_LINEAR) != 0;
  ASSERT_NE(png_image_write_to_file(&image, path.c_str(), 0, linear ? static_cast<void*>(wide.data()) : samples.data(),
                                    0, map.data()),
            0)
      << v.name << ": " << image.message;
}

// Any PNG showing the panel is a golden, however it is stored.
TEST_F(GoldenPng, AnyPngShowingThePanelIsAGolden) {
  QEL_LCD_WriteString(text("T= 21"), 2);
  QEL_LCD_WriteString(text("{|}~ gyp"), 7);
  const std::string own = scratch("own-picture.png");
  ASSERT_EQ(qel_panel_write_png(own.c_str()), 0);
  const test::RgbPng kit = test::read_rgb_png(own);
  const Variant variants[] = {
      {"8-bit RGB with sRGB", false, PNG_FORMAT_RGB},
      {"8-bit RGB with gAMA", false, PNG_FORMAT_RGB, PNG_IMAGE_FLAG_COLORSPACE_NOT_sRGB},
      {"16-bit RGB with gAMA 1.0 and cHRM", false, PNG_FORMAT_LINEAR_RGB},
      {"palette", false, PNG_FORMAT_RGB_COLORMAP},
      {"RGB with alpha", false, PNG_FORMAT_RGBA},
      {"plain 128 x 64, 1-bit palette", true, PNG_FORMAT_RGB_COLORMAP},
      {"plain 128 x 64, 16-bit gray", true, PNG_FORMAT_LINEAR_Y},
      {"plain 128 x 64, 8-bit gray", true, PNG_FORMAT_GRAY},
      {"plain 128 x 64, 8-bit RGB", true, PNG_FORMAT_RGB},
  };
  for (const Variant& v : variants) {
    const std::string golden = scratch("variant.png");
    write_variant(golden, kit, v);
    EXPECT_EQ(qel_panel_compare_png(golden.c_str(), nullptr), 0) << v.name << ": " << error();
  }
  // qel-lcd-sim --png writes other scales and colours, and no colour chunk.
  emu::Picture picture;
  for (int y = 0; y < 64; ++y) {
    for (int x = 0; x < 128; ++x) picture.set(x, y, qel_panel_pixel(x, y) ? 255 : 0);
  }
  for (const view::PngOptions o :
       {view::PngOptions{1, view::PanelColor::White}, view::PngOptions{3, view::PanelColor::Blue},
        view::PngOptions{7, view::PanelColor::YellowBlue}}) {
    const std::string golden = scratch("scaled.png");
    common::write_whole_file(golden, "golden", view::encode_png(picture, o));
    EXPECT_EQ(qel_panel_compare_png(golden.c_str(), nullptr), 0) << "scale " << o.scale << ": " << error();
  }
}

TEST_F(GoldenPng, UpdateModeRecordsAndRewritesGoldensButNeverUnderCi) {
  const std::string dir = scratch("goldens");
  fs::remove_all(dir);
  const std::string golden = dir + "/sub/screen.png";
  QEL_LCD_WriteString(text("first run"), 3);

  EXPECT_EQ(qel_panel_compare_png(golden.c_str(), nullptr), -1);
  EXPECT_EQ(error(), "Golden PNG file '" + golden +
                         "' does not exist; run the test with QEL_PANEL_UPDATE_GOLDEN=1 to record it.");
  setenv("QEL_PANEL_UPDATE_GOLDEN", "1", 1);
  testing::internal::CaptureStderr();
  EXPECT_EQ(qel_panel_compare_png(golden.c_str(), nullptr), 0) << error();
  EXPECT_EQ(testing::internal::GetCapturedStderr(), "qel_panel: recorded the golden '" + golden + "'.\n");

  QEL_LCD_WriteString(text("second run"), 3);
  const long differing = [&] {
    unsetenv("QEL_PANEL_UPDATE_GOLDEN");
    return qel_panel_compare_png(golden.c_str(), nullptr);
  }();
  ASSERT_GT(differing, 0);
  // On a golden that differs: any spelling of on is refused under CI; off compares.
  const char* const kUnderCi = "QEL_PANEL_UPDATE_GOLDEN is set under CI";
  const struct {
    const char* value;
    bool ci;
    const char* error;  // part of qel_panel_error() when refused; nullptr: the difference is counted
  } values[] = {{"TRUE", true, kUnderCi}, {"yes", true, kUnderCi},
                {"On", true, kUnderCi},   {"0", false, nullptr},
                {"off", false, nullptr},  {"No", false, nullptr},
                {"", false, nullptr},     {"maybe", false, "QEL_PANEL_UPDATE_GOLDEN='maybe' is not understood"}};
  for (const auto& v : values) {
    setenv("QEL_PANEL_UPDATE_GOLDEN", v.value, 1);
    v.ci ? setenv("CI", "true", 1) : unsetenv("CI");
    EXPECT_EQ(qel_panel_compare_png(golden.c_str(), nullptr), v.error != nullptr ? -1 : differing) << v.value;
    if (v.error != nullptr) {
      EXPECT_NE(error().find(v.error), std::string::npos) << error();
    }
  }
  unsetenv("CI");

  setenv("QEL_PANEL_UPDATE_GOLDEN", "yes", 1);
  testing::internal::CaptureStderr();
  EXPECT_EQ(qel_panel_compare_png(golden.c_str(), nullptr), 0) << error();
  EXPECT_NE(testing::internal::GetCapturedStderr().find("qel_panel: rewrote the golden '" + golden + "' ("),
            std::string::npos);
  unsetenv("QEL_PANEL_UPDATE_GOLDEN");
  EXPECT_EQ(qel_panel_compare_png(golden.c_str(), nullptr), 0) << "the rewritten golden is the panel now";
  fs::remove_all(dir);
}

TEST_F(GoldenPng, ArtifactsFolderKeepsTheActualAndDiffOfEveryDifference) {
  const std::string artifacts = scratch("artifacts");
  fs::remove_all(artifacts);
  setenv("QEL_PANEL_ARTIFACTS_DIR", artifacts.c_str(), 1);
  QEL_LCD_WriteString(text("before"), 1);
  const std::string same = scratch("same.png"), changed = scratch("changed.png");
  ASSERT_EQ(qel_panel_write_png(same.c_str()), 0);
  ASSERT_EQ(qel_panel_write_png(changed.c_str()), 0);
  EXPECT_EQ(qel_panel_compare_png(same.c_str(), nullptr), 0);
  EXPECT_FALSE(fs::exists(artifacts)) << "nothing differed";

  QEL_LCD_WriteString(text("after"), 1);
  EXPECT_GT(qel_panel_compare_png(changed.c_str(), nullptr), 0);
  EXPECT_NE(error().find("actual and diff images in '" + artifacts + "'"), std::string::npos) << error();
  const std::string kept = scratch("kept-now.png");
  ASSERT_EQ(qel_panel_write_png(kept.c_str()), 0);
  std::ifstream a(artifacts + "/changed.actual.png", std::ios::binary), b(kept, std::ios::binary);
  EXPECT_EQ(std::string(std::istreambuf_iterator<char>(a), {}), std::string(std::istreambuf_iterator<char>(b), {}));
  EXPECT_EQ(test::read_rgb_png(artifacts + "/changed.diff.png").height, 288);
  EXPECT_FALSE(fs::exists(artifacts + "/same.actual.png"));
  fs::remove_all(artifacts);
}

// A diff image aimed at the golden itself, under any of its names, is refused
// and the golden keeps its bytes.
TEST_F(GoldenPng, DiffOverTheGoldenIsRefused) {
  const std::string golden = scratch("own.png"), link = scratch("own-link.png");
  ASSERT_EQ(qel_panel_write_png(golden.c_str()), 0) << error();
  ASSERT_EQ(::symlink(golden.c_str(), link.c_str()), 0);
  std::ifstream in(golden, std::ios::binary);
  const std::string before((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  QEL_LCD_WriteString(text("changed"), 0);
  const std::string dir = QEL_KIT_TEST_DIR;
  for (const std::string& diff : {golden, dir + "/./own.png", dir + "/../kit/own.png", link}) {
    EXPECT_EQ(qel_panel_compare_png(golden.c_str(), diff.c_str()), -1) << diff;
    EXPECT_NE(error().find("'" + golden + "'"), std::string::npos) << error();
    std::ifstream now(golden, std::ios::binary);
    EXPECT_EQ(std::string((std::istreambuf_iterator<char>(now)), std::istreambuf_iterator<char>()), before) << diff;
  }
  std::remove(link.c_str());
}

// Every failure returns -1 and a sentence that names the file and says why.
TEST_F(GoldenPng, BadFilesAreReportedByNameAndReason) {
  const std::string not_png = scratch("not-a.png"), odd_size = scratch("odd-size.png"),
                    no_bezel = scratch("no-bezel.png"), folder = scratch("folder.png"), golden = scratch("g.png");
  std::ofstream(not_png) << "hello";
  fs::remove_all(folder);
  fs::create_directory(folder);
  const test::RgbPng grey{136, 72, std::vector<std::uint8_t>(136 * 72 * 3, 200)};
  write_variant(no_bezel, grey, Variant{"no bezel", false, PNG_FORMAT_RGB});
  write_variant(odd_size, test::RgbPng{100, 50, std::vector<std::uint8_t>(100 * 50 * 3, 200)},
                Variant{"odd", false, PNG_FORMAT_RGB});
  ASSERT_EQ(qel_panel_write_png(golden.c_str()), 0);
  QEL_LCD_WriteString(text("changed"), 0);

  const std::string gone_png = "/nonexistent-folder/out.png", gone_vcd = "/nonexistent-folder/out.vcd";
  const std::string gone_diff = "/nonexistent-folder/diff.png";
  const auto compare = [](const std::string& golden) { return qel_panel_compare_png(golden.c_str(), nullptr); };
  const auto write_png = [](const std::string& name) { return long{qel_panel_write_png(name.c_str())}; };
  const auto write_vcd = [](const std::string& name) { return long{qel_panel_write_vcd(name.c_str())}; };
  // clang-format off
  const struct { const char* name; std::function<long()> call; std::string file, why; } cases[] = {
      {"picture into a missing folder", [&] { return write_png(gone_png); }, gone_png, "No such file"},
      {"waveform into a missing folder", [&] { return write_vcd(gone_vcd); }, gone_vcd, "No such file"},
      {"golden that is a folder", [&] { return compare(folder); }, folder, "it is a folder"},
      {"golden that is not a PNG", [&] { return compare(not_png); }, not_png, "it is not a PNG file"},
      {"golden of another size", [&] { return compare(odd_size); }, odd_size, "its size 100 x 50 is neither"},
      {"golden without a bezel", [&] { return compare(no_bezel); }, no_bezel, "not its colour"},
      {"diff into no folder", [&] { return qel_panel_compare_png(golden.c_str(), gone_diff.c_str()); }, gone_diff,
       "No such file"},
  };
  // clang-format on
  for (const auto& c : cases) {
    EXPECT_EQ(c.call(), -1) << c.name;
    EXPECT_NE(error().find("'" + c.file + "'"), std::string::npos) << c.name << ": " << error();
    EXPECT_NE(error().find(c.why), std::string::npos) << c.name << ": " << error();
  }
  EXPECT_EQ(qel_panel_write_png(nullptr), -1);
  EXPECT_EQ(qel_panel_compare_png(nullptr, nullptr), -1);
  fs::remove_all(folder);
}

}  // namespace
}  // namespace qel::kit_test
