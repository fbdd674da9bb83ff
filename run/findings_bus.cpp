// Findings about the wires; see findings_bus.h.
#include "run/findings_bus.h"

#include "common/text_format.h"
#include "emulator/i2c_interface.h"

namespace qel::run {
namespace {

using common::hex_byte;

std::string count_of(std::uint64_t n, const char* singular, const char* plural) {
  return std::to_string(n) + " " + (n == 1 ? singular : plural);
}

std::string duration(std::uint64_t ns) { return common::time_text(ns, common::TimeStyle::Exact); }

// 0x3C and 0x3D shifted left, as an 8-bit address byte holds them.
constexpr std::uint8_t kEightBitForms[] = {emu::kI2cAddress << 1, (emu::kI2cAddress + 1) << 1};

}  // namespace

void BusChecks::start(const emu::Controller& controller, bool reset_line) {
  i2c_ = controller.bus() == emu::Bus::I2c;
  reset_line_ = reset_line;
}

void BusChecks::on_reset_line(const PinEvent& pin, const emu::Controller& controller, std::uint64_t bytes) {
  // Reset low at the start of the trace, then raised, counts as a pulse of
  // unknown length.
  if (!pin.level) {
    if (!reset_low_since_) reset_low_since_ = pin.time_ns;
    return;
  }
  if (!controller.in_reset()) return;  // already high
  const std::optional<std::uint64_t> low_since = reset_low_since_;
  reset_low_since_.reset();
  if (low_since && pin.time_ns - *low_since < controller.profile().limits.reset_pulse_ns) {
    if (!reset_fault_) {
      reset_fault_ = where_.at(bytes);
      short_pulse_ns_ = pin.time_ns - *low_since;
    }
    return;
  }
  pulsed_ = true;
}

void BusChecks::look_at_byte(const emu::Controller& controller, std::uint64_t index) {
  if (index == 0 && reset_line_ && !pulsed_ && !reset_fault_) reset_fault_ = where_.at(index);
  if (i2c_) look_at_tally(controller, index);
}

void BusChecks::on_controller_note(const emu::Controller& controller, std::uint64_t index) {
  if (!first_clock_fault_ && controller.clock_faults() > 0) first_clock_fault_ = where_.at(index);
  if (i2c_) look_at_tally(controller, index);
}

void BusChecks::look_at_tally(const emu::Controller& controller, std::uint64_t index) {
  const emu::BusTally& now = controller.bus_tally();
  if (eight_bit_address_ == 0) {
    for (const std::uint8_t address : kEightBitForms) {
      if (!now.addressed[address]) continue;
      eight_bit_address_ = address;
      first_eight_bit_ = where_.at(index);
      break;
    }
  }
  if (now.unacknowledged != unacknowledged_ && !first_unacknowledged_) first_unacknowledged_ = where_.at(index);
  if (now.bad_control_bytes != bad_control_bytes_ && !first_bad_control_) first_bad_control_ = where_.at(index);
  unacknowledged_ = now.unacknowledged;
  bad_control_bytes_ = now.bad_control_bytes;
}

void BusChecks::conclude(const emu::Controller& controller, std::uint64_t bytes, std::vector<Finding>& out) const {
  BusChecks ended = *this;  // what came after the last byte and note is placed at the end
  if (i2c_) ended.look_at_tally(controller, bytes);
  ended.report(controller, bytes, out);
}

void BusChecks::report(const emu::Controller& controller, std::uint64_t bytes, std::vector<Finding>& out) const {
  const emu::Profile& profile = controller.profile();
  const emu::InputLimits& limits = profile.limits;
  if (reset_fault_) {
    out.push_back(
        Finding{FindingId::ResetMissing, *reset_fault_,
                short_pulse_ns_
                    ? "The reset pulse lasted only " + duration(*short_pulse_ns_) + ", shorter than the " +
                          duration(limits.reset_pulse_ns) + " the " + profile.name +
                          " needs, so it may not reset and starts however power-up left it; hold reset low "
                          "longer."
                    : std::string("Reset was never pulsed low before the first byte, so the controller starts however "
                                  "power-up left it, which works on some boards only; hold reset low for at least ") +
                          duration(limits.reset_pulse_ns) + " after power-up, then release it before sending."});
  }
  if (first_eight_bit_) {
    const unsigned meant = eight_bit_address_ >> 1;
    out.push_back(Finding{FindingId::I2c8BitAddress, *first_eight_bit_,
                          "Transfers went to address " + hex_byte(eight_bit_address_) + ", the controller's " +
                              hex_byte(meant) +
                              " written in 8-bit form (shifted left): nothing answers there, so the panel stays dark; "
                              "give the 7-bit address " +
                              hex_byte(meant) + "."});
  }
  const emu::BusTally& tally = controller.bus_tally();
  if (tally.unacknowledged > 0) {
    out.push_back(Finding{FindingId::I2cNotAcknowledged, first_unacknowledged_.value_or(where_.end(bytes)),
                          count_of(tally.unacknowledged, "byte", "bytes") +
                              " to the controller went unacknowledged in the capture: the panel did not take them, so "
                              "it may show nothing; check its supply, its address (SA0), the pull-ups and that reset "
                              "is released."});
  }
  if (tally.bad_control_bytes > 0) {
    out.push_back(Finding{FindingId::I2cControlByte, first_bad_control_.value_or(where_.end(bytes)),
                          count_of(tally.bad_control_bytes, "transfer", "transfers") +
                              " to the controller did not start with a control byte (bits 5..0 of the byte after the "
                              "address set): the controller takes it as one, mixing up commands and data; send 0x00 "
                              "before commands and 0x40 before display data."});
  }
  if (const std::uint64_t faults = controller.clock_faults(); faults > 0) {
    const std::string takes =
        controller.bus() == emu::Bus::I2c
            ? std::string("the ") + profile.name + " takes (a period of " + duration(limits.i2c_clock_period_ns) +
                  ", 400 kHz); it works on some boards only; run the bus at 400 kHz or less."
            : std::string("the ") + profile.name + " takes (a period of " + duration(limits.clock_period_ns) +
                  ", high and low " + duration(limits.clock_phase_ns) +
                  " each); it works on some boards only; slow the clock down.";
    out.push_back(Finding{FindingId::ClockTooFast, first_clock_fault_.value_or(where_.end(bytes)),
                          count_of(faults, "serial clock period or phase was", "serial clock periods or phases were") +
                              " shorter than " + takes});
  }
}

}  // namespace qel::run
