// Per-call outputs of a script run, streamed; see call_recorder.h.
#include "call_recorder.h"

#include "byte_log.h"

namespace qel::tool {
namespace {

constexpr std::size_t kFlushBytes = 1 << 16;

}  // namespace

std::string CallRecorder::where(const script::Call& call) {
  return call.file + ":" + std::to_string(call.line) + ":" + std::to_string(call.column);
}

void CallRecorder::on_call_note(std::size_t, const script::Call& call, const std::string& message) {
  notes_(where(call) + ": " + message);
}

void CallRecorder::on_call_start(std::size_t, const script::Call& call) {
  current_ = where(call);
  counts_ = {};
  writes_at_start_ = tally_.pin_writes();
  delay_at_start_ = tally_.delay_ms();
  if (bytes_) {
    pending_ += "# ";
    pending_ += call.source;
    pending_ += '\n';
  }
}

void CallRecorder::on_byte(const emu::WireByte& byte, std::uint64_t) {
  if (byte.is_data) {
    ++counts_.data_bytes;
  } else {
    ++counts_.command_bytes;
  }
  if (bytes_) append_byte_line(pending_, byte);
}

void CallRecorder::on_note(const emu::Diagnostic& note) {
  const std::string at = "byte " + std::to_string(note.byte_index) + ": " + note.message;
  notes_(current_.empty() ? at : current_ + ": " + at);
}

void CallRecorder::on_call_end(std::size_t index, const script::Call& call) {
  current_.clear();
  if (stats_) {
    counts_.pin_writes = tally_.pin_writes() - writes_at_start_;
    counts_.delay_ms = tally_.delay_ms() - delay_at_start_;
    stats_->row(call.source, counts_);
  }
  if (frames_) frames_(index);
  if (pending_.size() >= kFlushBytes) flush();
}

void CallRecorder::flush() {
  if (bytes_ && !pending_.empty()) *bytes_ << pending_;
  pending_.clear();
}

}  // namespace qel::tool
