// The common streaming interface of the capture readers: a reader pushes the
// mapped lines' levels and changes into a sink as it reads, chunk by chunk or
// line by line, so a capture is never held whole in memory.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>

#include "emulator/wire.h"

namespace qel::trace {

struct LineChange {
  std::uint64_t time_ns = 0;  // the capture's own time; below 1 ns truncated, order kept
  emu::Line line = emu::Line::Clock;
  bool level = false;

  friend bool operator==(const LineChange& a, const LineChange& b) {
    return a.time_ns == b.time_ns && a.line == b.line && a.level == b.level;
  }
};

// What a reader knows once the header is read and the first time has passed.
struct CaptureStart {
  // Levels at the capture's first time (the last each line takes then), as the
  // state the capture starts in; not edges: the clock may already idle high.
  std::array<std::optional<bool>, emu::kLineCount> initial{};
  std::uint64_t time_ns = 0;  // the capture's first time
  // Which lines the capture carries. Without a reset line the controller is
  // taken to be out of reset from the start.
  std::array<bool, emu::kLineCount> present{};
  emu::Bus bus = emu::Bus::Spi4;
  // "sclk=CLK, sdin=MOSI, dc=DC" and whether any role was found from the names.
  std::string mapping;
  bool mapped_automatically = false;

  bool has(emu::Line line) const { return present[static_cast<std::size_t>(line)]; }
};

class LineSink {
 public:
  virtual ~LineSink() = default;
  // Once, before any change.
  virtual void begin(const CaptureStart& start) = 0;
  // Only real changes of a line, in time order. A line first known later gets its
  // first level here.
  virtual void change(const LineChange& change) = 0;
  // Something worth telling about the file that does not stop the reading (it is
  // cut short, it says a thing twice). The message names the file.
  virtual void note(const std::string& message) = 0;
  // Once, after the last change (also after a note that the file is cut short).
  virtual void end() = 0;
  // Input that arrives over time (a pipe) has nothing more for now, and the
  // reader is about to wait for it; every change of the lines read so far has
  // been told. A live view redraws here. May come before begin.
  virtual void idle() {}
};

}  // namespace qel::trace
