// Replay of a read trace into the controller emulator.
#include "trace/vcd_replay.h"

namespace qel::trace {

void replay(const VcdTrace& trace, emu::Controller& controller) {
  // A capture may start with the clock idling high. Reset is held low while the
  // initial levels settle so that this is not taken for a bit, then set to its
  // own initial level (released when the trace has no reset line). A fresh
  // controller is at its reset defaults anyway, so this changes nothing else.
  const auto initial = [&trace](emu::Line line) { return trace.initial[static_cast<std::size_t>(line)]; };
  controller.set_line(emu::Line::Reset, false);
  for (const emu::Line line : {emu::Line::ChipSelect, emu::Line::DataCommand, emu::Line::Data, emu::Line::Clock}) {
    if (const auto level = initial(line)) controller.set_line(line, *level);
  }
  controller.set_line(emu::Line::Reset, trace.has(emu::Line::Reset) ? initial(emu::Line::Reset).value_or(false) : true);

  for (const LineChange& change : trace.changes) controller.set_line(change.line, change.level, change.time_ns);
  controller.end_of_trace();
}

}  // namespace qel::trace
