// How the module's pins are wired to the controller: DIO number to serial line.
#pragma once

#include <array>
#include <cstdint>
#include <optional>

#include "emulator/wire.h"

namespace qel::emu {

inline constexpr std::uint8_t kDioClock = 9;
inline constexpr std::uint8_t kDioData = 10;
inline constexpr std::uint8_t kDioReset = 4;
inline constexpr std::uint8_t kDioDataCommand = 26;

// The line of each of the 32 DIO numbers, -1 for none: one load per pin write.
inline constexpr std::array<std::int8_t, 32> kLineOfDio = [] {
  std::array<std::int8_t, 32> table{};
  for (std::int8_t& line : table) line = -1;
  table[kDioClock] = static_cast<std::int8_t>(Line::Clock);
  table[kDioData] = static_cast<std::int8_t>(Line::Data);
  table[kDioReset] = static_cast<std::int8_t>(Line::Reset);
  table[kDioDataCommand] = static_cast<std::int8_t>(Line::DataCommand);
  return table;
}();

constexpr std::optional<Line> line_of_dio(std::uint8_t dio) {
  if (dio >= kLineOfDio.size() || kLineOfDio[dio] < 0) return std::nullopt;
  return static_cast<Line>(kLineOfDio[dio]);
}

}  // namespace qel::emu
