// The byte log; see byte_log.h.
#include "run/byte_log.h"

#include "common/text_format.h"

namespace qel::run {
namespace {

constexpr std::size_t kFlushBytes = 1 << 16;

}  // namespace

void append_byte_line(std::string& text, const emu::WireByte& byte) {
  text += byte.is_data ? 'D' : 'C';
  text += ' ';
  common::append_hex_digits(text, byte.value);
  text += '\n';
}

void append_call_line(std::string& text, std::string_view call) {
  text += "# ";
  text += call;
  text += '\n';
}

ByteLog::~ByteLog() = default;

void ByteLog::on_call_begin(const CallInfo& call) { append_call_line(pending_, call.text); }

void ByteLog::on_call_end(const CallInfo&) {
  if (pending_.size() >= kFlushBytes) flush();
}

void ByteLog::on_byte(const emu::WireByte& byte, std::uint64_t) {
  append_byte_line(pending_, byte);
  if (pending_.size() >= 4 * kFlushBytes) flush();
}

void ByteLog::flush() {
  if (!pending_.empty()) out_ << pending_;
  pending_.clear();
}

}  // namespace qel::run
