// The public header compiles as C and the operations link and run from C code.
#include <gtest/gtest.h>

#include "module_fixture.h"

extern "C" void qel_c_api_calls(void);

namespace qel::test {
namespace {

class CApiTest : public ModuleTest {};

TEST_F(CApiTest, EveryOperationRunsFromC) {
  static_assert(sizeof(QEL_LCD_LINE) == 1, "a line is one byte");
  qel_c_api_calls();
  // Start-up 1079, "C" 131 + 9, clear 131, "FF" 131 + 18, "T= 25" 131 + 39.
  EXPECT_EQ(wire.bytes().size(), 1079u + 140 + 131 + 149 + 170);
}

}  // namespace
}  // namespace qel::test
