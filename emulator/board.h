// How the module's pins are wired to the controller: DIO number to serial line.
#pragma once

#include <cstdint>
#include <optional>

#include "emulator/wire.h"

namespace qel::emu {

inline constexpr std::uint8_t kDioClock = 9;
inline constexpr std::uint8_t kDioData = 10;
inline constexpr std::uint8_t kDioReset = 4;
inline constexpr std::uint8_t kDioDataCommand = 26;

constexpr std::optional<Line> line_of_dio(std::uint8_t dio) {
  switch (dio) {
    case kDioClock:
      return Line::Clock;
    case kDioData:
      return Line::Data;
    case kDioReset:
      return Line::Reset;
    case kDioDataCommand:
      return Line::DataCommand;
    default:
      return std::nullopt;
  }
}

}  // namespace qel::emu
