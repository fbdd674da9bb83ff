// The command listing; see command_listing.h. Parameter counts come from the
// emulator's command decoder, so the listing and the controller agree on where
// a command ends.
#include "view/command_listing.h"

#include <cstdio>

#include "common/message_text.h"
#include "common/text_format.h"
#include "emulator/command_decoder.h"

namespace qel::view {
namespace {

constexpr std::size_t kBytesColumn = 8;

std::string hex(unsigned value) { return common::hex_byte(value); }

std::string hex_bytes(std::uint8_t opcode, const std::vector<std::uint8_t>& params) {
  static const char kHex[] = "0123456789ABCDEF";
  std::string out;
  auto put = [&out](std::uint8_t b) {
    if (!out.empty()) out += ' ';
    out += kHex[b >> 4];
    out += kHex[b & 0xF];
  };
  put(opcode);
  for (std::uint8_t p : params) put(p);
  return out;
}

std::string with_params(const char* name, const std::vector<std::uint8_t>& params) {
  std::string out = name;
  for (std::uint8_t p : params) out += " " + hex(p);
  return out;
}

const char* addressing_mode_name(std::uint8_t mode) {
  switch (mode & 0x03) {
    case 0:
      return "horizontal";
    case 1:
      return "vertical";
    case 2:
      return "page";
    default:
      return "invalid";
  }
}

// Commands without parameters whose value is in the command byte.
std::optional<std::string> describe_single(std::uint8_t op) {
  if (op <= 0x0F) return "lower column start nibble " + hex(op & 0x0F);
  if (op <= 0x1F) return "upper column start nibble " + hex(op & 0x0F);
  if (op >= 0x40 && op <= 0x7F) return "display start line " + std::to_string(op & 0x3F);
  if (op >= 0xB0 && op <= 0xB7) return "page start " + std::to_string(op & 0x07);
  if (op >= 0xB8 && op <= 0xBF) return "page start, undefined (taken as page " + std::to_string(op & 0x07) + ")";
  return std::nullopt;
}

}  // namespace

std::string describe_command(std::uint8_t op, const std::vector<std::uint8_t>& p) {
  if (auto single = describe_single(op)) return *single;
  switch (op) {
    case 0x20:
      return p.empty() ? "memory addressing mode"
                       : "memory addressing mode " + hex(p[0]) + " (" + addressing_mode_name(p[0]) + ")";
    case 0x21:
      return p.size() < 2 ? with_params("column range", p)
                          : "column range " + std::to_string(p[0] & 0x7F) + "-" + std::to_string(p[1] & 0x7F);
    case 0x22:
      return p.size() < 2 ? with_params("page range", p)
                          : "page range " + std::to_string(p[0] & 0x07) + "-" + std::to_string(p[1] & 0x07);
    case 0x26:
    case 0x27:
      return with_params(op == 0x26 ? "horizontal scroll set-up (right)" : "horizontal scroll set-up (left)", p);
    case 0x29:
    case 0x2A:
      return with_params("vertical and horizontal scroll set-up", p);
    case 0x2C:
    case 0x2D:
      return with_params("content scroll set-up", p);
    case 0x2E:
      return "scroll off";
    case 0x2F:
      return "scroll on";
    case 0x81:
      return with_params("contrast", p);
    case 0x8D:
      return p.empty() ? "charge pump" : with_params("charge pump", p) + ((p[0] & 0x04) ? " (on)" : " (off)");
    case 0xA0:
      return "segment remap off";
    case 0xA1:
      return "segment remap on";
    case 0xA3:
      return with_params("vertical scroll area", p);
    case 0xA4:
      return "display follows RAM";
    case 0xA5:
      return "entire display on";
    case 0xA6:
      return "normal";
    case 0xA7:
      return "inverse";
    case 0xA8:
      return with_params("multiplex ratio", p);
    case 0xAE:
      return "display off";
    case 0xAF:
      return "display on";
    case 0xC0:
      return "COM scan normal";
    case 0xC8:
      return "COM scan reversed";
    case 0xD3:
      return with_params("display offset", p);
    case 0xD5:
      return with_params("clock divide and oscillator", p);
    case 0xD9:
      return with_params("pre-charge period", p);
    case 0xDA:
      return with_params("COM pin configuration", p);
    case 0xDB:
      return with_params("VCOMH deselect level", p);
    case 0xE3:
      return "no operation";
    default:
      return "unknown command";
  }
}

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
  const int count = emu::command_parameter_count(opcode).value_or(0);
  opcode_ = opcode;
  params_.clear();
  needed_ = count;
  command_origin_ = origin_text(origin);
  if (count == 0) end_command(false);
}

void CommandListing::end_command(bool cut_short) {
  std::string bytes = hex_bytes(*opcode_, params_);
  if (bytes.size() < kBytesColumn) bytes.resize(kBytesColumn, ' ');
  std::string text = bytes + "  " + describe_command(*opcode_, cut_short ? std::vector<std::uint8_t>{} : params_);
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
