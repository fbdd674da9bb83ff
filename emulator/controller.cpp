// The controller emulator's state machine: serial input (from the front end the
// bus selects) to bytes, command bytes to registers, data bytes to display RAM,
// and notes on what the controller would not accept. What it leaves out is
// listed in controller.h; in short: scrolling is recorded but not animated,
// only the listed timing is checked, nothing is read back, and page commands
// 0xB8-0xBF select page (byte & 7).
#include "emulator/controller.h"

#include <cassert>
#include <utility>

#include "common/text_format.h"
#include "emulator/panel_view.h"

namespace qel::emu {
namespace {

std::string bits(int n) { return std::to_string(n) + (n == 1 ? " bit" : " bits"); }

}  // namespace

Controller::Controller(ControllerOptions options)
    : options_(options),
      profile_(&profile_of(options.model)),
      glass_(wire_glass(options.glass, *profile_)),
      four_wire_(options.reset_released),
      other_bus_(options.bus == Bus::Spi4 ? nullptr : make_front_end(options.bus, options.reset_released)),
      registers_(*profile_),
      decoder_(*profile_),
      ram_(power_on_ram(options.noise_ram, profile_->ram_columns)),
      last_column_(profile_->ram_columns - 1),
      timing_(options.bus, profile_->limits),
      off_hot_path_(options.bus != Bus::Spi4) {}

void Controller::note(std::string message) {
  Diagnostic d{byte_count_, std::move(message)};
  if (listener_ != nullptr) listener_->on_note(d);
  if (options_.keep_history) diagnostics_.push_back(std::move(d));
}

void Controller::change(Line line, bool level, bool timed, std::uint64_t time_ns) {
  if (!timed) {
    set_line(line, level);
    return;
  }
  if (front_end().takes_samples() && (line == Line::Clock || line == Line::Data)) {
    hold_in_sample(line, level, time_ns);
    return;
  }
  take_sample();
  timed_change(line, level, time_ns);
}

void Controller::timed_change(Line line, bool level, std::uint64_t time_ns) {
  if (this->level(line) == level) return;
  timed_ = true;
  off_hot_path_ = true;
  if (listener_ != nullptr) listener_->on_timed_change(line, level, time_ns);
  std::vector<std::string> notes;
  timing_.on_change(line, level, time_ns, front_end().listening(), notes);
  for (auto& text : notes) note(std::move(text));
  settle(front_end().set(line, level));
}

// A logic analyzer records SCL and SDA changes of one sample one after the
// other, in channel order. Taken in that order, an SDA change right after SCL
// falls would be a start or stop, so the sample's changes are held and taken
// together: an SDA change is a start or stop only when SCL is high both before
// and after the sample, and a rising SCL takes the sample's SDA level.
void Controller::hold_in_sample(Line line, bool level, std::uint64_t time_ns) {
  if (sample_.held && sample_.time_ns != time_ns) take_sample();
  sample_.held = true;
  sample_.time_ns = time_ns;
  (line == Line::Clock ? sample_.scl : sample_.sda) = level;
}

void Controller::take_sample() {
  if (!sample_.held) return;
  sample_.held = false;
  const bool scl_rises = sample_.scl.value_or(false) && !level(Line::Clock);
  if (sample_.scl && !scl_rises) timed_change(Line::Clock, *sample_.scl, sample_.time_ns);
  if (sample_.sda) timed_change(Line::Data, *sample_.sda, sample_.time_ns);
  if (scl_rises) timed_change(Line::Clock, true, sample_.time_ns);
  sample_.scl.reset();
  sample_.sda.reset();
}

void Controller::untimed_change(Line line, bool level) {
  take_sample();
  if (timed_) forget_times();
  settle(front_end().set(line, level));
}

void Controller::settle(FrontEnd::Outcome outcome) {
  switch (outcome) {
    case FrontEnd::Outcome::Byte:
      take_byte(front_end().byte());
      break;
    case FrontEnd::Outcome::EdgeInReset:
      ++edges_in_reset_;
      break;
    case FrontEnd::Outcome::ResetAsserted:
      registers_.reset(*profile_);
      decoder_.reset();
      if (auto text = front_end().fault_note()) note(std::move(*text));
      break;
    case FrontEnd::Outcome::ResetReleased:
      report_edges_in_reset();
      break;
    case FrontEnd::Outcome::Fault:
      if (auto text = front_end().fault_note()) note(std::move(*text));
      break;
    case FrontEnd::Outcome::None:
    case FrontEnd::Outcome::Bit:
    case FrontEnd::Outcome::EdgeDeselected:
      break;
  }
}

void Controller::forget_times() {
  timing_.forget_times();
  timed_ = false;
  off_hot_path_ = options_.bus != Bus::Spi4;
}

void Controller::take_byte(const WireByte& byte) {
  if (registers_.command_lock && locked_out(byte)) {
    // SSD1309, locked: the byte is counted and goes nowhere.
  } else if (byte.is_data) {
    if (decoder_.pending()) note(*decoder_.data());
    assert(registers_.page < kPages && registers_.column <= last_column_);
    ram_[registers_.page][registers_.column] = byte.value;
    last_written_ = RamAddress{registers_.page, registers_.column};
    advance_write_pointer(registers_, options_.column_wrap, last_column_);
  } else {
    take_command(byte.value);
  }
  if (listener_ != nullptr) listener_->on_byte(byte, byte_count_);
  ++byte_count_;
  if (options_.keep_history) bytes_.push_back(byte);
}

void Controller::take_command(std::uint8_t value) {
  auto text = decoder_.command(value, registers_);
  if (decoder_.outside_set() && outside_set_.count++ == 0) {
    outside_set_.first_byte_index = byte_count_;
    outside_set_.first_opcode = value;
  }
  if (text) note(std::move(*text));
  if (!registers_.command_lock) lock_noted_ = false;
}

// SSD1309: while commands are locked, the controller takes nothing but the
// lock command and its parameter; display data is not written either.
bool Controller::locked_out(const WireByte& byte) {
  if (!byte.is_data && (byte.value == kCommandLock || decoder_.pending())) return false;
  ++ignored_while_locked_;
  if (!lock_noted_) {
    lock_noted_ = true;
    note(std::string(byte.is_data ? "Display data byte " : "Command byte ") + common::hex_byte(byte.value) +
         " ignored: commands and display data are locked (0xFD 0x16) until 0xFD 0x12.");
  }
  return true;
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
  take_sample();
  if (in_reset()) report_edges_in_reset();
  if (pending_bits() > 0) {
    note("The trace ends " + bits(pending_bits()) + " into an unfinished " + front_end().unit() + ".");
  }
  if (decoder_.pending()) note("The trace ends inside a command that still waits for parameter bytes.");
  for (auto& text : timing_.take_summary()) note(std::move(text));
  for (auto& text : front_end().take_summary()) note(std::move(text));
}

Picture Controller::picture() const { return render_panel(*profile_, glass_, registers_, ram_); }

std::uint8_t Controller::ram(int page, int column) const {
  assert(page >= 0 && page < kPages && column >= 0 && column < profile_->ram_columns);
  return ram_[static_cast<std::size_t>(page)][static_cast<std::size_t>(column)];
}

}  // namespace qel::emu
