// Emulator of the SSD1306-type display controller behind the module's pins: one
// state machine that takes one line change at a time and keeps the registers,
// display RAM, decoded bytes and notes on what the controller would not accept.
//
// Serial front ends (ControllerOptions::bus), all feeding the same command
// decoder and RAM:
// - 4-wire serial (the module's): clock, data, data/command, reset, chip select;
// - 3-wire serial: 9-bit transfers, D/C# first, no data/command line;
// - I2C: SCL on the clock line, SDA on the data line; address 0x3C or 0x3D (both
//   taken, since SA0 is not on the bus), control bytes with Co and D/C#, start,
//   repeated start and stop. Other addresses, read requests, missing
//   acknowledges and clock pulses outside a transfer are counted and summed up
//   in one note each at the end of the trace.
//
// Not modelled:
// - scrolling: the scroll commands (0x26-0x2F, 0xA3) are recorded in the
//   registers, but the picture does not move and content scroll (0x2C/0x2D)
//   does not shift RAM;
// - timing beyond the checks on timed traces (reset pulse >= 3 µs; on 4-wire and
//   3-wire serial clock period >= 100 ns, clock high and low phases >= 20 ns; on
//   I2C clock period >= 2.5 µs, the 400 kHz limit); no I2C set-up, hold, rise or
//   fall times, no frame rate, no display refresh, no charge-pump ramp, no
//   start-up delay after reset;
// - reading back: the interface is write-only; an I2C read request is not
//   served (nothing drives SDA), only counted;
// - the SA0 pin on I2C: both addresses are the controller's;
// - the COM pin configuration (0xDA), clock, pre-charge and VCOMH settings:
//   recorded, with no effect on the picture;
// - the parallel (6800 and 8080) interfaces.
//
// Choices where the datasheet leaves room:
// - page commands 0xB8-0xBF are not defined; the low three bits are taken as
//   the page, and a note is made;
// - page mode wraps after column 127 to the column start address, or to column
//   0 (ControllerOptions::column_wrap);
// - a command cut short by a data byte is dropped, and the data byte is written;
// - 0xA5 (entire display on) lights every driven row and takes precedence over
//   0xA7 (inverse).
// - I2C: a byte left unacknowledged in the capture is still taken (the notes
//   count them); a control byte with bits 5..0 set is taken by Co and D/C#
//   alone, with a note; SCL and SDA changes that share one time are taken as
//   one sample, so an SDA change is a start or stop only when SCL is high
//   before and after it.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "emulator/addressing.h"
#include "emulator/command_decoder.h"
#include "emulator/display_ram.h"
#include "emulator/front_end.h"
#include "emulator/picture.h"
#include "emulator/registers.h"
#include "emulator/serial_interface.h"
#include "emulator/timing_checks.h"
#include "emulator/wire.h"
#include "qel/pin_observer.h"

namespace qel::emu {

struct Diagnostic {
  std::uint64_t byte_index;  // number of bytes decoded before it arose
  std::string message;
};

struct ControllerOptions {
  bool noise_ram = false;  // power-on RAM: zeros, or a fixed pseudo-random pattern (same every run)
  ColumnWrap column_wrap = ColumnWrap::Start;
  bool reset_released = false;  // true: start out of reset (a capture without a reset line)
  // Keep every decoded byte and note for bytes() and diagnostics(). Long runs
  // that only stream them to a ByteListener turn this off, so memory stays bounded.
  bool keep_history = true;
  Bus bus = Bus::Spi4;  // the serial front end the lines drive
};

// Told of every byte and note as the controller decodes them, in order.
class ByteListener {
 public:
  virtual ~ByteListener() = default;
  // `index` counts the bytes decoded before this one.
  virtual void on_byte(const WireByte& byte, std::uint64_t index) = 0;
  virtual void on_note(const Diagnostic& note) = 0;
  // A timed line change (a capture), told before the controller takes it, so a
  // listener can see where bytes start and how long the lines stay idle.
  // Changes without a time are not told.
  virtual void on_timed_change(Line /*line*/, bool /*level*/, std::uint64_t /*time_ns*/) {}
};

// Where a display data byte went in display RAM.
struct RamAddress {
  std::uint8_t page = 0;
  std::uint8_t column = 0;
};

class Controller {
 public:
  explicit Controller(ControllerOptions options = {});

  // One line change. time_ns: the change's real time when the trace has one (a
  // capture); std::nullopt otherwise, and then no timing checks are made. On
  // I2C, timed SCL and SDA changes are taken a sample (one time) at once, when
  // a later time, another line or end_of_trace() comes.
  void set_line(Line line, bool level, std::optional<std::uint64_t> time_ns) {
    change(line, level, time_ns.has_value(), time_ns.value_or(0));
  }
  // The same for a trace without times (the module on the host): the hot path, so
  // the common 4-wire outcomes (nothing, one more bit) are decided inline.
  void set_line(Line line, bool level) {
    if (off_hot_path_) {  // a run of timed changes ends here, or another bus
      untimed_change(line, level);
      return;
    }
    // Bus::Spi4 (not off the hot path): the front end is the 4-wire input.
    const auto outcome = static_cast<SerialInterface*>(front_end_.get())->set(line, level);
    if (outcome != FrontEnd::Outcome::None && outcome != FrontEnd::Outcome::Bit) settle(outcome);
  }
  // The trace is over: a partial byte left in the shift register becomes a note.
  void end_of_trace();

  Picture picture() const;  // what a viewer sees now
  // Every byte and note so far; empty when keep_history is off.
  const std::vector<WireByte>& bytes() const { return bytes_; }
  const std::vector<Diagnostic>& diagnostics() const { return diagnostics_; }
  std::uint64_t byte_count() const { return byte_count_; }
  // One listener at a time; nullptr for none. It must outlive its use.
  void set_listener(ByteListener* listener) { listener_ = listener; }
  const Registers& registers() const { return registers_; }
  std::uint8_t ram(int page, int column) const;
  Bus bus() const { return options_.bus; }
  bool in_reset() const { return front_end_->in_reset(); }
  // Of an unfinished byte (or 3-wire transfer).
  int pending_bits() const { return front_end_->pending_bits(); }
  // The line's level as the front end last saw it.
  bool level(Line line) const { return front_end_->level(line); }
  // Where the last display data byte was written (page 0, column 0 before any).
  RamAddress last_written() const { return last_written_; }
  // Over the whole trace: what the bus input counted, and clock periods and
  // phases shorter than the controller takes (timed traces).
  const BusTally& bus_tally() const { return front_end_->tally(); }
  std::uint64_t clock_faults() const { return timing_.clock_faults(); }

 private:
  void note(std::string message);
  void change(Line line, bool level, bool timed, std::uint64_t time_ns);
  void untimed_change(Line line, bool level);
  void timed_change(Line line, bool level, std::uint64_t time_ns);
  void hold_in_sample(Line line, bool level, std::uint64_t time_ns);
  void take_sample();
  void settle(FrontEnd::Outcome outcome);
  void take_byte(const WireByte& byte);
  void forget_times();
  void report_edges_in_reset();

  ControllerOptions options_;
  OwnedFrontEnd front_end_;  // the bus's
  Registers registers_;
  CommandDecoder decoder_;
  DisplayRam ram_;
  TimingChecks timing_;
  bool timed_ = false;  // timing_ holds times of earlier changes
  bool off_hot_path_;   // timed_, or a bus other than 4-wire serial
  std::vector<WireByte> bytes_;
  std::vector<Diagnostic> diagnostics_;
  std::uint64_t byte_count_ = 0;
  ByteListener* listener_ = nullptr;
  RamAddress last_written_;
  unsigned edges_in_reset_ = 0;  // rising clock edges during the current reset pulse
  struct Sample {                // I2C: the SCL and SDA changes of one time, held
    bool held = false;
    std::uint64_t time_ns = 0;
    std::optional<bool> scl, sda;
  } sample_;
};

// Feeds the module's pin writes into a Controller: DIO 9 clock, 10 data, 4
// reset, 26 data/command (see board.h). An opened pin starts low; delays and
// other pins are ignored.
class ControllerPins : public PinObserver {
 public:
  explicit ControllerPins(Controller& controller) : controller_(controller) {}
  void on_open(std::uint8_t pin) override;
  void on_write(std::uint8_t pin, std::uint8_t level) override;
  void on_delay(std::uint32_t ms) override;

 private:
  Controller& controller_;
};

}  // namespace qel::emu
