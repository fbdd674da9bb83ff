// Test access to the module: a fresh module per test.
#pragma once

#include <cstdint>

namespace qel::test {

// Forgets the module's pin handle and every stand-in holding, as after power-on.
void fresh_module();

// The module's delay, for the zero length no public operation asks for.
void module_delay(std::uint32_t ms);

}  // namespace qel::test
