// Test access to the module: a fresh module per test, and its state saved and
// restored together with the pin stand-in's.
#pragma once

#include <ti/drivers/PIN.h>

#include <cstdint>

#include "qel/pin_observer.h"

namespace qel::test {

// Forgets the module's pin handle and every stand-in holding, as after power-on.
void fresh_module();

// The module's file-local state (its pin record and whether it holds the pins)
// and the stand-in's, at one moment.
struct ModuleState {
  PIN_State pins{};
  bool open = false;
  host::PinsState stand_in;
};
ModuleState save_module();
// Puts the module and the stand-in back as they were at the save; the observer stays.
void restore_module(const ModuleState& state);

// The module's delay, for the zero length no public operation asks for.
void module_delay(std::uint32_t ms);

}  // namespace qel::test
