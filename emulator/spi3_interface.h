// The controller's 3-wire serial input (clock, data, an active-low chip select
// and reset; no data/command line), decoded one line change at a time.
//
// Each transfer is 9 bits, shifted in on rising clock edges: first the D/C# bit
// (1: display data, 0: command), then D7..D0, most significant bit first. Chip
// select high ignores the clock and restarts the bit count; reset low clears the
// transfer in progress and clock edges are ignored while it is low. The
// data/command line has no meaning here: its changes do nothing.
#pragma once

#include <cstdint>

#include "emulator/serial_interface.h"

namespace qel::emu {

class Spi3Interface {
 public:
  using Outcome = SerialInterface::Outcome;  // the same outcomes as the 4-wire input
  static constexpr int kTransferBits = 9;

  // Power-on levels: every line low (in reset, selected), or reset released.
  explicit Spi3Interface(bool reset_released = false);

  Outcome set(Line line, bool level);

  const WireByte& byte() const { return byte_; }
  bool level(Line line) const { return levels_[static_cast<int>(line)]; }
  bool in_reset() const { return !level(Line::Reset); }
  bool listening() const { return !in_reset() && !level(Line::ChipSelect); }
  int pending_bits() const { return bits_; }
  // Bits of a partial transfer dropped by the last ResetAsserted or FrameAborted.
  int dropped_bits() const { return dropped_bits_; }

 private:
  void restart() {
    dropped_bits_ = bits_;
    shift_ = 0;
    bits_ = 0;
  }

  bool levels_[kLineCount] = {};
  std::uint16_t shift_ = 0;  // D/C# in bit 8 once the transfer is complete
  int bits_ = 0;
  int dropped_bits_ = 0;
  WireByte byte_;
};

}  // namespace qel::emu
