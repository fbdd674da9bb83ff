// Reads an IEEE 1364 value change dump (VCD), as written by VcdWriter or exported
// by a logic analyzer, into the level changes of the controller's serial lines.
//
// Subset read: any timescale (1, 10 or 100 s/ms/us/ns/ps/fs; 1 ns if absent),
// nested scopes, several value changes on one line, $dumpvars/$dumpall/$dumpon/
// $dumpoff blocks and comments. Scalar changes 0 and 1 are used; x and z leave
// the level as it was; vectors and reals are skipped (a one-digit vector on a
// mapped one-bit wire counts as a scalar). Several signals may share an
// identifier code.
#pragma once

#include <array>
#include <cstdint>
#include <istream>
#include <optional>
#include <string>
#include <vector>

#include "emulator/serial_interface.h"
#include "trace/signal_map.h"

namespace qel::trace {

struct LineChange {
  std::uint64_t time_ns = 0;  // times below 1 ns are truncated; order is kept
  emu::Line line = emu::Line::Clock;
  bool level = false;

  friend bool operator==(const LineChange& a, const LineChange& b) {
    return a.time_ns == b.time_ns && a.line == b.line && a.level == b.level;
  }
};

struct VcdTrace {
  // Levels at the trace's first time (the last each line takes then), as the
  // state the capture starts in; not edges: the clock may already idle high.
  std::array<std::optional<bool>, emu::kLineCount> initial{};
  // In file order; only real changes of a line. A line first known later gets
  // its first level here.
  std::vector<LineChange> changes;
  // Which lines the file carries. Without a reset line the controller is taken
  // to be out of reset from the start.
  std::array<bool, emu::kLineCount> present{};

  bool has(emu::Line line) const { return present[static_cast<std::size_t>(line)]; }
};

// Throws std::runtime_error "<file>:<line>: <what was expected, got what>." for
// malformed input, and for mapped signals the file lacks (naming them).
VcdTrace read_vcd(std::istream& in, const std::string& file_name, const SignalMap& map = default_signal_map());

// As read_vcd; also "Cannot open VCD file '<path>': <reason>."
VcdTrace read_vcd_file(const std::string& path, const SignalMap& map = default_signal_map());

}  // namespace qel::trace
