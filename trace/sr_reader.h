// Reads a sigrok session file (.sr, version 2: a ZIP archive with `version`,
// `metadata` and the logic sample chunks logic-1-1, logic-1-2, ...), as saved
// by PulseView and sigrok-cli, streaming the mapped channels' changes into a
// LineSink chunk by chunk. Analog data is ignored. The archive is read with libzip.
#pragma once

#include <optional>
#include <string>

#include "trace/line_sink.h"
#include "trace/signal_map.h"

namespace qel::trace {

// Throws std::runtime_error naming the file and what was expected for a file
// that is no sigrok session, a damaged archive or metadata it cannot use, and
// for channels it cannot bind (see bind_roles). Nothing is left out in silence:
// a chunk that ends mid-sample or cannot be inflated to its end, a missing
// chunk (the later ones cannot follow on), entries named like chunks that are
// none, and probes named past the session's count are noted, saying where
// decoding stopped.
void read_sr_file(const std::string& path, const std::optional<SignalMap>& map, LineSink& sink);

// The same from an open file that can seek (not a pipe: an archive is read
// from its end). It takes `fd` and closes it. Messages name `file_name`.
void read_sr_descriptor(int fd, const std::string& file_name, const std::optional<SignalMap>& map, LineSink& sink);

}  // namespace qel::trace
