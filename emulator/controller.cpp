// The controller emulator's state machine: serial input to bytes, command bytes
// to registers, data bytes to display RAM, and notes on what the controller
// would not accept. What it leaves out is listed in controller.h; in short:
// scrolling is recorded but not animated, only the listed timing is checked,
// nothing is read back, and page commands 0xB8-0xBF select page (byte & 7).
#include "emulator/controller.h"

#include <cassert>
#include <utility>

#include "emulator/panel_view.h"

namespace qel::emu {

Controller::Controller(ControllerOptions options)
    : options_(options), serial_(options.reset_released), ram_(power_on_ram(options.noise_ram)) {}

void Controller::note(std::string message) {
  Diagnostic d{byte_count_, std::move(message)};
  ++note_count_;
  if (listener_ != nullptr) listener_->on_note(d);
  if (options_.keep_history) diagnostics_.push_back(std::move(d));
}

void Controller::change(Line line, bool level, bool timed, std::uint64_t time_ns) {
  if (!timed) {
    set_line(line, level);
    return;
  }
  if (serial_.level(line) == level) return;
  timed_ = true;
  const bool listening = !serial_.in_reset() && !serial_.level(Line::ChipSelect);
  std::vector<std::string> notes;
  timing_.on_change(line, level, time_ns, listening, notes);
  for (auto& text : notes) note(std::move(text));
  settle(serial_.set(line, level));
}

void Controller::settle(SerialInterface::Outcome outcome) {
  switch (outcome) {
    case SerialInterface::Outcome::Byte:
      take_byte(serial_.byte());
      break;
    case SerialInterface::Outcome::EdgeInReset:
      ++edges_in_reset_;
      break;
    case SerialInterface::Outcome::ResetAsserted:
      registers_.reset();
      decoder_.reset();
      if (serial_.dropped_bits() > 0)
        note("Reset went low " + std::to_string(serial_.dropped_bits()) + " bits into a byte; the bits are dropped.");
      break;
    case SerialInterface::Outcome::ResetReleased:
      report_edges_in_reset();
      break;
    case SerialInterface::Outcome::FrameAborted:
      note("Chip select went inactive " + std::to_string(serial_.dropped_bits()) +
           " bits into a byte; the bits are dropped.");
      break;
    case SerialInterface::Outcome::None:
    case SerialInterface::Outcome::Bit:
    case SerialInterface::Outcome::EdgeDeselected:
      break;
  }
}

void Controller::forget_times() {
  timing_.forget_times();
  timed_ = false;
}

void Controller::take_byte(const WireByte& byte) {
  if (!byte.is_data) {
    if (auto text = decoder_.command(byte.value, registers_)) note(std::move(*text));
  } else {
    if (decoder_.pending()) note(*decoder_.data());
    assert(registers_.page < kPages && registers_.column < kColumns);
    ram_[registers_.page][registers_.column] = byte.value;
    advance_write_pointer(registers_, options_.column_wrap);
  }
  if (listener_ != nullptr) listener_->on_byte(byte, byte_count_);
  ++byte_count_;
  if (options_.keep_history) bytes_.push_back(byte);
}

// One rising edge during reset is the clock settling at its idle high level
// before the first byte; two or more mean bits were sent and lost.
void Controller::report_edges_in_reset() {
  if (edges_in_reset_ > 1) {
    note(std::to_string(edges_in_reset_) + " clock edges arrived while reset was low; they were ignored.");
  }
  edges_in_reset_ = 0;
}

void Controller::end_of_trace() {
  if (serial_.in_reset()) report_edges_in_reset();
  if (serial_.pending_bits() > 0) {
    note("The trace ends " + std::to_string(serial_.pending_bits()) + " bits into an unfinished byte.");
  }
  if (decoder_.pending()) note("The trace ends inside a command that still waits for parameter bytes.");
  for (auto& text : timing_.take_summary()) note(std::move(text));
}

Picture Controller::picture() const { return render_panel(registers_, ram_); }

std::uint8_t Controller::ram(int page, int column) const {
  assert(page >= 0 && page < kPages && column >= 0 && column < kColumns);
  return ram_[static_cast<std::size_t>(page)][static_cast<std::size_t>(column)];
}

}  // namespace qel::emu
