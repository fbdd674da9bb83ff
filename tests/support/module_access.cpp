// Builds the module's source into the test binary so that its file-local state can
// be reset between tests, or saved and restored.
#include "module_access.h"

#include "QEL_LCD.cpp"  // NOLINT(bugprone-suspicious-include)

namespace qel::test {

void fresh_module() {
  QEL_HlcdPins = NULL;
  QEL_LcdPins = PIN_State{};
  host::reset_pins();
}

ModuleState save_module() { return ModuleState{QEL_LcdPins, QEL_HlcdPins != NULL, host::save_pins()}; }

void restore_module(const ModuleState& state) {
  QEL_LcdPins = state.pins;
  QEL_HlcdPins = state.open ? &QEL_LcdPins : NULL;
  host::restore_pins(state.stand_in);
}

void module_delay(std::uint32_t ms) { QEL_LCD_DLY_Ms(ms); }

}  // namespace qel::test
