// The waveform renderer; see waveform_svg.h.
#include "view/waveform_svg.h"

#include <algorithm>
#include <cstdio>

#include "common/text_format.h"

namespace qel::view {
namespace {

constexpr double kStepPx = 4;     // the typical interval between changes
constexpr double kBreakPx = 36;   // a long idle stretch
constexpr double kGapSteps = 24;  // intervals longer than this many typical ones become breaks
constexpr double kMaxWidthPx = 60000;
constexpr int kRowHeight = 22;
constexpr int kLabelWidth = 56;
constexpr int kHigh = 4, kLow = 16;  // y of the high and low levels within a row

struct Row {
  emu::Line line;
  const char* name;
};
constexpr Row kRows[] = {{emu::Line::Clock, "clock"},
                         {emu::Line::Data, "data"},
                         {emu::Line::DataCommand, "d/c"},
                         {emu::Line::Reset, "reset"},
                         {emu::Line::ChipSelect, "cs"}};

// Piecewise-linear time axis: steady, except that long idle intervals are
// squeezed into fixed breaks.
class TimeAxis {
 public:
  explicit TimeAxis(const Waveform& w) {
    std::vector<std::uint64_t> times{w.start_ns};
    for (const PinChange& c : w.changes) times.push_back(c.time_ns);
    for (const WaveByte& b : w.bytes) times.push_back(b.end_ns);
    times.push_back(w.end_ns);
    std::sort(times.begin(), times.end());
    times.erase(std::unique(times.begin(), times.end()), times.end());
    std::vector<std::uint64_t> gaps;
    for (std::size_t i = 1; i < times.size(); ++i) gaps.push_back(times[i] - times[i - 1]);
    std::uint64_t typical = 1;
    if (!gaps.empty()) {
      std::nth_element(gaps.begin(), gaps.begin() + static_cast<std::ptrdiff_t>(gaps.size() / 2), gaps.end());
      typical = std::max<std::uint64_t>(1, gaps[gaps.size() / 2]);
    }
    px_per_ns_ = kStepPx / static_cast<double>(typical);
    const auto limit = static_cast<std::uint64_t>(kGapSteps * static_cast<double>(typical));
    double x = 0;
    knots_.push_back({times.empty() ? 0 : times[0], 0});
    for (std::size_t i = 1; i < times.size(); ++i) {
      const std::uint64_t gap = times[i] - times[i - 1];
      if (gap > limit) {
        breaks_.push_back({x, gap});
        x += kBreakPx;
      } else {
        x += static_cast<double>(gap) * px_per_ns_;
      }
      knots_.push_back({times[i], x});
    }
    width_ = x;
    shrink_ = width_ > kMaxWidthPx ? kMaxWidthPx / width_ : 1.0;
  }

  double x(std::uint64_t t) const {
    auto it =
        std::upper_bound(knots_.begin(), knots_.end(), t, [](std::uint64_t v, const Knot& k) { return v < k.time; });
    if (it == knots_.begin()) return 0;
    const Knot& k = *(it - 1);
    double px = k.x;
    if (it != knots_.end()) px = std::min(px + static_cast<double>(t - k.time) * px_per_ns_, it->x);
    return px * shrink_;
  }
  double width() const { return width_ * shrink_; }
  struct Break {
    double x;
    std::uint64_t length_ns;
  };
  std::vector<Break> breaks() const {
    std::vector<Break> out = breaks_;
    for (Break& b : out) b.x *= shrink_;
    return out;
  }
  double break_width() const { return kBreakPx * shrink_; }

 private:
  struct Knot {
    std::uint64_t time;
    double x;
  };
  std::vector<Knot> knots_;
  std::vector<Break> breaks_;
  double px_per_ns_ = 1;
  double width_ = 0;
  double shrink_ = 1;
};

std::string num(double v) {
  char text[32];
  std::snprintf(text, sizeof text, "%.1f", v);
  std::string s = text;
  if (s.size() > 2 && s.compare(s.size() - 2, 2, ".0") == 0) s.resize(s.size() - 2);
  return s;
}

}  // namespace

std::string render_waveform_svg(const Waveform& w) {
  const TimeAxis axis(w);
  std::vector<Row> rows;
  for (const Row& r : kRows) {
    const bool driven =
        w.initial[static_cast<std::size_t>(r.line)].has_value() ||
        std::any_of(w.changes.begin(), w.changes.end(), [&r](const PinChange& c) { return c.line == r.line; });
    if (driven || r.line != emu::Line::ChipSelect) rows.push_back(r);
  }
  const double wave_width = axis.width() + 8;
  const int height = static_cast<int>(rows.size() + 1) * kRowHeight + 4;
  const double width = kLabelWidth + wave_width;
  std::string svg = "<svg class=\"wave\" width=\"" + num(width) + "\" height=\"" + std::to_string(height) +
                    "\" viewBox=\"0 0 " + num(width) + " " + std::to_string(height) + "\">";
  for (std::size_t i = 0; i < rows.size(); ++i) {
    const int top = static_cast<int>(i) * kRowHeight;
    svg += "<text class=\"pin\" x=\"2\" y=\"" + std::to_string(top + 15) + "\">" + rows[i].name + "</text>";
    const auto initial = w.initial[static_cast<std::size_t>(rows[i].line)];
    std::optional<bool> level = initial;
    double x = kLabelWidth;
    std::string path;
    auto y_of = [top](bool high) { return top + (high ? kHigh : kLow); };
    if (level) path = "M" + num(x) + " " + std::to_string(y_of(*level));
    for (const PinChange& c : w.changes) {
      if (c.line != rows[i].line) continue;
      const double cx = kLabelWidth + axis.x(c.time_ns);
      if (level) {
        if (*level == c.level) continue;
        path += "H" + num(cx) + "V" + std::to_string(y_of(c.level));
      } else {
        path += "M" + num(cx) + " " + std::to_string(y_of(c.level));
      }
      level = c.level;
    }
    if (level) path += "H" + num(kLabelWidth + axis.width());
    if (!path.empty()) svg += "<path class=\"level\" d=\"" + path + "\"/>";
  }
  const int byte_top = static_cast<int>(rows.size()) * kRowHeight;
  svg += "<text class=\"pin\" x=\"2\" y=\"" + std::to_string(byte_top + 15) + "\">bytes</text>";
  for (const WaveByte& b : w.bytes) {
    const double x0 = kLabelWidth + axis.x(b.start_ns), x1 = kLabelWidth + axis.x(b.end_ns);
    const std::string text = (b.byte.is_data ? "D " : "C ") + common::hex_digits(b.byte.value);
    svg += "<rect class=\"" + std::string(b.byte.is_data ? "data" : "cmd") + "\" x=\"" + num(x0) + "\" y=\"" +
           std::to_string(byte_top + 2) + "\" width=\"" + num(std::max(1.0, x1 - x0)) + "\" height=\"18\"/>";
    svg += "<text class=\"byte\" x=\"" + num((x0 + x1) / 2) + "\" y=\"" + std::to_string(byte_top + 15) + "\">" + text +
           "</text>";
  }
  for (const auto& br : axis.breaks()) {
    const double x = kLabelWidth + br.x;
    svg += "<rect class=\"gap\" x=\"" + num(x + 2) + "\" y=\"0\" width=\"" + num(axis.break_width() - 4) +
           "\" height=\"" + std::to_string(byte_top) + "\"/>";
    svg += "<text class=\"gap\" x=\"" + num(x + axis.break_width() / 2) + "\" y=\"" + std::to_string(byte_top - 4) +
           "\">" + common::time_text(br.length_ns, common::TimeStyle::Label) + "</text>";
  }
  svg += "</svg>";
  return svg;
}

}  // namespace qel::view
