// The words every layer uses to talk about the controller's wires: its input
// lines, a byte as it arrives (value and data/command), and which serial front
// end a trace drives.
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

// Which of the controller's serial front ends a trace drives.
enum class Bus : std::uint8_t { Spi4, Spi3, I2c };

}  // namespace qel::emu
