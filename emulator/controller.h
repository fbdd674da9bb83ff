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
// Controllers of the family (ControllerOptions::model; data in profile.h, the
// command sets in command_set.cpp). A command byte outside the chosen set is
// noted and ignored on its own, so its parameter bytes are taken as commands,
// as the chip does.
// - SSD1306 (the default): 128-column RAM; page, horizontal and vertical
//   addressing; charge pump (0x8D), off after reset, so the panel stays dark
//   until 0x8D 0x14. Reset >= 3 µs, serial clock period >= 100 ns, high and
//   low >= 20 ns.
// - SH1106: 132-column RAM (a 128-wide glass shows columns 2 to 129); page
//   addressing only (no 0x20-0x22), no scrolling (0x26-0x2F, 0xA3) and no
//   0x8D. Its own commands: pump voltage 0x30-0x33 (recorded), DC-DC control
//   0xAD 0x8B on / 0x8A off (on after reset; off darkens the panel), and
//   read-modify-write 0xE0 ... 0xEE (the column returns to where 0xE0 found
//   it; nothing is read). 0xC0-0xC7 and 0xC8-0xCF set the COM scan (bit 3),
//   0xDA takes no left/right remap bit, and 0xA8 takes ratios from 1. Reset
//   values: contrast 0x80, clock 0x50, VCOM 0x35. Reset >= 10 µs, serial clock
//   period >= 250 ns, high and low >= 100 ns.
// - SSD1309: as the SSD1306 without a charge pump (0x8D is not a command; the
//   board supplies the panel, so it lights without a power command), plus the
//   command lock 0xFD 0x16 / 0xFD 0x12: while locked, every byte but 0xFD and
//   its parameter is ignored, display data too (one note per locked stretch).
//   Reset values: clock 0x70, VCOMH 0x34.
// - SSD1315: as the SSD1306, plus 0xAD, the internal reference current
//   (recorded, no effect on the picture).
//
// The glass (ControllerOptions::glass, glass.h): its width, height and first
// RAM column. The picture shows only the rows and columns wired to it: segment
// columns through remap and the first column; COM rows through multiplex
// ratio, display offset, scan direction and the COM pin configuration (0xDA,
// sequential or alternative, left/right remap), as the datasheet's tables give
// them (panel_view.cpp). A glass is wired for the configuration its known size
// takes (128x32 and 96x16 sequential, the others alternative), so a start-up
// for another glass skips or doubles rows as it does on the bench.
//
// Not modelled:
// - scrolling: the scroll commands (0x26-0x2F, 0xA3) are recorded in the
//   registers, but the picture does not move and content scroll (0x2C/0x2D)
//   does not shift RAM;
// - timing beyond the checks on timed traces (the reset pulse and serial clock
//   limits above; on I2C clock period >= 2.5 µs, the 400 kHz limit); no I2C
//   set-up, hold, rise or fall times, no frame rate, no display refresh, no
//   charge-pump or DC-DC ramp, no start-up delay after reset;
// - reading back: the interface is write-only; an I2C read request is not
//   served (nothing drives SDA), only counted; the SH1106's read-modify-write
//   only moves the column;
// - the SA0 pin on I2C: both addresses are the controller's;
// - clock, pre-charge, VCOMH, pump voltage and reference current settings:
//   recorded, with no effect on the picture;
// - the parallel (6800 and 8080) interfaces.
//
// Choices where the datasheets leave room:
// - page commands 0xB8-0xBF are not defined; the low three bits are taken as
//   the page, and a note is made;
// - page mode wraps after the last RAM column to the column start address, or
//   to column 0 (ControllerOptions::column_wrap);
// - a column address past the last RAM column (SH1106: 0x18 with a low nibble
//   above 3) is taken modulo the RAM width, with a note; a high nibble past the
//   RAM loses its bit 3;
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
#include "emulator/glass.h"
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
  Bus bus = Bus::Spi4;                               // the serial front end the lines drive
  ControllerModel model = ControllerModel::Ssd1306;  // which controller of the family
  Glass glass = {};                                  // the glass it drives; it must fit the controller (glass_misfit)
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

// Command bytes the controller's set does not have.
struct OutsideSet {
  std::uint64_t count = 0;
  std::uint64_t first_byte_index = 0;  // of the first one
  std::uint8_t first_opcode = 0;
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
    const auto outcome = four_wire_.set(line, level);
    if (outcome == FrontEnd::Outcome::None || outcome == FrontEnd::Outcome::Bit) return;
    if (outcome == FrontEnd::Outcome::Byte) {
      take_byte(four_wire_.byte());
    } else {
      settle(outcome);
    }
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
  const Profile& profile() const { return *profile_; }
  const WiredGlass& glass() const { return glass_; }
  // Of the controller's RAM width (profile().ram_columns).
  std::uint8_t ram(int page, int column) const;
  Bus bus() const { return options_.bus; }
  // The panel's drive voltage is up (charge pump, DC-DC converter, or the board's supply).
  bool drive_voltage_on() const { return emu::drive_voltage_on(*profile_, registers_); }
  const OutsideSet& outside_set() const { return outside_set_; }
  // SSD1309: bytes ignored while commands were locked (0xFD 0x16).
  std::uint64_t ignored_while_locked() const { return ignored_while_locked_; }
  bool in_reset() const { return front_end().in_reset(); }
  // Of an unfinished byte (or 3-wire transfer).
  int pending_bits() const { return front_end().pending_bits(); }
  // The line's level as the front end last saw it.
  bool level(Line line) const { return front_end().level(line); }
  // Where the last display data byte was written (page 0, column 0 before any).
  RamAddress last_written() const { return last_written_; }
  // Over the whole trace: what the bus input counted, and clock periods and
  // phases shorter than the controller takes (timed traces).
  const BusTally& bus_tally() const { return front_end().tally(); }
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
  void take_command(std::uint8_t value);
  bool locked_out(const WireByte& byte);  // while commands are locked
  void forget_times();
  void report_edges_in_reset();

  ControllerOptions options_;
  const Profile* profile_;
  WiredGlass glass_;
  // The bus's front end: the 4-wire input is held in place, for the hot path;
  // another bus's is held apart.
  const FrontEnd& front_end() const {
    if (other_bus_.get() != nullptr) return *other_bus_.get();
    return four_wire_;
  }
  FrontEnd& front_end() {
    if (other_bus_.get() != nullptr) return *other_bus_.get();
    return four_wire_;
  }
  SerialInterface four_wire_;
  OwnedFrontEnd other_bus_;  // Bus::Spi3 and Bus::I2c; null for Bus::Spi4
  Registers registers_;
  CommandDecoder decoder_;
  DisplayRam ram_;
  int last_column_;  // of display RAM
  TimingChecks timing_;
  bool timed_ = false;  // timing_ holds times of earlier changes
  bool off_hot_path_;   // timed_, or a bus other than 4-wire serial
  std::vector<WireByte> bytes_;
  std::vector<Diagnostic> diagnostics_;
  std::uint64_t byte_count_ = 0;
  ByteListener* listener_ = nullptr;
  RamAddress last_written_;
  OutsideSet outside_set_;
  std::uint64_t ignored_while_locked_ = 0;
  bool lock_noted_ = false;      // since the commands were last locked
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
