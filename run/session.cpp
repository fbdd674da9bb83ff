// The run's event source; see session.h.
#include "run/session.h"

#include "emulator/board.h"

namespace qel::run {
namespace {

constexpr std::uint64_t kNsPerMs = 1'000'000;

}  // namespace

std::string note_text(const Note& note) {
  if (note.from != Note::From::Controller) return std::string(note.message);
  std::string text = "byte " + std::to_string(note.byte_index) + ": ";
  text += note.message;
  return text;
}

Session::~Session() {
  if (controller_) controller_->set_listener(nullptr);
}

void Session::start(const emu::ControllerOptions& options, view::RunKind kind, std::string source,
                    std::uint64_t pin_write_ns, bool reset_line) {
  source_ = std::move(source);
  pin_write_ns_ = pin_write_ns;
  pin_lines_ = listener_.pin_lines();
  controller_.emplace(options);
  controller_->set_listener(this);
  listener_.on_start(Start{kind, source_, &*controller_, this, pin_write_ns_, reset_line});
}

void Session::on_open(std::uint8_t pin) {
  const auto line = emu::line_of_dio(pin);
  if (!line) return;
  if ((pin_lines_ & line_bit(*line)) != 0) listener_.on_pin(PinEvent{*line, false, now_ns_, false});
  controller_->set_line(*line, false);
}

// The hot path of a script run: one call per pin write of the module.
void Session::on_write(std::uint8_t pin, std::uint8_t level) {
  const std::uint64_t t = now_ns_;
  now_ns_ += pin_write_ns_;
  if (pin >= emu::kLineOfDio.size() || emu::kLineOfDio[pin] < 0) return;
  const auto line = static_cast<emu::Line>(emu::kLineOfDio[pin]);
  if ((pin_lines_ & line_bit(line)) != 0) listener_.on_pin(PinEvent{line, level != 0, t, true});
  controller_->set_line(line, level != 0);
}

void Session::on_delay(std::uint32_t ms) {
  now_ns_ += std::uint64_t{ms} * kNsPerMs;
  listener_.on_delay(ms, now_ns_);
}

void Session::call_note(const CallInfo& call, std::string_view message) {
  listener_.on_note(Note{Note::From::Call, controller_->byte_count(), message, call.location});
}

void Session::begin_call(const CallInfo& call) { listener_.on_call_begin(call); }

void Session::end_call(const CallInfo& call) { listener_.on_call_end(call); }

void Session::capture_note(std::string_view message) {
  listener_.on_note(Note{Note::From::Capture, controller_ ? controller_->byte_count() : 0, message, {}});
}

void Session::finish() {
  if (finished_ || !controller_) return;
  finished_ = true;
  controller_->end_of_trace();
  listener_.on_finish();
}

void Session::on_byte(const emu::WireByte& byte, std::uint64_t index) { listener_.on_byte(byte, index); }

void Session::on_note(const emu::Diagnostic& note) {
  listener_.on_note(Note{Note::From::Controller, note.byte_index, note.message, {}});
}

void Session::on_timed_change(emu::Line line, bool level, std::uint64_t time_ns) {
  now_ns_ = time_ns;
  if ((pin_lines_ & line_bit(line)) != 0) listener_.on_pin(PinEvent{line, level, time_ns, false});
}

}  // namespace qel::run
