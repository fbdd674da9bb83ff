// What a start-up of the module sends, written out from the controller's set-up
// sequence: the pin opens (only when it opens the pins), the reset pulse, then the
// set-up commands, the blanking of pages 0 to 7 and the home position.
#pragma once

#include <vector>

#include "wire_pattern.h"

namespace qel::test {

inline WireByte cmd(std::uint8_t v) { return WireByte{v, false}; }
inline WireByte dat(std::uint8_t v) { return WireByte{v, true}; }

// The 1079 bytes of a start-up.
const std::vector<WireByte>& startup_bytes();

// Every pin event of a start-up, bytes included.
std::vector<WireEvent> startup_events(bool opens_pins);

}  // namespace qel::test
