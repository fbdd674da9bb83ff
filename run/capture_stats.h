// What a decoded capture held, measured in the capture's own time: its span,
// the bytes (commands and data), the clock rate from the median period between
// rising clock edges, and the longest time without any change. Memory stays
// bounded: periods are kept as a histogram of three significant digits.
#pragma once

#include <cstdint>
#include <map>
#include <optional>
#include <ostream>
#include <string>

#include "run/events.h"

namespace qel::run {

class CaptureStats : public Listener {
 public:
  // The capture's first time, before any change.
  void begin(std::uint64_t start_ns) { first_ns_ = last_ns_ = start_ns; }
  // Every line change as the capture holds it.
  void change(emu::Line line, bool level, std::uint64_t time_ns);
  void on_byte(const emu::WireByte& byte, std::uint64_t) override { ++(byte.is_data ? data_ : commands_); }

  // The median rising-edge to rising-edge period, if there were two rising edges.
  std::optional<std::uint64_t> median_period_ns() const;
  std::uint64_t span_ns() const { return last_ns_ - first_ns_; }
  std::uint64_t longest_gap_ns() const { return gap_ns_; }
  std::uint64_t longest_gap_at_ns() const { return gap_at_ns_; }

  // The report: "capture 'x.vcd' (VCD)" and one line per figure.
  void write(std::ostream& out, const std::string& title) const;

 private:
  std::uint64_t changes_ = 0;
  std::uint64_t first_ns_ = 0, last_ns_ = 0;
  std::uint64_t gap_ns_ = 0, gap_at_ns_ = 0;
  std::optional<std::uint64_t> last_rise_ns_;
  std::map<std::uint64_t, std::uint64_t> periods_;  // rounded period -> count
  std::uint64_t period_count_ = 0;
  std::uint64_t commands_ = 0, data_ = 0;
};

}  // namespace qel::run
