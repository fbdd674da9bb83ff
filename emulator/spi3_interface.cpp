// The 3-wire serial input; see spi3_interface.h.
#include "emulator/spi3_interface.h"

namespace qel::emu {

Spi3Interface::Spi3Interface(bool reset_released) { levels_[static_cast<int>(Line::Reset)] = reset_released; }

Spi3Interface::Outcome Spi3Interface::set(Line line, bool level) {
  bool& current = levels_[static_cast<int>(line)];
  if (current == level) return Outcome::None;
  current = level;

  switch (line) {
    case Line::Reset:
      if (level) return Outcome::ResetReleased;
      restart();
      return Outcome::ResetAsserted;
    case Line::ChipSelect:
      if (!level || bits_ == 0) return Outcome::None;
      restart();
      return Outcome::FrameAborted;
    case Line::Clock:
      if (!level) return Outcome::None;
      if (in_reset()) return Outcome::EdgeInReset;
      if (this->level(Line::ChipSelect)) return Outcome::EdgeDeselected;
      shift_ = static_cast<std::uint16_t>((shift_ << 1) | (this->level(Line::Data) ? 1 : 0));
      if (++bits_ < kTransferBits) return Outcome::Bit;
      byte_ = WireByte{static_cast<std::uint8_t>(shift_ & 0xFF), (shift_ & 0x100) != 0};
      shift_ = 0;
      bits_ = 0;
      return Outcome::Byte;
    case Line::Data:
    case Line::DataCommand:
      return Outcome::None;
  }
  return Outcome::None;
}

}  // namespace qel::emu
