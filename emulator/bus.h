// Which of the controller's serial front ends a trace drives.
#pragma once

#include <cstdint>

namespace qel::emu {
enum class Bus : std::uint8_t { Spi4, Spi3, I2c };
}
