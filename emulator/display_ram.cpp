// Power-on contents of display RAM.
#include "emulator/display_ram.h"

#include <random>

namespace qel::emu {

DisplayRam power_on_ram(bool noise, int columns) {
  DisplayRam ram{};
  if (!noise) return ram;
  // minstd_rand's sequence is fixed by the C++ standard, so the pattern is the
  // same on every machine.
  std::minstd_rand generator(0x5EED);
  for (auto& page : ram) {
    for (int column = 0; column < columns; ++column) {
      page[static_cast<std::size_t>(column)] = static_cast<std::uint8_t>(generator() >> 7);
    }
  }
  return ram;
}

}  // namespace qel::emu
