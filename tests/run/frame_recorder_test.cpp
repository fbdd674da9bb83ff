// Frames of a run: a capture's bursts end at chip-select release or after 1 ms
// without a byte; long runs merge frames instead of growing; the waveform
// keeps a frame's first 64 bytes; the GIF of a run, read back with giflib,
// shows exactly the pictures --frames writes after each call.
#include "run/frame_recorder.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <sstream>
#include <string>
#include <vector>

#include "../view/gif_decode.h"
#include "rgb_png.h"
#include "run/execute.h"
#include "run/session.h"

namespace qel::run {
namespace {

using emu::Line;

constexpr std::uint64_t kBitNs = 100;

// Drives a controller's lines with times, as a capture replays.
struct Capture {
  Capture() {
    session.start(emu::ControllerOptions{false, emu::ColumnWrap::Start, true, false}, view::RunKind::Capture, "t.vcd");
  }
  void change(Line line, bool level) { session.controller().set_line(line, level, now); }
  // One byte, the clock low then high for each bit, starting at `now`.
  void byte(std::uint8_t value, bool is_data) {
    change(Line::DataCommand, is_data);
    for (int i = 7; i >= 0; --i) {
      change(Line::Clock, false);
      change(Line::Data, ((value >> i) & 1) != 0);
      now += kBitNs / 2;
      change(Line::Clock, true);
      now += kBitNs / 2;
    }
  }
  view::RunFrames finish() {
    session.finish();
    return recorder.take_frames();
  }
  std::uint64_t now = 1000;
  FrameRecorder recorder{RecorderOptions{}};
  Session session{recorder};
};

// Two bytes: one frame, or two when the bus was idle for 1 ms or chip select was
// released between them.
TEST(FrameRecorder, BurstsEndAtReleaseOrOneMsIdle) {
  const struct {
    std::uint64_t gap_ns;  // from the last clock edge of one byte to the first of the next
    bool release_between;  // chip select released (and taken again) between them
    std::size_t frames;
  } cases[] = {
      {kBitNs, false, 1},  // back to back
      {999'999, false, 1},
      {1'000'000, false, 2},
      {2 * kBitNs, true, 2},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.gap_ns);
    Capture capture;
    capture.byte(0xAF, false);
    const std::uint64_t first_end = capture.now - kBitNs / 2;  // the 8th rising edge
    if (c.release_between) {
      capture.change(Line::ChipSelect, true);
      capture.change(Line::ChipSelect, false);
    }
    capture.now = first_end + c.gap_ns - kBitNs / 2;
    capture.byte(0xA7, false);
    const view::RunFrames run = capture.finish();
    ASSERT_EQ(run.frames.size(), c.frames);
    EXPECT_EQ(run.units, c.frames);
    std::uint64_t bytes = 0;
    for (const view::Frame& f : run.frames) bytes += f.costs.command_bytes;
    EXPECT_EQ(bytes, 2u);
    const view::Frame& first = run.frames.front();
    EXPECT_EQ(first.start_ns, 1000u + kBitNs / 2);  // the first rising edge
    if (c.frames == 2) {
      EXPECT_EQ(first.end_ns, first_end);
      ASSERT_EQ(first.listing.size(), 1u);
      EXPECT_EQ(first.listing[0].text, "AF        display on");
      EXPECT_EQ(run.frames[1].listing.at(0).text, "A7        inverse");
      EXPECT_EQ(run.frames[1].first_unit, 2u);
    }
  }
  // Line changes without a byte make no frame.
  Capture none;
  for (int i = 0; i < 3; ++i) {
    none.change(Line::ChipSelect, true);
    none.now += 2'000'000;
    none.change(Line::ChipSelect, false);
  }
  EXPECT_TRUE(none.finish().frames.empty());
}

// A long burst draws its first 64 bytes, each from its first to its last clock
// edge, and counts the rest as left out.
TEST(FrameRecorder, WaveformKeepsTheFirst64Bytes) {
  Capture c;
  for (int i = 0; i < 70; ++i) c.byte(static_cast<std::uint8_t>(i), true);
  const view::RunFrames run = c.finish();
  ASSERT_EQ(run.frames.size(), 1u);
  const view::Waveform& w = run.frames[0].wave;
  ASSERT_EQ(w.bytes.size(), 64u);
  EXPECT_EQ(w.bytes_left_out, 6u);
  EXPECT_EQ(w.bytes[1].byte, (emu::WireByte{1, true}));
  EXPECT_EQ(w.bytes[1].start_ns, 1000u + 8 * kBitNs + kBitNs / 2);
  EXPECT_EQ(w.bytes[1].end_ns, 1000u + 16 * kBitNs - kBitNs / 2);
  EXPECT_EQ(w.end_ns, w.bytes[63].end_ns);
  EXPECT_EQ(run.frames[0].listing.at(0).text, "70 data bytes, page 0, columns 0-69");
}

// Past 500 frames neighbours merge in pairs: every call stays covered once, in
// order, and the last frame ends with the last call.
TEST(FrameRecorder, LongRunsMergeFramesAndCoverEveryCall) {
  FrameRecorder recorder{RecorderOptions{}};
  Session session(recorder);
  session.start({}, view::RunKind::Script, "s.qel", 100);
  constexpr std::size_t kCalls = 1203;
  for (std::size_t i = 0; i < kCalls; ++i) {
    const std::string location = "s.qel:" + std::to_string(i + 1) + ":1";
    session.begin_call(CallInfo{i, location, "QEL_LCD_ClearLine(0);", {}});
    session.end_call(CallInfo{i, location, "QEL_LCD_ClearLine(0);", {}});
  }
  session.finish();
  const view::RunFrames run = recorder.take_frames();
  EXPECT_LE(run.frames.size(), view::kMaxFrames);
  EXPECT_EQ(run.units, kCalls);
  EXPECT_EQ(run.units_per_frame, 4u);
  std::uint64_t next = 1;
  for (const view::Frame& f : run.frames) {
    EXPECT_EQ(f.first_unit, next);
    EXPECT_LE(f.last_unit - f.first_unit + 1, run.units_per_frame);
    next = f.last_unit + 1;
  }
  EXPECT_EQ(next, kCalls + 1);
  EXPECT_EQ(run.frames[0].where, "s.qel:1:1");
}

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
