// Test access to the module: a fresh module per test.
#pragma once

namespace qel::test {

// Forgets the module's pin handle and every stand-in holding, as after power-on.
void fresh_module();

}  // namespace qel::test
