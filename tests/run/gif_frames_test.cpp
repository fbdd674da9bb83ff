// The GIF of a run, read back with giflib, shows exactly the pictures --frames
// writes after each call: same count, same pixels, in the chosen colour and scale.
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <sstream>

#include "../view/gif_decode.h"
#include "rgb_png.h"
#include "run/execute.h"

namespace qel::run {
namespace {

namespace fs = std::filesystem;

TEST(GifOfARun, FramesAreThePicturesAfterEachCall) {
  const fs::path dir = fs::temp_directory_path() / ("qel_gif_frames_" + std::to_string(::getpid()));
  fs::remove_all(dir);
  Request o;
  o.script_path = std::string(QEL_EXAMPLES_DIR) + "/build-up.qel";
  o.gif_path = (dir / "run.gif").string();
  o.frames_dir = (dir / "frames").string();
  o.png = view::PngOptions{3, view::PanelColor::YellowBlue};
  o.term = TermMode::Off;
  fs::create_directories(dir);
  std::ostringstream out, err;
  ASSERT_EQ(execute(o, out, err), 0) << err.str();

  std::ifstream in(o.gif_path, std::ios::binary);
  const std::vector<std::uint8_t> gif((std::istreambuf_iterator<char>(in)), {});
  const view::test::Decoded d = view::test::decode(gif);
  ASSERT_EQ(d.frames.size(), 12u);  // one per call of the script
  for (std::size_t i = 0; i < d.frames.size(); ++i) {
    char name[32];
    std::snprintf(name, sizeof name, "frame_%04zu.png", i + 1);
    const test::RgbPng png = test::read_rgb_png((dir / "frames" / name).string());
    ASSERT_EQ(png.width, d.width);
    ASSERT_EQ(png.height, d.height);
    std::size_t wrong = 0;
    for (std::size_t p = 0; p < d.frames[i].size(); ++p) {
      wrong += png.at(static_cast<int>(p) % png.width, static_cast<int>(p) / png.width) == d.frames[i][p] ? 0 : 1;
    }
    EXPECT_EQ(wrong, 0u) << name;
  }
  fs::remove_all(dir);
}

}  // namespace
}  // namespace qel::run
