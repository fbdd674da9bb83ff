// The run's findings: a listener that watches the run's events (calls, bytes,
// notes, a capture's reset line) and the controller's state, and concludes with
// the known faults it saw (finding.h). The checks come in
// groups: the settings at the end (findings_state), the display data
// (findings_writes), the controller the firmware was written for
// (findings_controller) and the wires (findings_bus).
//
// Of the line changes only the reset line's are watched, and on captures only
// (a script's or the kit's reset comes from the module, whose pulse is fixed):
// a run's hot path, one event per line change, stays as it is. Places take
// their time from the run's clock.
//
// Time grows linearly with the events and memory stays fixed: the checks keep
// counters, bitsets and the first place of each fault, never a history.
#pragma once

#include <cstddef>
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
  // `kind`: a capture's reset line is watched, a script's is not.
  explicit Findings(view::RunKind kind) : capture_(kind == view::RunKind::Capture) {}
  Findings(const Findings&) = delete;
  Findings& operator=(const Findings&) = delete;

  LineSet pin_lines() const override { return capture_ ? line_bit(emu::Line::Reset) : LineSet{0}; }
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
  bool capture_;
  const emu::Controller* controller_ = nullptr;
  Whereabouts where_;
  GlassShape glass_;
  std::uint64_t bytes_ = 0;
  StateChecks state_{where_};
  WriteChecks writes_{where_};
  ControllerChecks controller_checks_{where_};
  BusChecks bus_{where_};
};

// How many of `findings` are errors.
std::size_t error_count(const std::vector<Finding>& findings);

}  // namespace qel::run
