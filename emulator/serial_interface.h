// The controller's serial inputs: one shift register, taken on rising clock
// edges with the most significant bit first, in two framings:
// - 4-wire (the module's): clock, data, data/command, reset and an optional
//   active-low chip select. A byte is 8 bits; the data/command level is sampled
//   with the 8th.
// - 3-wire: no data/command line. A transfer is 9 bits: first D/C# (1: display
//   data, 0: command), then D7..D0. Changes of the data/command line do nothing.
// Reset low clears the shift register and bit count, and clock edges are
// ignored while it is low. Chip select high ignores the clock and restarts the
// bit count. This is also the byte decoder of the tests' wire recorder.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <type_traits>

#include "emulator/front_end.h"

namespace qel::emu {

template <int TransferBits>
class ShiftRegister final : public FrontEnd {
  static_assert(TransferBits == 8 || TransferBits == 9, "4-wire bytes or 3-wire transfers");

 public:
  explicit ShiftRegister(bool reset_released = false) : FrontEnd(reset_released) {}
  std::unique_ptr<FrontEnd> clone() const override { return std::make_unique<ShiftRegister>(*this); }

  Outcome set(Line line, bool level) override;
  int pending_bits() const override { return bits_; }
  bool listening() const override { return !in_reset() && !level(Line::ChipSelect); }
  std::optional<std::string> fault_note() const override;
  const char* unit() const override { return TransferBits == 8 ? "byte" : "9-bit transfer"; }
  // Bits of a partial byte dropped by the last ResetAsserted or Fault.
  int dropped_bits() const { return dropped_bits_; }

 private:
  void restart() {
    dropped_bits_ = bits_;
    shift_ = 0;
    bits_ = 0;
  }

  // 3-wire: D/C# in bit 8 once the transfer is complete.
  std::conditional_t<TransferBits == 8, std::uint8_t, std::uint16_t> shift_ = 0;
  int bits_ = 0;
  int dropped_bits_ = 0;
  bool deselected_ = false;  // the last drop was chip select's, not reset's
};

using SerialInterface = ShiftRegister<8>;  // 4-wire
using Spi3Interface = ShiftRegister<9>;    // 3-wire

// Inline: it runs for every pin change.
template <int TransferBits>
inline FrontEnd::Outcome ShiftRegister<TransferBits>::set(Line line, bool level) {
  if (!change(line, level)) return Outcome::None;
  switch (line) {
    case Line::Reset:
      if (level) return Outcome::ResetReleased;
      restart();
      deselected_ = false;
      return Outcome::ResetAsserted;
    case Line::ChipSelect:
      if (!level || bits_ == 0) return Outcome::None;
      restart();
      deselected_ = true;
      return Outcome::Fault;
    case Line::Clock:
      if (!level) return Outcome::None;
      if (in_reset()) return Outcome::EdgeInReset;
      if (this->level(Line::ChipSelect)) return Outcome::EdgeDeselected;
      shift_ = static_cast<decltype(shift_)>((shift_ << 1) | (this->level(Line::Data) ? 1 : 0));
      if (++bits_ < TransferBits) return Outcome::Bit;
      if constexpr (TransferBits == 8) {
        byte_ = WireByte{static_cast<std::uint8_t>(shift_), this->level(Line::DataCommand)};
      } else {
        byte_ = WireByte{static_cast<std::uint8_t>(shift_ & 0xFF), (shift_ & 0x100) != 0};
      }
      shift_ = 0;
      bits_ = 0;
      return Outcome::Byte;
    case Line::Data:
    case Line::DataCommand:
      return Outcome::None;
  }
  return Outcome::None;
}

extern template class ShiftRegister<8>;
extern template class ShiftRegister<9>;

}  // namespace qel::emu
