// Findings about the wires: reset never pulsed (or too briefly) before the
// first byte, I2C transfers to the 8-bit form of the address, bytes the
// controller did not acknowledge, transfers without a control byte, and a
// serial clock faster than the controller takes.
//
// The I2C figures are the controller's own counts (Controller::bus_tally()),
// looked at on every byte and note to place the first of each (and at the
// end); clock faults are the timing checks' count, placed by the note the
// first one makes. Of the line changes, only the reset line's are watched.
#pragma once

#include <cstdint>
#include <optional>
#include <vector>

#include "emulator/controller.h"
#include "run/events.h"
#include "run/finding.h"
#include "run/findings_context.h"

namespace qel::run {

class BusChecks {
 public:
  explicit BusChecks(const Whereabouts& where) : where_(where) {}

  // `reset_line`: the trace carries the reset line (scripts always do).
  void start(const emu::Controller& controller, bool reset_line);
  // A change of the reset line, before the controller takes it; `bytes`: the
  // bytes decoded so far.
  void on_reset_line(const PinEvent& pin, const emu::Controller& controller, std::uint64_t bytes);
  // After each byte, with its index.
  void on_byte(const emu::Controller& controller, std::uint64_t index) {
    if (index == 0 || i2c_) look_at_byte(controller, index);
  }
  void on_controller_note(const emu::Controller& controller, std::uint64_t index);
  void conclude(const emu::Controller& controller, std::uint64_t bytes, std::vector<Finding>& out) const;

 private:
  void look_at_byte(const emu::Controller& controller, std::uint64_t index);
  void look_at_tally(const emu::Controller& controller, std::uint64_t index);
  void report(const emu::Controller& controller, std::uint64_t bytes, std::vector<Finding>& out) const;

  const Whereabouts& where_;
  bool i2c_ = false;

  // Reset: the line's low time before the first byte.
  bool reset_line_ = false;
  bool pulsed_ = false;                           // a reset pulse ended before the first byte
  std::optional<std::uint64_t> reset_low_since_;  // time reset went low, while it is low
  std::optional<Place> reset_fault_;
  std::optional<std::uint64_t> short_pulse_ns_;  // the fault is a pulse this short; none: no pulse at all

  // I2C, as last looked at.
  std::uint64_t unacknowledged_ = 0, bad_control_bytes_ = 0;
  std::uint8_t eight_bit_address_ = 0;  // 0x78 or 0x7A, once seen
  std::optional<Place> first_eight_bit_, first_unacknowledged_, first_bad_control_;

  std::optional<Place> first_clock_fault_;
};

}  // namespace qel::run
