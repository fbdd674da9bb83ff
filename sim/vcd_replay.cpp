// Replay of a read trace into the controller emulator.
#include "vcd_replay.h"

namespace qel::sim {

void replay(const VcdTrace& trace, Controller& controller) {
  // A capture may start with the clock idling high. Reset is held low while the
  // initial levels settle so that this is not taken for a bit, then set to its
  // own initial level (released when the trace has no reset line). A fresh
  // controller is at its reset defaults anyway, so this changes nothing else.
  const auto initial = [&trace](Line line) { return trace.initial[static_cast<std::size_t>(line)]; };
  controller.set_line(Line::Reset, false);
  for (const Line line : {Line::ChipSelect, Line::DataCommand, Line::Data, Line::Clock}) {
    if (const auto level = initial(line)) controller.set_line(line, *level);
  }
  controller.set_line(Line::Reset, trace.has(Line::Reset) ? initial(Line::Reset).value_or(false) : true);

  for (const LineChange& change : trace.changes) controller.set_line(change.line, change.level, change.time_ns);
  controller.end_of_trace();
}

}  // namespace qel::sim
