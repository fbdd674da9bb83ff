// Minimum pulse widths of the controller's serial and I2C interfaces and reset
// input, applied to timed line changes.
#include "emulator/timing_checks.h"

#include "common/text_format.h"

namespace qel::emu {

namespace {

constexpr const char* kRuleNames[] = {"Reset pulse", "Clock period", "Clock high phase", "Clock low phase"};

std::string duration(std::uint64_t ns) { return common::time_text(ns, common::TimeStyle::Exact); }

// Time from `since` to `now`, if both are known and in order.
std::optional<std::uint64_t> elapsed(const std::optional<std::uint64_t>& since, std::uint64_t now) {
  if (!since || now < *since) return std::nullopt;
  return now - *since;
}

}  // namespace

// I2C's clock phases (0.6 and 1.3 µs in fast mode) belong to the bus standard,
// not to the controller's own limits, so only the period is checked there.
TimingChecks::TimingChecks(Bus bus, const InputLimits& limits) {
  minimum_ns_[ResetPulse] = limits.reset_pulse_ns;
  if (bus == Bus::I2c) {
    minimum_ns_[ClockPeriod] = limits.i2c_clock_period_ns;
  } else {
    minimum_ns_[ClockPeriod] = limits.clock_period_ns;
    minimum_ns_[ClockHigh] = limits.clock_phase_ns;
    minimum_ns_[ClockLow] = limits.clock_phase_ns;
  }
}

void TimingChecks::check(Rule rule, std::optional<std::uint64_t> measured_ns, std::vector<std::string>& notes) {
  const std::uint64_t minimum = minimum_ns_[rule];
  if (!measured_ns || *measured_ns >= minimum) return;
  if (rule != ResetPulse) ++clock_faults_;
  if (count_[rule]++ > 0) return;
  notes.push_back(std::string(kRuleNames[rule]) + " of " + duration(*measured_ns) + " is shorter than the " +
                  duration(minimum) + " the controller needs.");
}

void TimingChecks::on_change(Line line, bool level, std::uint64_t time_ns, bool listening,
                             std::vector<std::string>& notes) {
  switch (line) {
    case Line::Reset:
      if (level) {
        check(ResetPulse, elapsed(reset_fall_, time_ns), notes);
      } else {
        reset_fall_ = time_ns;
      }
      break;
    case Line::Clock:
      if (listening) {
        if (level) {
          check(ClockPeriod, elapsed(clock_rise_, time_ns), notes);
          check(ClockLow, elapsed(clock_fall_, time_ns), notes);
        } else {
          check(ClockHigh, elapsed(clock_rise_, time_ns), notes);
        }
      }
      (level ? clock_rise_ : clock_fall_) = time_ns;
      break;
    case Line::Data:
    case Line::DataCommand:
    case Line::ChipSelect:
      break;
  }
}

void TimingChecks::forget_times() {
  reset_fall_.reset();
  clock_rise_.reset();
  clock_fall_.reset();
}

std::vector<std::string> TimingChecks::take_summary() {
  std::vector<std::string> notes;
  for (int rule = 0; rule < kRuleCount; ++rule) {
    const unsigned more = count_[static_cast<std::size_t>(rule)];
    if (more > 1) {
      notes.push_back(std::string(kRuleNames[rule]) + " was shorter than " +
                      duration(minimum_ns_[static_cast<std::size_t>(rule)]) + " " + std::to_string(more - 1) +
                      (more == 2 ? " more time." : " more times."));
    }
  }
  count_ = {};
  return notes;
}

}  // namespace qel::emu
