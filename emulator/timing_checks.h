// Serial timing the controller would not accept, checked on traces that carry
// real times (captures): reset pulse, clock period, clock high and low phases on
// 4-wire and 3-wire serial; reset pulse and clock period (400 kHz) on I2C. The
// limits are the controller's (profile.h).
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "emulator/profile.h"
#include "emulator/wire.h"

namespace qel::emu {

class TimingChecks {
 public:
  // The controller's limits (its profile's) on the inputs of `bus`.
  TimingChecks(Bus bus, const InputLimits& limits);

  // One line change at `time_ns`. `listening` says whether the serial input
  // takes clock edges at that moment (out of reset and selected, or inside an
  // I2C transfer); clock timing only matters then. Appends a note for the first violation of each rule to
  // `notes`; later ones are only counted.
  void on_change(Line line, bool level, std::uint64_t time_ns, bool listening, std::vector<std::string>& notes);

  // A change without a time: the next intervals cannot be measured.
  void forget_times();

  // Notes counting the repeated violations not reported one by one; clears the counts.
  std::vector<std::string> take_summary();

  // Clock periods and phases shorter than allowed over the whole trace (not
  // cleared by take_summary()).
  std::uint64_t clock_faults() const { return clock_faults_; }

 private:
  enum Rule { ResetPulse, ClockPeriod, ClockHigh, ClockLow, kRuleCount };
  void check(Rule rule, std::optional<std::uint64_t> measured_ns, std::vector<std::string>& notes);

  std::array<std::uint64_t, kRuleCount> minimum_ns_{};  // 0: not checked on this bus
  std::optional<std::uint64_t> reset_fall_;
  std::optional<std::uint64_t> clock_rise_;
  std::optional<std::uint64_t> clock_fall_;
  std::array<unsigned, kRuleCount> count_{};
  std::uint64_t clock_faults_ = 0;
};

}  // namespace qel::emu
