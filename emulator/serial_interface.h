// The controller's 4-wire serial input (clock, data, data/command, reset, and an
// optional active-low chip select), decoded one line change at a time.
//
// On each rising clock edge the data level is shifted in, most significant bit
// first; the data/command level is sampled with the 8th bit and the byte is
// complete. Reset low clears the shift register and bit count, and clock edges
// are ignored while it is low. Chip select high ignores the clock and restarts
// the bit count. This is the one byte decoder shared by the controller emulator
// and the tests' wire recorder.
#pragma once

#include <cstdint>

namespace qel::emu {

enum class Line : std::uint8_t { Clock, Data, DataCommand, Reset, ChipSelect };
inline constexpr int kLineCount = 5;

struct WireByte {
  std::uint8_t value = 0;
  bool is_data = false;  // false: command byte
  friend bool operator==(const WireByte& a, const WireByte& b) { return a.value == b.value && a.is_data == b.is_data; }
  friend bool operator!=(const WireByte& a, const WireByte& b) { return !(a == b); }
};

class SerialInterface {
 public:
  // What one line change did.
  enum class Outcome : std::uint8_t {
    None,            // no rising clock edge (or a level that did not change)
    Bit,             // a bit was shifted in
    Byte,            // the 8th bit: byte() holds the completed byte
    EdgeInReset,     // a rising clock edge while reset is low, ignored
    EdgeDeselected,  // a rising clock edge while chip select is high, ignored
    ResetAsserted,   // reset went low: registers must return to their defaults
    ResetReleased,   // reset went high
    FrameAborted,    // chip select went high with a partial byte, which is dropped
  };

  // Power-on levels: every line low, so the controller starts in reset and selected.
  // A capture without a reset line starts with reset released instead.
  explicit SerialInterface(bool reset_released = false);

  Outcome set(Line line, bool level);

  const WireByte& byte() const { return byte_; }
  bool level(Line line) const { return levels_[static_cast<int>(line)]; }
  bool in_reset() const { return !level(Line::Reset); }
  int pending_bits() const { return bits_; }
  // Bits of a partial byte dropped by the last ResetAsserted or FrameAborted.
  int dropped_bits() const { return dropped_bits_; }

 private:
  bool levels_[kLineCount] = {};
  std::uint8_t shift_ = 0;
  int bits_ = 0;
  int dropped_bits_ = 0;
  WireByte byte_;
};

// Inline: it runs for every pin change.
inline SerialInterface::Outcome SerialInterface::set(Line line, bool level) {
  bool& current = levels_[static_cast<int>(line)];
  if (current == level) return Outcome::None;
  current = level;

  switch (line) {
    case Line::Reset:
      if (level) return Outcome::ResetReleased;
      dropped_bits_ = bits_;
      shift_ = 0;
      bits_ = 0;
      return Outcome::ResetAsserted;
    case Line::ChipSelect:
      if (!level) return Outcome::None;
      if (bits_ == 0) return Outcome::None;
      dropped_bits_ = bits_;
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

}  // namespace qel::emu
