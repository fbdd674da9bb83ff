// Capture figures; see capture_stats.h.
#include "run/capture_stats.h"

#include <cstdio>

#include "common/text_format.h"

namespace qel::run {
namespace {

// Three significant digits, so that jitter does not make every period its own entry.
std::uint64_t rounded(std::uint64_t ns) {
  std::uint64_t scale = 1;
  while (ns / scale >= 1000) scale *= 10;
  return (ns + scale / 2) / scale * scale;
}

std::string rate_text(double hz) {
  char text[32];
  if (hz >= 1e6) {
    std::snprintf(text, sizeof text, "%.3f MHz", hz / 1e6);
  } else if (hz >= 1e3) {
    std::snprintf(text, sizeof text, "%.3f kHz", hz / 1e3);
  } else {
    std::snprintf(text, sizeof text, "%.3f Hz", hz);
  }
  return text;
}

std::string figure(std::uint64_t ns) { return common::time_text(ns, common::TimeStyle::Figure); }

}  // namespace

void CaptureStats::change(emu::Line line, bool level, std::uint64_t time_ns) {
  if (time_ns - last_ns_ > gap_ns_) {
    gap_ns_ = time_ns - last_ns_;
    gap_at_ns_ = last_ns_;
  }
  last_ns_ = time_ns;
  ++changes_;
  if (line == emu::Line::Clock && level) {
    if (last_rise_ns_) {
      ++periods_[rounded(time_ns - *last_rise_ns_)];
      ++period_count_;
    }
    last_rise_ns_ = time_ns;
  }
}

std::optional<std::uint64_t> CaptureStats::median_period_ns() const {
  if (period_count_ == 0) return std::nullopt;
  std::uint64_t seen = 0;
  for (const auto& [period, count] : periods_) {
    seen += count;
    if (seen * 2 >= period_count_) return period;
  }
  return std::nullopt;
}

void CaptureStats::write(std::ostream& out, const std::string& title) const {
  out << title << '\n';
  out << "  span         " << figure(span_ns()) << " (" << changes_ << " line changes)\n";
  out << "  bytes        " << commands_ + data_ << " (" << commands_ << " command, " << data_ << " data)\n";
  if (const auto period = median_period_ns(); period && *period > 0) {
    out << "  clock        " << rate_text(1e9 / static_cast<double>(*period)) << " (median period " << figure(*period)
        << " over " << period_count_ + 1 << " rising edges)\n";
  } else {
    out << "  clock        not measured (fewer than two rising clock edges)\n";
  }
  out << "  longest gap  " << figure(gap_ns_) << " (from " << figure(gap_at_ns_) << ")\n";
}

}  // namespace qel::run
