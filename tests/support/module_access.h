// Test access to the module: a fresh module per test, and the private routines
// that the public operations cannot reach.
#pragma once

#include <cstdint>
#include <string>

namespace qel::test {

// Forgets the module's pin handle and every stand-in holding, as after power-on.
void fresh_module();

// The module's digit routine, for bases the public operations never use.
std::string module_itoa(std::uint32_t value, std::uint8_t base);

// The module's delay, for the zero length the module itself never asks for.
void module_delay(std::uint32_t ms);

}  // namespace qel::test
