// Plain data of a run as the report and the animated picture show it: frames,
// each the panel after one call of a script or one burst of a capture, with the
// bytes, costs, notes and pin waveform that led to it. The program gathers
// these; the renderers only read them.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "emulator/picture.h"
#include "emulator/wire.h"
#include "view/command_listing.h"

namespace qel::view {

struct PinChange {
  std::uint64_t time_ns = 0;
  emu::Line line = emu::Line::Clock;
  bool level = false;
};

// A byte as the waveform shows it, under the pins: from the clock edge of its
// first bit to the edge of its last.
struct WaveByte {
  std::uint64_t start_ns = 0;
  std::uint64_t end_ns = 0;
  emu::WireByte byte;
};

struct Waveform {
  std::uint64_t start_ns = 0;  // the window shown
  std::uint64_t end_ns = 0;
  // Levels at start_ns; nothing for a line never driven.
  std::array<std::optional<bool>, emu::kLineCount> initial{};
  std::vector<PinChange> changes;  // in time order, within the window
  std::vector<WaveByte> bytes;
  std::uint64_t bytes_left_out = 0;    // decoded in the frame after the window ended
  std::uint64_t changes_left_out = 0;  // pin changes not kept
};

// What a call, a frame or a whole run cost on the wire.
struct Costs {
  std::uint64_t command_bytes = 0;
  std::uint64_t data_bytes = 0;
  std::uint64_t pin_writes = 0;  // for captures: line changes
  std::uint64_t delay_ms = 0;    // the module's delays
  std::uint64_t wire_ns = 0;     // pin writes and delays together, in time

  Costs& operator+=(const Costs& o) {
    command_bytes += o.command_bytes;
    data_bytes += o.data_bytes;
    pin_writes += o.pin_writes;
    delay_ms += o.delay_ms;
    wire_ns += o.wire_ns;
    return *this;
  }
};

struct Frame {
  // What led to the frame: calls (first_unit..last_unit, counted from 1) of a
  // script, or bursts of a capture. More than one when frames were merged.
  std::uint64_t first_unit = 1;
  std::uint64_t last_unit = 1;
  std::vector<std::string> calls;  // the calls as written (scripts), at most a few kept
  std::string where;               // "demo.qel:3:1" (scripts) or "1.200000 ms - 1.450000 ms" (captures)
  std::uint64_t start_ns = 0;      // captures: the burst's time span
  std::uint64_t end_ns = 0;
  emu::Picture picture;
  Costs costs;
  std::vector<ListingLine> listing;
  std::uint64_t listing_left_out = 0;
  std::vector<std::string> notes;
  std::uint64_t notes_left_out = 0;
  Waveform wave;
};

enum class RunKind { Script, Capture };

// A conclusion about the whole run (a known fault), as the report lists it:
// linked to the frame that holds its byte.
struct ReportFinding {
  std::string id;        // "page-overrun"
  std::string severity;  // "error" or "warning"
  std::string where;     // "byte 25, demo.qel:2:1"
  std::string sentence;
  std::uint64_t byte_index = 0;
  bool at_end = false;  // about the run's end: linked to the last frame
};

struct RunFrames {
  RunKind kind = RunKind::Script;
  std::string source;                 // the script's or capture's name
  std::uint64_t units = 0;            // calls or bursts in the whole run
  std::uint64_t units_per_frame = 1;  // above 1 when frames were merged to stay within kMaxFrames
  std::vector<Frame> frames;
  emu::Picture final_picture;
  std::uint64_t pin_write_ns = 0;  // scripts: the nominal time of one pin write
  std::vector<ReportFinding> findings;
};

inline constexpr std::size_t kMaxFrames = 500;
inline constexpr std::size_t kMaxListingLines = 300;  // per frame
inline constexpr std::size_t kMaxFrameNotes = 40;     // per frame
inline constexpr std::size_t kMaxFrameCalls = 4;      // call texts kept for a merged frame
inline constexpr std::size_t kWaveBytes = 64;         // bytes of a frame drawn in its waveform
inline constexpr std::size_t kMaxWaveChanges = 4096;  // pin changes kept for one waveform

// Appends `later` (the next frame in time) to `frame`: the picture becomes the
// later one, costs add up, lists are joined within their limits, the waveform
// stays the earlier one's.
void merge_frames(Frame& frame, Frame&& later);

}  // namespace qel::view
