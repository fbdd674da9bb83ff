// Findings about display data; see findings_writes.h.
#include "run/findings_writes.h"

#include "common/text_format.h"

namespace qel::run {
namespace {

using common::hex_byte;

// Pages of 130 to 132 bytes: firmware for a controller with 132 RAM columns.
constexpr std::uint64_t kWideRunMin = 130;
constexpr std::uint64_t kWideRunMax = 132;

std::string count_of(std::uint64_t n, const char* singular, const char* plural) {
  return std::to_string(n) + " " + (n == 1 ? singular : plural);
}

// "column 0", "columns 0-1 and 126-127", "columns 0, 3 and 7-9".
std::string column_list(const std::vector<std::pair<int, int>>& ranges) {
  int columns = 0;
  std::string list;
  for (std::size_t i = 0; i < ranges.size(); ++i) {
    const auto [first, last] = ranges[i];
    columns += last - first + 1;
    if (i > 0) list += i + 1 == ranges.size() ? " and " : ", ";
    list += std::to_string(first);
    if (last > first) list += "-" + std::to_string(last);
  }
  return (columns == 1 ? "column " : "columns ") + list;
}

// "is" for one column, "are" for more.
const char* is_are(const std::vector<std::pair<int, int>>& ranges) {
  return ranges.size() == 1 && ranges[0].first == ranges[0].second ? "is" : "are";
}

// The ranges of columns in [first, end) for which `pick` holds.
template <typename Pick>
std::vector<std::pair<int, int>> ranges_of(int first, int end, Pick pick) {
  std::vector<std::pair<int, int>> ranges;
  for (int c = first; c < end; ++c) {
    if (!pick(c)) continue;
    if (!ranges.empty() && ranges.back().second == c - 1) {
      ranges.back().second = c;
    } else {
      ranges.emplace_back(c, c);
    }
  }
  return ranges;
}

}  // namespace

void WriteChecks::start(const emu::Registers& registers, const GlassShape& glass) {
  remap_ = registers.segment_remap;
  glass_ = glass;
}

void WriteChecks::on_command(const emu::Registers& registers, std::uint64_t index) {
  end_run();
  if (registers.segment_remap != remap_) remap_changed(registers.segment_remap, index);
}

void WriteChecks::remap_changed(bool remap, std::uint64_t index) {
  remap_ = remap;
  if (cells_written_.none()) return;
  cells_other_way_ ^= cells_written_;
  remap_changed_ = where_.at(index);
}

// A byte that starts a run, wraps, or comes while a scroll runs.
void WriteChecks::on_other_data(const emu::Registers& r, emu::RamAddress at, std::uint64_t index) {
  if (r.scroll.active && scroll_writes_++ == 0) first_scroll_write_ = where_.at(index);
  if (!run_.open) {
    run_.open = true;
    run_.mode = r.addressing_mode;
    run_.length = 0;
    run_.first = at;
    run_.wrapped = false;
    run_.last_column = r.column_range_end;  // no command comes inside a run to change them
    run_.last_page = r.page_range_end;
    where_.mark(run_.start, index);
    if (at.column < glass_.first_column && facts_.left_of_glass++ == 0) {
      facts_.first_left_of_glass = run_.start.place();
    }
  } else if (at.page != run_.next.page || at.column != run_.next.column) {
    // A wrap to the start of the page or range. Page mode: the first wrap is
    // where the extra bytes start; otherwise the last one, as wrapping onto the
    // next page is what those modes are for.
    if (!run_.wrapped || run_.mode != emu::AddressingMode::Page) {
      where_.mark(run_.wrap, index);
      run_.wrapped_to = at;
    }
    run_.wrapped = true;
  }
  step_run(at);
}

// Page mode: any wrap sends bytes back over the run's start. Horizontal and
// vertical modes: a run that wraps and stops short of the end of a row (or
// column) of its range has run on to a page (column) it did not fill.
bool WriteChecks::overran(const Run& run) const {
  if (!run.wrapped) return false;
  switch (run.mode) {
    case emu::AddressingMode::Page:
      return true;
    case emu::AddressingMode::Horizontal:
      return run.last.column != run.last_column && run.last.column != glass_.ram_columns - 1;
    case emu::AddressingMode::Vertical:
      return run.last.page != run.last_page && run.last.page != emu::kPages - 1;
  }
  return false;
}

void WriteChecks::end_run() {
  if (!run_.open) return;
  run_.open = false;
  if (overran(run_) && overruns_++ == 0) first_overrun_ = run_;
  if (run_.length >= kWideRunMin && run_.length <= kWideRunMax && facts_.wide++ == 0) {
    facts_.first_wide = run_.start.place();
  }
}

void WriteChecks::conclude(const emu::Registers& registers, std::uint64_t bytes, std::vector<Finding>& out) const {
  WriteChecks ended = *this;  // the run still open ends here
  ended.end_run();
  if (registers.segment_remap != remap_) ended.remap_changed(registers.segment_remap, bytes);
  ended.report(registers, bytes, out);
}

WriteChecks::RunFacts WriteChecks::run_facts() const {
  WriteChecks ended = *this;
  ended.end_run();
  return ended.facts_;
}

void WriteChecks::report(const emu::Registers& r, std::uint64_t bytes, std::vector<Finding>& out) const {
  const GlassShape& glass = glass_;
  if (overruns_ > 0) {
    const Run& run = *first_overrun_;
    const int left = run.mode == emu::AddressingMode::Page ? glass.ram_columns - run.first.column
                                                           : run.last_column - run.first.column + 1;
    std::string landed;
    switch (run.mode) {
      case emu::AddressingMode::Page: {
        const std::uint64_t extra = run.length - static_cast<std::uint64_t>(left);
        landed = (extra == 1 ? "the last byte landed back at column "
                             : "the last " + std::to_string(extra) + " bytes landed back at column ") +
                 std::to_string(run.wrapped_to.column) + ", over the run's first " + (extra == 1 ? "byte" : "bytes");
        break;
      }
      case emu::AddressingMode::Horizontal:
        landed = "the extra bytes ran on to page " + std::to_string(run.wrapped_to.page) + " from column " +
                 std::to_string(run.wrapped_to.column) + " and stop part-way along it";
        break;
      case emu::AddressingMode::Vertical:
        landed =
            "the extra bytes ran on to column " + std::to_string(run.wrapped_to.column) + " and stop part-way down it";
        break;
    }
    out.push_back(Finding{
        FindingId::PageOverrun, run.wrap.place(),
        count_of(overruns_, "run", "runs") + " of display data ran past the end of " +
            (overruns_ == 1 ? "its page" : "their page") + " (the first: " + count_of(run.length, "byte", "bytes") +
            " from column " + std::to_string(run.first.column) + " of page " + std::to_string(run.first.page) +
            ", which leaves " + count_of(static_cast<std::uint64_t>(left), "column", "columns") + "); " + landed +
            "; send no more bytes than the columns left, or set the column again for the rest."});
  }

  const int first = glass.first_column;
  const int end = glass.first_column + glass.width;
  std::bitset<emu::kMaxColumns> columns_written;
  for (std::size_t cell = 0; cell < kCells; ++cell) {
    if (cells_written_[cell]) columns_written.set(cell % emu::kMaxColumns);
  }
  const auto unwritten = ranges_of(first, end, [&](int c) { return !columns_written[static_cast<std::size_t>(c)]; });
  // Written left of the glass: the firmware draws from a column the glass does
  // not start at (columns written right of it are a wider picture, cut off).
  const auto outside = ranges_of(0, first, [&](int c) { return columns_written[static_cast<std::size_t>(c)]; });
  if (!unwritten.empty() && !outside.empty()) {
    out.push_back(Finding{FindingId::ColumnOffset, where_.end(bytes),
                          "The picture is shifted: RAM " + column_list(unwritten) + " on the glass " +
                              is_are(unwritten) + " never written, while RAM " + column_list(outside) + " left of it " +
                              is_are(outside) + "; the firmware ignores that the glass starts at RAM column " +
                              std::to_string(first) + ", so start each page at column " + std::to_string(first) + "."});
  } else if (columns_written.none()) {
    out.push_back(Finding{FindingId::ColumnsNeverWritten, where_.end(bytes),
                          "No display data was written, so the panel shows whatever display RAM held at power-on "
                          "(random dots on many panels); write the picture, or clear the RAM, after start-up."});
  } else if (!unwritten.empty()) {
    std::string which = column_list(unwritten);
    which[0] = 'C';
    const bool one = is_are(unwritten) == std::string("is");
    out.push_back(Finding{FindingId::ColumnsNeverWritten, where_.end(bytes),
                          which + " " + is_are(unwritten) + " never written, so " + (one ? "it keeps" : "they keep") +
                              " whatever display RAM held at power-on (random dots on many panels); clear every "
                              "column once at start-up."});
  }

  const bool remap_now = r.segment_remap;
  const std::size_t kept_other_way = cells_other_way_.count();
  if (kept_other_way > 0) {
    const Place where = remap_changed_.value_or(where_.end(bytes));
    out.push_back(Finding{FindingId::RemapAfterWrite, where,
                          "Segment remap changed (now " + hex_byte(remap_now ? 0xA1 : 0xA0) +
                              ") after display data was written: the panel mirrors only data written afterwards, so " +
                              count_of(kept_other_way, "byte", "bytes") +
                              " written before stay as they were (the picture here shows them with the new setting); "
                              "send 0xA0/0xA1 before writing display data, or write the picture again after it."});
  }

  if (scroll_writes_ > 0) {
    out.push_back(Finding{FindingId::WriteDuringScroll, *first_scroll_write_,
                          count_of(scroll_writes_, "display data byte was", "display data bytes were") +
                              " written while a scroll was running: RAM written during a scroll may be corrupted, so "
                              "the picture can come out garbled; send 0x2E (scroll off) before writing, then set up "
                              "and start the scroll again."});
  }
}

}  // namespace qel::run
