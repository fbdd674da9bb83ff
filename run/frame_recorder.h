// Gathers a run into frames for the HTML report and the animated GIF, and feeds
// the command listing. A frame is the panel after one call of a script, or
// after one burst of a capture: a burst ends at chip-select release or once the
// lines have been idle for 1 ms after a byte. Past kMaxFrames, neighbouring
// frames are merged in pairs (each frame then covers 2, 4, ... calls or
// bursts), so memory stays bounded however long the run.
#pragma once

#include <array>
#include <cstdint>
#include <deque>
#include <optional>
#include <ostream>
#include <string>
#include <vector>

#include "emulator/controller.h"
#include "run/events.h"
#include "view/command_listing.h"
#include "view/png_writer.h"
#include "view/run_frames.h"

namespace qel::run {

inline constexpr std::uint64_t kBurstIdleNs = 1'000'000;

struct RecorderOptions {
  bool keep_frames = true;               // false: only the listing is fed
  bool rotate180 = false;                // the panel is mounted the other way up
  view::ListingSink* listing = nullptr;  // also told every listing line (--commands)
};

// Writes listing lines as text: the origin (a call's location, or the capture
// time right-aligned), two spaces, the line.
class ListingWriter : public view::ListingSink {
 public:
  ListingWriter(std::ostream& out, bool times) : out_(out), times_(times) {}
  void on_line(const view::ListingLine& line) override;

 private:
  std::ostream& out_;
  bool times_;  // origins are capture times
};

// The frames as an animated GIF, each held for its wire time; a run without
// frames shows its final picture.
std::vector<std::uint8_t> encode_run_gif(const view::RunFrames& run, const view::PngOptions& png);

class FrameRecorder : public Listener, private view::ListingSink {
 public:
  explicit FrameRecorder(RecorderOptions options);

  void on_start(const Start& start) override;
  void on_call_begin(const CallInfo& call) override;
  void on_call_end(const CallInfo& call) override;
  LineSet pin_lines() const override { return kAllLines; }
  void on_pin(const PinEvent& pin) override;
  void on_delay(std::uint32_t ms, std::uint64_t time_ns) override;
  void on_byte(const emu::WireByte& byte, std::uint64_t index) override;
  void on_note(const Note& note) override;
  // Closes the last burst and the listing.
  void on_finish() override;

  // The frames gathered; call after on_finish().
  view::RunFrames take_frames();
  // A copy of the frames gathered so far, between two calls of a run that goes
  // on (the panel kit's report of a test).
  view::RunFrames frames() const;

 private:
  void on_line(const view::ListingLine& line) override;
  void timed_change(emu::Line line, bool level, std::uint64_t time_ns);
  void pin_change(emu::Line line, bool level, std::uint64_t time_ns);
  void open_frame();
  void close_frame();
  void push_frame(view::Frame&& frame);
  view::Frame* last_frame();
  void record_change(const view::PinChange& change);

  const emu::Controller* controller_ = nullptr;
  RecorderOptions options_;
  view::RunKind kind_ = view::RunKind::Script;
  std::string source_;
  std::uint64_t pin_write_ns_ = 0;
  view::CommandListing listing_;

  // The frame being gathered.
  bool open_ = false;
  view::Frame building_;
  std::string call_location_;  // scripts: origin of the current call's bytes
  std::uint64_t frame_start_ns_ = 0;
  // Its waveform: changes before its first byte wait in a short pre-roll.
  std::deque<view::PinChange> preroll_;
  std::array<std::optional<bool>, emu::kLineCount> preroll_initial_{};
  bool wave_started_ = false;
  bool wave_full_ = false;

  // Line levels and time.
  std::array<std::optional<bool>, emu::kLineCount> levels_{};
  bool levels_known_ = false;                   // captures: taken from the controller at the first timed change
  std::uint64_t now_ns_ = 0;                    // scripts: time of the next pin write
  std::uint64_t last_event_ns_ = 0;             // time of the last pin change
  std::optional<std::uint64_t> byte_start_ns_;  // first bit of the byte being shifted in
  bool burst_open_ = false;
  std::uint64_t last_byte_ns_ = 0;

  // The frames so far.
  std::vector<view::Frame> frames_;
  std::optional<view::Frame> pending_;  // a merged frame still taking units
  std::uint64_t units_ = 0;
  std::uint64_t units_per_frame_ = 1;
};

}  // namespace qel::run
