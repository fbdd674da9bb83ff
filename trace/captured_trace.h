// A capture held whole: what a LineSink was told, for small traces (tests, the
// examples). Decoding a user's capture streams instead.
#pragma once

#include <string>
#include <vector>

#include "trace/line_sink.h"

namespace qel::trace {

struct CapturedTrace {
  CaptureStart start;
  std::vector<LineChange> changes;
  std::vector<std::string> notes;
  bool ended = false;

  const std::optional<bool>& initial(emu::Line line) const { return start.initial[static_cast<std::size_t>(line)]; }
  bool has(emu::Line line) const { return start.has(line); }
};

class TraceCollector : public LineSink {
 public:
  void begin(const CaptureStart& start) override { trace.start = start; }
  void change(const LineChange& change) override { trace.changes.push_back(change); }
  void note(const std::string& message) override { trace.notes.push_back(message); }
  void end() override { trace.ended = true; }

  CapturedTrace trace;
};

}  // namespace qel::trace
