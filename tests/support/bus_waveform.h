// Test helper: turns bytes for the controller into the line changes a master
// makes on each of its buses (4-wire serial, 3-wire serial, I2C), with the
// faults a real bus shows, and plays them into a Controller.
#pragma once

#include <cstdint>
#include <string_view>
#include <vector>

#include "emulator/controller.h"

namespace qel::emu::test {

struct Change {
  Line line;
  bool level;
};

// Only real changes are kept, as a logic analyzer records them. It starts as a
// running controller does: reset released, every other line low.
class Waveform {
 public:
  Waveform() { levels_[static_cast<int>(Line::Reset)] = true; }
  void set(Line line, bool level);
  const std::vector<Change>& changes() const { return changes_; }
  // Into a controller without times, or with `step_ns` between changes.
  void play(Controller& controller) const;
  void play_timed(Controller& controller, std::uint64_t step_ns) const;

 private:
  bool levels_[kLineCount] = {};
  std::vector<Change> changes_;
};

// 4-wire serial: data/command, then eight times clock low, data bit, clock high.
class Spi4Wave : public Waveform {
 public:
  void bytes(const std::vector<WireByte>& bytes);
};

// 3-wire serial: D/C# and D7..D0, each as clock low, data bit, clock high.
class Spi3Wave : public Waveform {
 public:
  void select(bool selected) { set(Line::ChipSelect, !selected); }
  // The first `count` of the byte's nine bits.
  void bits(const WireByte& byte, int count = 9);
  void bytes(const std::vector<WireByte>& bytes);
};

// I2C, starting from the idle bus (SDA and SCL high).
class I2cWave : public Waveform {
 public:
  I2cWave();
  void start();  // a repeated start when inside a transfer
  void stop();
  void byte(std::uint8_t value, bool ack = true);  // ack false: SDA stays high on the acknowledge clock
  void bits(std::uint8_t value, int count);        // the first `count` bits only, no acknowledge clock
  // One transfer to `device` per run of bytes of one kind, each with a Co = 0
  // control byte; `repeated` joins them by repeated starts, with one stop at the end.
  void runs(const std::vector<WireByte>& bytes, std::uint8_t device = 0x3C, bool repeated = false);
  // One transfer in which every byte has its own Co = 1 control byte.
  void singles(const std::vector<WireByte>& bytes);
  // A bus written out, e.g. "S 78 40 11 FF/3 P": S start (repeated inside a
  // transfer), P stop, XX a byte in hex, XX- a byte nobody acknowledges, XX/N
  // its first N bits only, R0 and R1 the reset line. Throws on anything else.
  void script(std::string_view text);

 private:
  void clock_bit(bool bit);
  bool in_transfer_ = false;
};

}  // namespace qel::emu::test
