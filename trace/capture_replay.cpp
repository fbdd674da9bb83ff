// Replay of a capture into the controller emulator.
#include "trace/capture_replay.h"

namespace qel::trace {

void ControllerFeed::begin(const CaptureStart& start) {
  // A capture may start with the clock idling high. Reset is held low while the
  // initial levels settle so that this is not taken for a bit, then set to its
  // own initial level (released when the trace has no reset line). A fresh
  // controller is at its reset defaults anyway, so this changes nothing else.
  const auto initial = [&start](emu::Line line) { return start.initial[static_cast<std::size_t>(line)]; };
  controller_.set_line(emu::Line::Reset, false);
  for (const emu::Line line : {emu::Line::ChipSelect, emu::Line::DataCommand, emu::Line::Data, emu::Line::Clock}) {
    if (const auto level = initial(line)) controller_.set_line(line, *level);
  }
  controller_.set_line(emu::Line::Reset,
                       start.has(emu::Line::Reset) ? initial(emu::Line::Reset).value_or(false) : true);
}

void replay(const CapturedTrace& trace, emu::Controller& controller) {
  ControllerFeed feed(controller);
  feed.begin(trace.start);
  for (const LineChange& c : trace.changes) feed.change(c);
  feed.end();
}

}  // namespace qel::trace
