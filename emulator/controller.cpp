// The controller emulator's state machine: serial input (from the front end the
// bus selects) to bytes, command bytes to registers, data bytes to display RAM,
// and notes on what the controller would not accept. What it leaves out is
// listed in controller.h; in short: scrolling is recorded but not animated,
// only the listed timing is checked, nothing is read back, and page commands
// 0xB8-0xBF select page (byte & 7).
#include "emulator/controller.h"

#include <cassert>
#include <cstdio>
#include <utility>

#include "emulator/panel_view.h"

namespace qel::emu {
namespace {

std::string bits(int n) { return std::to_string(n) + (n == 1 ? " bit" : " bits"); }

}  // namespace

Controller::Controller(ControllerOptions options)
    : options_(options),
      serial_(options.reset_released),
      spi3_(options.reset_released),
      i2c_(options.reset_released),
      ram_(power_on_ram(options.noise_ram)),
      timing_(options.bus),
      off_hot_path_(options.bus != Bus::Spi4) {}

bool Controller::level(Line line) const {
  switch (options_.bus) {
    case Bus::Spi3:
      return spi3_.level(line);
    case Bus::I2c:
      return i2c_.level(line);
    case Bus::Spi4:
      break;
  }
  return serial_.level(line);
}

bool Controller::in_reset() const { return !level(Line::Reset); }

int Controller::pending_bits() const {
  switch (options_.bus) {
    case Bus::Spi3:
      return spi3_.pending_bits();
    case Bus::I2c:
      return i2c_.pending_bits();
    case Bus::Spi4:
      break;
  }
  return serial_.pending_bits();
}

// Whether clock edges count now: out of reset and selected (serial), or inside
// a transfer (I2C).
bool Controller::listening() const {
  switch (options_.bus) {
    case Bus::Spi3:
      return spi3_.listening();
    case Bus::I2c:
      return i2c_.listening();
    case Bus::Spi4:
      break;
  }
  return !serial_.in_reset() && !serial_.level(Line::ChipSelect);
}

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
  if (options_.bus == Bus::I2c && (line == Line::Clock || line == Line::Data)) {
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
  timing_.on_change(line, level, time_ns, listening(), notes);
  for (auto& text : notes) note(std::move(text));
  apply(line, level);
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
  apply(line, level);
}

void Controller::apply(Line line, bool level) {
  switch (options_.bus) {
    case Bus::Spi4:
      settle(serial_.set(line, level));
      break;
    case Bus::Spi3:
      settle(spi3_.set(line, level));
      break;
    case Bus::I2c:
      settle(i2c_.set(line, level));
      break;
  }
}

// Outcomes of the 4-wire and 3-wire serial inputs.
void Controller::settle(SerialInterface::Outcome outcome) {
  const bool spi3 = options_.bus == Bus::Spi3;
  const char* unit = spi3 ? "9-bit transfer" : "byte";
  switch (outcome) {
    case SerialInterface::Outcome::Byte:
      take_byte(spi3 ? spi3_.byte() : serial_.byte());
      break;
    case SerialInterface::Outcome::EdgeInReset:
      ++edges_in_reset_;
      break;
    case SerialInterface::Outcome::ResetAsserted:
      registers_.reset();
      decoder_.reset();
      if (const int dropped = spi3 ? spi3_.dropped_bits() : serial_.dropped_bits(); dropped > 0)
        note("Reset went low " + bits(dropped) + " into a " + unit + "; the bits are dropped.");
      break;
    case SerialInterface::Outcome::ResetReleased:
      report_edges_in_reset();
      break;
    case SerialInterface::Outcome::FrameAborted:
      note("Chip select went inactive " + bits(spi3 ? spi3_.dropped_bits() : serial_.dropped_bits()) + " into a " +
           unit + "; the bits are dropped.");
      break;
    case SerialInterface::Outcome::None:
    case SerialInterface::Outcome::Bit:
    case SerialInterface::Outcome::EdgeDeselected:
      break;
  }
}

void Controller::settle(I2cInterface::Outcome outcome) {
  switch (outcome) {
    case I2cInterface::Outcome::Byte:
      take_byte(i2c_.byte());
      break;
    case I2cInterface::Outcome::ResetAsserted:
      registers_.reset();
      decoder_.reset();
      if (i2c_.cut_transfer()) note("Reset went low inside a transfer to the controller; the rest of it is ignored.");
      break;
    case I2cInterface::Outcome::ByteCutShort:
      note(std::string(i2c_.cut_by_stop() ? "A stop" : "A repeated start") + " came " + bits(i2c_.dropped_bits()) +
           " into a byte; the bits are dropped.");
      break;
    case I2cInterface::Outcome::BadControlByte:
      if (i2c_.bad_control_bytes() == 1) {
        char text[160];
        std::snprintf(text, sizeof text,
                      "Control byte 0x%02X has bits 5..0 set (expected 0x00, 0x40, 0x80 or 0xC0); taken as Co = %d, "
                      "D/C# = %d. Is the control byte missing?",
                      i2c_.control_byte(), i2c_.control_byte() >> 7, (i2c_.control_byte() >> 6) & 1);
        note(text);
      }
      break;
    case I2cInterface::Outcome::ResetReleased:
    case I2cInterface::Outcome::None:
      break;
  }
}

void Controller::forget_times() {
  timing_.forget_times();
  timed_ = false;
  off_hot_path_ = options_.bus != Bus::Spi4;
}

void Controller::take_byte(const WireByte& byte) {
  if (!byte.is_data) {
    if (auto text = decoder_.command(byte.value, registers_)) note(std::move(*text));
  } else {
    if (decoder_.pending()) note(*decoder_.data());
    assert(registers_.page < kPages && registers_.column < kColumns);
    ram_[registers_.page][registers_.column] = byte.value;
    last_written_ = RamAddress{registers_.page, registers_.column};
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
  take_sample();
  if (in_reset()) report_edges_in_reset();
  if (pending_bits() > 0) {
    note("The trace ends " + bits(pending_bits()) + " into an unfinished " +
         (options_.bus == Bus::Spi3 ? "9-bit transfer." : "byte."));
  }
  if (decoder_.pending()) note("The trace ends inside a command that still waits for parameter bytes.");
  for (auto& text : timing_.take_summary()) note(std::move(text));
  if (options_.bus == Bus::I2c) {
    for (auto& text : i2c_.take_summary()) note(std::move(text));
  }
}

Picture Controller::picture() const { return render_panel(registers_, ram_); }

std::uint8_t Controller::ram(int page, int column) const {
  assert(page >= 0 && page < kPages && column >= 0 && column < kColumns);
  return ram_[static_cast<std::size_t>(page)][static_cast<std::size_t>(column)];
}

}  // namespace qel::emu
