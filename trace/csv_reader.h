// Reads a Saleae Logic 2 digital CSV export ("Time [s],<channel>,..." and one
// row per change of any channel, the first row holding the start levels),
// streaming the mapped channels' changes into a LineSink row by row. Fields
// are read as RFC 4180 has them: a quoted name may hold commas, "" for a quote
// mark and line breaks. Times are seconds as decimals (a sign, digits with a
// point, an exponent; nothing else), possibly negative (before a trigger), up
// to about 285 years either side of zero; they are counted in nanoseconds from
// the first row.
#pragma once

#include <istream>
#include <optional>
#include <string>

#include "trace/byte_source.h"
#include "trace/line_sink.h"
#include "trace/signal_map.h"

namespace qel::trace {

// Each row reaches the sink as soon as it is in, so a capture still being
// written is decoded as it arrives.
// Throws std::runtime_error "<file>:<line>: <what was expected, got what>." for
// a malformed row and for channels it cannot bind (see bind_roles). A last row
// cut off mid-line is noted as cut short.
void read_csv(ByteSource& in, const std::string& file_name, const std::optional<SignalMap>& map, LineSink& sink);
void read_csv(std::istream& in, const std::string& file_name, const std::optional<SignalMap>& map, LineSink& sink);

}  // namespace qel::trace
