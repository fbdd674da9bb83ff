// The public header compiles as C, and the operations called from C send what
// the same calls send from C++.
#include <gtest/gtest.h>

#include "module_fixture.h"

extern "C" void qel_c_api_calls(void);

namespace qel::test {
namespace {

class CApiTest : public ModuleTest {};

TEST_F(CApiTest, EveryOperationRunsFromC) {
  static_assert(sizeof(QEL_LCD_LINE) == 1, "a line is one byte");
  qel_c_api_calls();
  const std::vector<WireByte> from_c = wire.bytes();
  fresh_module();
  host::set_pin_observer(&wire);
  wire.clear();
  QEL_LCD_Init();
  QEL_LCD_WriteString(text("C"), QEL_LCD_LINE0);
  QEL_LCD_ClearLine(QEL_LCD_LINE3);
  QEL_LCD_WriteValue(255U, 16U, QEL_LCD_LINE1);
  QEL_LCD_WriteStringValue(text("T="), 25U, 10U, QEL_LCD_LINE2);
  EXPECT_FALSE(from_c.empty());
  EXPECT_EQ(from_c, wire.bytes());
}

}  // namespace
}  // namespace qel::test
