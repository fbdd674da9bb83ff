// The run's findings: a listener that watches the whole event stream (line
// changes with their times, calls, bytes, notes) and the controller's state,
// and concludes with the known faults it saw (finding.h). The checks come in
// groups: the settings at the end (findings_state), the display data
// (findings_writes), the controller the firmware was written for
// (findings_controller) and the wires (findings_bus).
//
// Line changes are watched on captures only: a script's or the kit's pins are
// the module's, whose reset pulse is fixed, and skipping them keeps the script
// hot path free of one call per pin write.
//
// Time grows linearly with the events and memory stays fixed: the checks keep
// counters, bitsets and the first place of each fault, never a history.
#pragma once

#include <cstdint>
#include <vector>

#include "run/events.h"
#include "run/finding.h"
#include "run/findings_bus.h"
#include "run/findings_context.h"
#include "run/findings_controller.h"
#include "run/findings_state.h"
#include "run/findings_writes.h"

namespace qel::run {

class Findings : public Listener {
 public:
  // `kind`: a capture's line changes are watched, a script's are not.
  explicit Findings(view::RunKind kind) : watch_pins_(kind == view::RunKind::Capture) {}
  Findings(const Findings&) = delete;
  Findings& operator=(const Findings&) = delete;

  bool wants_pins() const override { return watch_pins_; }
  void on_start(const Start& start) override;
  void on_call_begin(const CallInfo& call) override;
  void on_call_end(const CallInfo& call) override;
  void on_pin(const PinEvent& pin) override;
  void on_byte(const emu::WireByte& byte, std::uint64_t index) override;
  void on_note(const Note& note) override;

  // The findings as the session stands now (the kit asks in the middle of one;
  // a run asks after on_finish): errors first, then in the order they arose.
  // None before on_start.
  std::vector<Finding> conclude() const;

 private:
  bool watch_pins_;
  const emu::Controller* controller_ = nullptr;
  Whereabouts where_;
  GlassShape glass_;
  std::uint64_t bytes_ = 0;
  bool after_clock_rise_ = false;  // I2C: the last change was a rising clock edge
  StateChecks state_{where_};
  WriteChecks writes_{where_};
  ControllerChecks controller_checks_{where_};
  BusChecks bus_{where_};
};

// How many of `findings` are errors.
std::size_t error_count(const std::vector<Finding>& findings);

}  // namespace qel::run
