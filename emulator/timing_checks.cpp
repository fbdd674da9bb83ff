// Minimum pulse widths of the controller's 4-wire serial interface and reset
// input, applied to timed line changes.
#include "emulator/timing_checks.h"

namespace qel::emu {

namespace {

struct RuleText {
  const char* what;
  std::uint64_t minimum_ns;
};

constexpr RuleText kRules[] = {
    {"Reset pulse", kMinResetPulseNs},
    {"Clock period", kMinClockPeriodNs},
    {"Clock high phase", kMinClockPhaseNs},
    {"Clock low phase", kMinClockPhaseNs},
};

std::string duration(std::uint64_t ns) {
  if (ns % 1000 == 0 && ns >= 1000) return std::to_string(ns / 1000) + " µs";
  return std::to_string(ns) + " ns";
}

// Time from `since` to `now`, if both are known and in order.
std::optional<std::uint64_t> elapsed(const std::optional<std::uint64_t>& since, std::uint64_t now) {
  if (!since || now < *since) return std::nullopt;
  return now - *since;
}

}  // namespace

void TimingChecks::check(Rule rule, std::optional<std::uint64_t> measured_ns, std::vector<std::string>& notes) {
  const RuleText& text = kRules[rule];
  if (!measured_ns || *measured_ns >= text.minimum_ns) return;
  if (count_[rule]++ > 0) return;
  notes.push_back(std::string(text.what) + " of " + duration(*measured_ns) + " is shorter than the " +
                  duration(text.minimum_ns) + " the controller needs.");
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
      notes.push_back(std::string(kRules[rule].what) + " was shorter than " + duration(kRules[rule].minimum_ns) + " " +
                      std::to_string(more - 1) + " more times.");
    }
  }
  count_ = {};
  return notes;
}

}  // namespace qel::emu
