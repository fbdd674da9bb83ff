// Saleae Logic 2 digital CSV reader: the header's channel names, then the rows.
#include "trace/csv_reader.h"

#include <cmath>
#include <cstdlib>
#include <limits>
#include <stdexcept>
#include <string_view>
#include <vector>

#include "common/message_text.h"
#include "trace/channel_roles.h"
#include "trace/line_reader.h"

namespace qel::trace {
namespace {

constexpr std::string_view kTimeHeader = "Time [s]";

std::string_view trim(std::string_view s) {
  const auto first = s.find_first_not_of(" \t");
  if (first == std::string_view::npos) return {};
  return s.substr(first, s.find_last_not_of(" \t") - first + 1);
}

std::string_view unquoted(std::string_view s) {
  s = trim(s);
  if (s.size() >= 2 && s.front() == '"' && s.back() == '"') s = s.substr(1, s.size() - 2);
  return s;
}

// Seconds as a decimal ("-0.000012500", "1.5e-06") to nanoseconds; nullopt if it is not a number.
std::optional<std::int64_t> nanoseconds(std::string_view text) {
  if (text.empty() || text.size() > 40) return std::nullopt;
  if (text.find_first_of("eE") == std::string_view::npos) {
    // Exact decimal arithmetic for the plain form, which is what Logic 2 writes.
    bool negative = text.front() == '-';
    std::size_t i = negative || text.front() == '+' ? 1 : 0;
    std::int64_t whole = 0, fraction = 0;
    int fraction_digits = 0;
    bool digits = false, point = false;
    for (; i < text.size(); ++i) {
      const char c = text[i];
      if (c == '.' && !point) {
        point = true;
      } else if (c >= '0' && c <= '9') {
        digits = true;
        if (!point) {
          whole = whole * 10 + (c - '0');
          if (whole > 9'000'000'000LL) return std::nullopt;  // about 285 years; the nanoseconds fit 64 bits
        } else if (fraction_digits < 9) {
          fraction = fraction * 10 + (c - '0');
          ++fraction_digits;
        }
      } else {
        return std::nullopt;
      }
    }
    if (!digits) return std::nullopt;
    for (; fraction_digits < 9; ++fraction_digits) fraction *= 10;
    const std::int64_t ns = whole * 1'000'000'000LL + fraction;
    return negative ? -ns : ns;
  }
  const std::string copy(text);
  char* end = nullptr;
  const double seconds = std::strtod(copy.c_str(), &end);
  if (end != copy.c_str() + copy.size() || !std::isfinite(seconds) || std::fabs(seconds) > 9e9) return std::nullopt;
  return static_cast<std::int64_t>(std::llround(seconds * 1e9));
}

class CsvParser {
 public:
  CsvParser(ByteSource& in, const std::string& file, const std::optional<SignalMap>& map, LineSink& sink)
      : lines_(in, file), file_(file), map_(map), sink_(sink) {}

  void run() {
    if (!next_line()) {
      line_ = 1;  // an empty file is reported at line 1, where its end is
      fail("expected the header 'Time [s],<channel>,...', got an empty file");
    }
    parse_header();
    while (next_line()) {
      if (line_text_.empty()) continue;
      if (!row()) break;
    }
    if (!begun_) sink_.begin(start_);
    sink_.end();
  }

 private:
  [[noreturn]] void fail(const std::string& what) const {
    throw std::runtime_error(file_ + ":" + std::to_string(line_) + ": " + what + ".");
  }

  bool next_line() {
    const auto line = lines_.next();
    if (!line) return false;
    line_text_ = *line;
    line_ = lines_.line_number();
    open_ = lines_.last_line_open();
    return true;
  }

  std::vector<std::string_view> fields(std::string_view text) const {
    std::vector<std::string_view> out;
    std::size_t start = 0;
    while (true) {
      const auto comma = text.find(',', start);
      out.push_back(text.substr(start, comma == std::string_view::npos ? std::string_view::npos : comma - start));
      if (comma == std::string_view::npos) return out;
      start = comma + 1;
    }
  }

  void parse_header() {
    const std::vector<std::string_view> names = fields(line_text_);
    if (unquoted(names[0]) != kTimeHeader || names.size() < 2) {
      fail("expected the header 'Time [s],<channel>,...', got " + common::quoted_excerpt(line_text_));
    }
    std::vector<Channel> channels;
    for (std::size_t i = 1; i < names.size(); ++i) {
      const std::string name(unquoted(names[i]));
      channels.push_back(Channel{name, i - 1});
    }
    columns_ = names.size();
    RoleBinding binding;
    try {
      binding = bind_roles(channels, map_);
    } catch (const std::runtime_error& e) {
      fail(e.what());
    }
    for (int i = 0; i < emu::kLineCount; ++i) {
      const auto& c = binding.channel[static_cast<std::size_t>(i)];
      if (!c) continue;
      column_of_.push_back({static_cast<emu::Line>(i), *c + 1});
      start_.present[static_cast<std::size_t>(i)] = true;
    }
    start_.bus = binding.bus;
    start_.mapping = binding.mapping;
    start_.mapped_automatically = binding.automatic;
  }

  // One row; false when it is a cut-off last line (noted).
  bool row() {
    const std::vector<std::string_view> f = fields(line_text_);
    const auto ns = nanoseconds(trim(f[0]));
    bool values_ok = f.size() == columns_;
    for (std::size_t i = 1; values_ok && i < f.size(); ++i) {
      const std::string_view v = trim(f[i]);
      values_ok = v == "0" || v == "1";
    }
    if (!ns || !values_ok) {
      if (open_) {
        if (!begun_) sink_.begin(start_);
        begun_ = true;
        sink_.note(file_ + ":" + std::to_string(line_) + ": the file is cut short: its last row stops mid-line.");
        return false;
      }
      if (!ns) fail("expected a time in seconds, got " + common::quoted_excerpt(trim(f[0])));
      fail("expected " + std::to_string(columns_ - 1) + " values of 0 or 1 after the time, got " +
           common::quoted_excerpt(line_text_.substr(f[0].size())));
    }
    if (!begun_) {
      first_ns_ = *ns;
      for (const auto& [line, column] : column_of_) {
        start_.initial[static_cast<std::size_t>(line)] = trim(f[column]) == "1";
        level_[static_cast<std::size_t>(line)] = trim(f[column]) == "1";
      }
      sink_.begin(start_);
      begun_ = true;
      last_ns_ = *ns;
      return true;
    }
    if (*ns < last_ns_) fail("time " + common::quoted_excerpt(trim(f[0])) + " is before the previous row's");
    last_ns_ = *ns;
    // Both lie within about +-9e18 ns, so their distance may not fit a signed
    // 64-bit value; it always fits an unsigned one.
    const std::uint64_t t = static_cast<std::uint64_t>(*ns) - static_cast<std::uint64_t>(first_ns_);
    for (const auto& [line, column] : column_of_) {
      const bool level = trim(f[column]) == "1";
      bool& known = level_[static_cast<std::size_t>(line)];
      if (known == level) continue;
      known = level;
      sink_.change(LineChange{t, line, level});
    }
    return true;
  }

  LineReader lines_;
  const std::string& file_;
  const std::optional<SignalMap>& map_;
  LineSink& sink_;
  std::string_view line_text_;
  std::uint64_t line_ = 0;
  bool open_ = false;  // the current line has no line end
  std::size_t columns_ = 0;
  std::vector<std::pair<emu::Line, std::size_t>> column_of_;
  std::array<bool, emu::kLineCount> level_{};
  std::int64_t first_ns_ = 0;
  std::int64_t last_ns_ = std::numeric_limits<std::int64_t>::min();
  bool begun_ = false;
  CaptureStart start_;
};

}  // namespace

void read_csv(ByteSource& in, const std::string& file_name, const std::optional<SignalMap>& map, LineSink& sink) {
  CsvParser(in, file_name, map, sink).run();
}

void read_csv(std::istream& in, const std::string& file_name, const std::optional<SignalMap>& map, LineSink& sink) {
  StreamSource source(in);
  read_csv(source, file_name, map, sink);
}

}  // namespace qel::trace
