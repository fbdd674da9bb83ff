// Plays a trace read from a VCD file into the controller emulator, so that a
// capture becomes the controller's bytes, picture and diagnostics.
#pragma once

#include "emulator/controller.h"
#include "trace/vcd_reader.h"

namespace qel::trace {

// Into a fresh controller (its reset_released option makes no difference): sets
// the trace's initial levels without making clock edges, feeds every change with
// its time, then ends the trace. Without a reset line the controller is out of
// reset from the start.
void replay(const VcdTrace& trace, emu::Controller& controller);

}  // namespace qel::trace
