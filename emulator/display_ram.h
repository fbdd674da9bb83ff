// The controller's display RAM: 8 pages of 128 column bytes, bit 0 the top row
// of the page.
#pragma once

#include <array>
#include <cstdint>

#include "emulator/registers.h"

namespace qel::emu {

using DisplayRam = std::array<std::array<std::uint8_t, kColumns>, kPages>;

// RAM as the panel powers up: all zeros, or a fixed pseudo-random pattern (the
// same every run) standing in for the random contents of a real panel.
DisplayRam power_on_ram(bool noise);

}  // namespace qel::emu
