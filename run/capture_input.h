// A logic-analyzer capture as a run's input: the file streams through its
// reader into the controller (made once the capture's bus is known), with the
// capture's own figures and the re-export of its mapped lines written as the
// changes come, so memory stays bounded however long the capture is.
#pragma once

#include <ostream>
#include <string>

#include "run/capture_stats.h"
#include "run/request.h"
#include "run/session.h"
#include "trace/capture_file.h"

namespace qel::run {

// Decodes request.decode_path through `session`, re-exporting the mapped lines
// as a VCD on `vcd` (or none) and gathering `stats`. The signal map found from
// the channel names is told on `err`. Returns the capture's format and whether
// a stop ended it (trace::read_capture_file). Throws std::runtime_error for a
// file or map the readers refuse.
trace::CaptureRead decode_capture(const Request& request, Session& session, CaptureStats& stats, std::ostream* vcd,
                                  std::ostream& err);

// The title of the capture's figures: "capture 'board.vcd' (VCD)", "capture
// on standard input (VCD)".
std::string capture_title(const std::string& path, const trace::CaptureRead& read);

// What a capture stopped on request holds, in one sentence: its time and bytes,
// or that the stop came before the header was complete. `name` as messages
// name the capture; call it before the session is started for an empty run.
std::string stop_sentence(const std::string& name, const Session& session, const CaptureStats& stats);

}  // namespace qel::run
