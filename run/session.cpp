// The run's event source; see session.h.
#include "run/session.h"

#include "emulator/board.h"
#include "run/module_calls.h"

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

std::string note_text_with_call(const Note& note) {
  if (note.during == nullptr) return note_text(note);
  std::string text = "call " + std::to_string(note.during->index + 1) + ", ";
  text += note.during->label.empty() ? note.during->text : note.during->label;
  text += ": ";
  return text + note_text(note);
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
  if (line == emu::Line::Clock) {
    rising_edges_ += level != 0 && !clock_high_ ? 1 : 0;
    clock_high_ = level != 0;
  }
  controller_->set_line(line, level != 0);
}

void Session::on_delay(std::uint32_t ms) {
  now_ns_ += std::uint64_t{ms} * kNsPerMs;
  listener_.on_delay(ms, now_ns_);
}

void Session::name_next_call(std::string location, std::string text) {
  call_location_ = std::move(location);
  call_text_ = std::move(text);
  call_named_ = true;
}

void Session::on_call_begin(const ModuleCall& call) {
  if (!call_named_) {
    call_location_.clear();
    call_text_ = call_text(call);
  }
  call_named_ = false;
  call_label_ = call_label(call);
  call_ = CallInfo{calls_++, call_location_, call_text_, call_label_};
  call_edges_ = rising_edges_;
  call_in_reset_ = controller_->in_reset();
  in_call_ = true;
  listener_.on_call_begin(call_);
  for (const std::string& note : call_notes(call)) {
    listener_.on_note(Note{Note::From::Call, controller_->byte_count(), note, call_.location, &call_});
  }
}

void Session::on_call_end() {
  if (!in_call_) return;
  // A controller in reset from the call's start to its end took none of its clock edges.
  const std::uint64_t ignored = call_in_reset_ && controller_->in_reset() ? (rising_edges_ - call_edges_) / 8 : 0;
  if (ignored != 0) {
    const std::string message = std::to_string(ignored) + " byte" + (ignored == 1 ? "" : "s") +
                                " before the controller was reset were ignored.";
    listener_.on_note(Note{Note::From::Controller, controller_->byte_count(), message, {}, &call_});
  }
  in_call_ = false;
  listener_.on_call_end(call_);
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
  listener_.on_note(Note{Note::From::Controller, note.byte_index, note.message, {}, in_call_ ? &call_ : nullptr});
}

void Session::on_timed_change(emu::Line line, bool level, std::uint64_t time_ns) {
  now_ns_ = time_ns;
  if ((pin_lines_ & line_bit(line)) != 0) listener_.on_pin(PinEvent{line, level, time_ns, false});
}

}  // namespace qel::run
