// The command listing; see command_listing.h. Parameter counts and names come
// from the emulator's command set, so the listing and the controller agree on
// where a command ends.
#include "view/command_listing.h"

#include <cstdio>

#include "common/text_format.h"
#include "emulator/command_set.h"

namespace qel::view {
namespace {

constexpr std::size_t kBytesColumn = 8;

std::string hex_bytes(std::uint8_t opcode, const std::vector<std::uint8_t>& params) {
  std::string out;
  common::append_hex_digits(out, opcode);
  for (std::uint8_t p : params) {
    out += ' ';
    common::append_hex_digits(out, p);
  }
  return out;
}

}  // namespace

std::string CommandListing::origin_text(const ByteOrigin& origin) const {
  if (origin.time_ns) return common::time_text(*origin.time_ns, common::TimeStyle::Milliseconds);
  return std::string(origin.call);
}

void CommandListing::add(const emu::WireByte& byte, emu::RamAddress written, const ByteOrigin& origin) {
  if (byte.is_data) {
    if (opcode_) end_command(true);
    const int page = written.page, column = written.column;
    if (!run_) {
      run_ = DataRun{};
      run_->origin = origin_text(origin);
      run_->min_page = run_->max_page = page;
      run_->first_column = run_->min_column = run_->max_column = column;
    } else {
      DataRun& r = *run_;
      // The column went back on the same page without a command: it wrapped.
      if (page == r.prev_page && column <= r.prev_column) {
        if (r.wraps == 0) {
          r.column_before_wrap = r.max_column;
          r.column_after_wrap = column;
        }
        ++r.wraps;
      }
      r.min_page = std::min(r.min_page, page);
      r.max_page = std::max(r.max_page, page);
      r.min_column = std::min(r.min_column, column);
      r.max_column = std::max(r.max_column, column);
    }
    run_->prev_page = page;
    run_->prev_column = column;
    ++run_->count;
    return;
  }
  end_data_run();
  if (opcode_) {
    params_.push_back(byte.value);
    if (--needed_ == 0) end_command(false);
    return;
  }
  start_command(byte.value, origin);
}

void CommandListing::start_command(std::uint8_t opcode, const ByteOrigin& origin) {
  const int count = emu::command_parameter_count(*profile_, opcode).value_or(0);
  opcode_ = opcode;
  params_.clear();
  needed_ = count;
  command_origin_ = origin_text(origin);
  if (count == 0) end_command(false);
}

void CommandListing::end_command(bool cut_short) {
  std::string bytes = hex_bytes(*opcode_, params_);
  if (bytes.size() < kBytesColumn) bytes.resize(kBytesColumn, ' ');
  std::string text =
      bytes + "  " + emu::describe_command(*profile_, *opcode_, cut_short ? std::vector<std::uint8_t>{} : params_);
  if (cut_short) {
    const std::size_t total = params_.size() + static_cast<std::size_t>(needed_);
    text += " (cut short after " + std::to_string(params_.size()) + " of " + std::to_string(total) +
            " parameter bytes; dropped)";
  }
  opcode_.reset();
  needed_ = 0;
  sink_.on_line(ListingLine{command_origin_, text});
}

void CommandListing::end_data_run() {
  if (!run_) return;
  const DataRun& r = *run_;
  std::string text = std::to_string(r.count) + (r.count == 1 ? " data byte, " : " data bytes, ");
  text += r.min_page == r.max_page ? "page " + std::to_string(r.min_page)
                                   : "pages " + std::to_string(r.min_page) + "-" + std::to_string(r.max_page);
  if (r.wraps == 1 && r.min_page == r.max_page) {
    const auto span = [](int from, int to) {
      return from == to ? std::to_string(from) : std::to_string(from) + "-" + std::to_string(to);
    };
    text += ", columns " + span(r.first_column, r.column_before_wrap) + " then " +
            span(r.column_after_wrap, r.prev_column) + " (column wrapped)";
  } else {
    text += r.min_column == r.max_column
                ? ", column " + std::to_string(r.min_column)
                : ", columns " + std::to_string(r.min_column) + "-" + std::to_string(r.max_column);
    if (r.wraps > 0) text += " (column wrapped " + std::to_string(r.wraps) + " times)";
  }
  sink_.on_line(ListingLine{r.origin, text});
  run_.reset();
}

void CommandListing::heading(std::string_view call_location, std::string_view text) {
  flush();
  sink_.on_line(ListingLine{std::string(call_location), "# " + std::string(text)});
}

void CommandListing::flush() { end_data_run(); }

void CommandListing::finish() {
  end_data_run();
  if (opcode_) end_command(true);
}

}  // namespace qel::view
