// Reads an IEEE 1364 value change dump (VCD), as written by VcdWriter or exported
// by a logic analyzer, streaming the level changes of the controller's lines
// into a LineSink as the file is read.
//
// Subset read: any timescale (1, 10 or 100 s/ms/us/ns/ps/fs; 1 ns if absent),
// nested scopes, several value changes on one line, $dumpvars/$dumpall/$dumpon/
// $dumpoff blocks and comments, a UTF-8 byte order mark. Scalar changes 0 and 1
// are used; x and z leave the level as it was; vectors and reals are skipped (a
// one-digit vector on a mapped one-bit wire counts as a scalar). Several
// signals may share an identifier code. Times are counted in 64 bits of the
// file's unit; a larger time is refused.
#pragma once

#include <istream>
#include <optional>
#include <string>

#include "trace/byte_source.h"
#include "trace/captured_trace.h"
#include "trace/line_sink.h"
#include "trace/signal_map.h"

namespace qel::trace {

// Each line's changes reach the sink as soon as the line is in, so a capture
// still being written (a pipe from an analyzer) is decoded as it arrives.
// Throws std::runtime_error "<file>:<line>: <what was expected, got what>." for
// malformed input and for signals it cannot bind (see bind_roles). A file that
// ends mid-line or inside a block is read up to there and noted as cut short.
// Without a map, the roles are found from the signal names.
void read_vcd(ByteSource& in, const std::string& file_name, const std::optional<SignalMap>& map, LineSink& sink);
void read_vcd(std::istream& in, const std::string& file_name, const std::optional<SignalMap>& map, LineSink& sink);

// The whole trace, for small files.
CapturedTrace read_vcd(std::istream& in, const std::string& file_name, const std::optional<SignalMap>& map = {});

}  // namespace qel::trace
