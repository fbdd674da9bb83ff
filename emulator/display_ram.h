// The controller's display RAM: 8 pages of column bytes, bit 0 the top row of
// the page; room for the widest controller of the family.
#pragma once

#include <array>
#include <cstdint>

#include "emulator/registers.h"

namespace qel::emu {

using DisplayRam = std::array<std::array<std::uint8_t, kMaxColumns>, kPages>;

// RAM of `columns` columns as the panel powers up: all zeros, or a fixed
// pseudo-random pattern (the same every run) standing in for the random
// contents of a real panel.
DisplayRam power_on_ram(bool noise, int columns);

}  // namespace qel::emu
