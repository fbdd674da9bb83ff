// Builds the module's source into the test binary so that its file-local state can
// be reset between tests.
#include "module_access.h"

#include "QEL_LCD.cpp"  // NOLINT(bugprone-suspicious-include)
#include "qel/pin_observer.h"

namespace qel::test {

void fresh_module() {
  QEL_HlcdPins = NULL;
  QEL_LcdPins = PIN_State{};
  host::reset_pins();
}

void module_delay(std::uint32_t ms) { QEL_LCD_DLY_Ms(ms); }

}  // namespace qel::test
