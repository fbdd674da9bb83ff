// Plays a capture into the controller emulator as its changes arrive, so that a
// capture becomes the controller's bytes, picture and diagnostics.
#pragma once

#include "emulator/controller.h"
#include "trace/captured_trace.h"
#include "trace/line_sink.h"

namespace qel::trace {

// Feeds a fresh controller (its reset_released option makes no difference): sets
// the capture's initial levels without making clock edges, then every change
// with its time, then ends the trace. Without a reset line the controller is out
// of reset from the start. Notes are not the controller's business: they are dropped.
class ControllerFeed : public LineSink {
 public:
  explicit ControllerFeed(emu::Controller& controller) : controller_(controller) {}
  void begin(const CaptureStart& start) override;
  void change(const LineChange& c) override { controller_.set_line(c.line, c.level, c.time_ns); }
  void note(const std::string&) override {}
  void end() override { controller_.end_of_trace(); }

 private:
  emu::Controller& controller_;
};

// The same for a trace held whole.
void replay(const CapturedTrace& trace, emu::Controller& controller);

}  // namespace qel::trace
