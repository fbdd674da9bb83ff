// Findings about the wires: reset never pulsed (or too briefly) before the
// first byte, I2C transfers to the 8-bit form of the address, bytes the
// controller did not acknowledge, transfers without a control byte, and a
// serial clock faster than the controller takes.
//
// The I2C figures are the controller's own counts (Controller::bus_tally()),
// looked at after every rising clock edge to place the first of each; clock
// faults are the timing checks' count, placed by the note the first one makes.
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
  bool i2c() const { return i2c_; }
  // A change of the reset line, before the controller takes it; `bytes`: the
  // bytes decoded so far.
  void on_reset_line(const PinEvent& pin, const emu::Controller& controller, std::uint64_t bytes);
  // I2C: the input's counts change only on a rising clock edge; looked at on
  // the change after one.
  void look_at_tally(const emu::Controller& controller, std::uint64_t bytes);
  void on_first_byte(std::uint64_t index);
  void on_controller_note(const emu::Controller& controller, std::uint64_t index);
  void conclude(const emu::Controller& controller, std::uint64_t bytes, std::vector<Finding>& out) const;

 private:
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
  emu::BusTally seen_;
  std::uint64_t eight_bit_ = 0;  // transfers to 0x78 or 0x7A
  std::uint8_t eight_bit_address_ = 0;
  std::optional<Place> first_eight_bit_, first_unacknowledged_, first_bad_control_;

  std::optional<Place> first_clock_fault_;
};

}  // namespace qel::run
