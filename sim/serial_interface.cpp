#include "serial_interface.h"

namespace qel::sim {

SerialInterface::SerialInterface(bool reset_released) { levels_[static_cast<int>(Line::Reset)] = reset_released; }

SerialInterface::Outcome SerialInterface::set(Line line, bool level) {
  bool& current = levels_[static_cast<int>(line)];
  if (current == level) return Outcome::None;
  current = level;

  switch (line) {
    case Line::Reset:
      if (level) return Outcome::None;
      shift_ = 0;
      bits_ = 0;
      return Outcome::ResetAsserted;
    case Line::ChipSelect:
      if (!level) return Outcome::None;
      if (bits_ == 0) return Outcome::None;
      shift_ = 0;
      bits_ = 0;
      return Outcome::FrameAborted;
    case Line::Clock:
      if (!level) return Outcome::None;
      if (in_reset()) return Outcome::EdgeInReset;
      if (this->level(Line::ChipSelect)) return Outcome::EdgeDeselected;
      shift_ = static_cast<std::uint8_t>((shift_ << 1) | (this->level(Line::Data) ? 1 : 0));
      if (++bits_ < 8) return Outcome::Bit;
      byte_ = WireByte{shift_, this->level(Line::DataCommand)};
      shift_ = 0;
      bits_ = 0;
      return Outcome::Byte;
    case Line::Data:
    case Line::DataCommand:
      return Outcome::None;
  }
  return Outcome::None;
}

}  // namespace qel::sim
