// Saleae Logic 2 digital CSV reader: the header's channel names, then the rows.
#include "trace/csv_reader.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <limits>
#include <stdexcept>
#include <string_view>
#include <vector>

#include "common/message_text.h"
#include "trace/channel_roles.h"
#include "trace/csv_fields.h"
#include "trace/line_reader.h"

namespace qel::trace {
namespace {

constexpr std::string_view kTimeHeader = "Time [s]";

std::string_view trim(std::string_view s) {
  const auto first = s.find_first_not_of(" \t");
  if (first == std::string_view::npos) return {};
  return s.substr(first, s.find_last_not_of(" \t") - first + 1);
}

constexpr std::int64_t kMostWholeSeconds = 9'000'000'000;  // about 285 years: the nanoseconds fit 64 bits

// An optional sign, digits with an optional point, an optional exponent.
bool is_decimal(std::string_view text) {
  std::size_t i = 0, digits = 0;
  const auto sign = [&] {
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) ++i;
  };
  const auto count_digits = [&] {
    std::size_t n = 0;
    for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i) ++n;
    return n;
  };
  sign();
  digits = count_digits();
  if (i < text.size() && text[i] == '.') {
    ++i;
    digits += count_digits();
  }
  if (digits == 0) return false;
  if (i < text.size() && (text[i] == 'e' || text[i] == 'E')) {
    ++i;
    sign();
    if (count_digits() == 0) return false;
  }
  return i == text.size();
}

struct Seconds {
  std::int64_t ns = 0;
  enum class Problem { None, NotATime, TooLarge } problem = Problem::None;
};

// Seconds as a decimal ("-0.000012500", "1.5e-06") to nanoseconds.
Seconds nanoseconds(std::string_view text) {
  if (!is_decimal(text)) return {0, Seconds::Problem::NotATime};
  if (text.find_first_of("eE") == std::string_view::npos) {
    // Exact decimal arithmetic for the plain form, which is what Logic 2 writes.
    const bool negative = text.front() == '-';
    std::int64_t whole = 0, fraction = 0;
    int fraction_digits = 0;
    bool point = false;
    for (std::size_t i = negative || text.front() == '+' ? 1 : 0; i < text.size(); ++i) {
      const char c = text[i];
      if (c == '.') {
        point = true;
      } else if (!point) {
        whole = whole * 10 + (c - '0');
        if (whole > kMostWholeSeconds) return {0, Seconds::Problem::TooLarge};
      } else if (fraction_digits < 9) {
        fraction = fraction * 10 + (c - '0');
        ++fraction_digits;
      }
    }
    for (; fraction_digits < 9; ++fraction_digits) fraction *= 10;
    const std::int64_t ns = whole * 1'000'000'000LL + fraction;
    return {negative ? -ns : ns};
  }
  const std::string copy(text);
  const double seconds = std::strtod(copy.c_str(), nullptr);
  if (!std::isfinite(seconds) || std::fabs(seconds) > static_cast<double>(kMostWholeSeconds)) {
    return {0, Seconds::Problem::TooLarge};
  }
  return {static_cast<std::int64_t>(std::llround(seconds * 1e9))};
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

  // The fields of the current row into fields_; false (with problem_ set)
  // when its quote marks do not pair up on the line.
  bool split_row() {
    fields_.clear();
    if (line_text_.find('"') == std::string_view::npos) {
      for (std::size_t start = 0;;) {
        const auto comma = std::min(line_text_.find(',', start), line_text_.size());
        fields_.push_back(line_text_.substr(start, comma - start));
        if (comma == line_text_.size()) return true;
        start = comma + 1;
      }
    }
    // Quoted values: rarer, and never more than one line.
    switch (quoted_row_.add(line_text_)) {
      case CsvFields::Result::Complete:
        for (const std::string& f : quoted_row_.fields()) fields_.push_back(f);
        return true;
      case CsvFields::Result::Open:
        quoted_row_ = CsvFields();
        problem_ = "expected a closing quote mark on the same line";
        return false;
      case CsvFields::Result::Bad:
        problem_ =
            quoted_row_.problem() + ", got " + common::quoted_excerpt(line_text_.substr(quoted_row_.problem_at()));
        return false;
    }
    return false;
  }

  // The header, which may run over several lines inside a quoted name.
  void parse_header() {
    CsvFields header;
    std::size_t bytes = line_text_.size();
    CsvFields::Result result = header.add(line_text_);
    while (result == CsvFields::Result::Open) {
      if (!next_line()) fail("expected a closing quote mark in the header, got the end of the file");
      bytes += line_text_.size() + 1;
      if (bytes > LineReader::kMaxLineBytes) fail("expected a header of at most 1 MiB, got a longer one");
      result = header.add(line_text_);
    }
    if (result == CsvFields::Result::Bad) {
      fail(header.problem() + ", got " + common::quoted_excerpt(line_text_.substr(header.problem_at())));
    }
    const std::vector<std::string>& names = header.fields();
    if (trim(names[0]) != kTimeHeader || names.size() < 2) {
      fail("expected the header 'Time [s],<channel>,...', got " + common::quoted_excerpt(line_text_));
    }
    std::vector<Channel> channels;
    for (std::size_t i = 1; i < names.size(); ++i) channels.push_back(Channel{names[i], i - 1});
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
    const bool split = split_row();
    const std::vector<std::string_view>& f = fields_;
    const Seconds time = split ? nanoseconds(trim(f[0])) : Seconds{};
    bool values_ok = split && f.size() == columns_;
    for (std::size_t i = 1; values_ok && i < f.size(); ++i) {
      const std::string_view v = trim(f[i]);
      values_ok = v == "0" || v == "1";
    }
    if (!split || time.problem != Seconds::Problem::None || !values_ok) {
      if (open_) {
        if (!begun_) sink_.begin(start_);
        begun_ = true;
        sink_.note(file_ + ":" + std::to_string(line_) + ": the file is cut short: its last row stops mid-line.");
        return false;
      }
      if (!split) fail(problem_);
      if (time.problem == Seconds::Problem::NotATime) {
        fail("expected a time in seconds, got " + common::quoted_excerpt(trim(f[0])));
      }
      if (time.problem == Seconds::Problem::TooLarge) {
        fail("time " + common::quoted_excerpt(trim(f[0])) +
             " is too large; times within 9,000,000,000 s (about 285 years) of zero are read");
      }
      fail("expected " + std::to_string(columns_ - 1) + " values of 0 or 1 after the time, got " +
           common::quoted_excerpt(line_text_.substr(std::min(line_text_.find(','), line_text_.size()))));
    }
    const std::optional<std::int64_t> ns = time.ns;
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
  std::vector<std::string_view> fields_;  // of the current row
  CsvFields quoted_row_;                  // holds the fields of a row with quote marks
  std::string problem_;                   // why the current row's fields could not be told
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
