// Test helper: turns bytes for the controller into the line changes a master
// makes on each of its buses (4-wire serial, 3-wire serial, I2C), with the
// faults a real bus shows (chip-select restarts, cut bytes, missing
// acknowledges, other devices), and plays them into a Controller.
#pragma once

#include <cstdint>
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
  virtual ~Waveform() = default;
  void set(Line line, bool level);
  bool level(Line line) const { return levels_[static_cast<int>(line)]; }
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

// I2C, starting from the idle bus (SDA and SCL high). `ack` false leaves SDA
// high on the acknowledge clock.
class I2cWave : public Waveform {
 public:
  static constexpr std::uint8_t kController = 0x3C;

  I2cWave();
  void start();  // a repeated start when inside a transfer
  void stop();
  void byte(std::uint8_t value, bool ack = true);
  void bits(std::uint8_t value, int count);  // the first `count` bits only, no acknowledge clock
  void address(std::uint8_t device, bool read, bool ack = true) {
    byte(static_cast<std::uint8_t>(device << 1 | (read ? 1 : 0)), ack);
  }
  // One transfer per run of bytes of one kind, each with a Co = 0 control byte.
  void runs(const std::vector<WireByte>& bytes, std::uint8_t device = kController);
  // One transfer in which every byte has its own Co = 1 control byte.
  void singles(const std::vector<WireByte>& bytes, std::uint8_t device = kController);
  // Runs joined by repeated starts: a single stop at the end.
  void runs_with_repeated_starts(const std::vector<WireByte>& bytes, std::uint8_t device = kController);
  // A probe of every address from 0x08 to 0x77: address, write, stop; only
  // `present` addresses acknowledge.
  void scan(const std::vector<std::uint8_t>& present);
  // A write of `count` bytes to another device, and a read of `count` bytes.
  void other_write(std::uint8_t device, int count);
  void read(std::uint8_t device, int count);

 private:
  void clock_bit(bool bit);
  void transfer_runs(const std::vector<WireByte>& bytes, std::uint8_t device, bool repeated);

  bool in_transfer_ = false;
};

}  // namespace qel::emu::test
