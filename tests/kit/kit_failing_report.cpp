// A kit test that fails and leaves a report of what it drew, as a team's CI job
// would keep it: the fixture asks for frames, and its teardown writes the report
// (to $QEL_KIT_REPORT, or kit-failure.html) when the test failed. It fails on
// purpose; scripts/test-report.sh opens its report in a browser.
#include <gtest/gtest.h>

#include <cstdlib>

#include "QEL_LCD.h"
#include "qel_panel.hpp"

namespace {

class FailingTest : public ::testing::Test {
 protected:
  void SetUp() override {
    qel_panel_options options = {};
    options.frames = 1;
    qel_panel_reset(&options);
  }
  void TearDown() override {
    if (HasFailure()) {
      const char* path = std::getenv("QEL_KIT_REPORT");
      if (qel_panel_write_report(path != nullptr ? path : "kit-failure.html") != 0) ADD_FAILURE() << qel_panel_error();
    }
    qel_panel_close();
  }
};

TEST_F(FailingTest, StatusLineReadsWhatTheFirmwareWrote) {
  QEL_LCD_Init();
  QEL_LCD_WriteString(reinterpret_cast<const QEL_C*>("== QEL LCD STATUS =="), QEL_LCD_LINE0);
  QEL_LCD_WriteString(reinterpret_cast<const QEL_C*>("Sensor: ready (OK!)"), QEL_LCD_LINE1);
  EXPECT_PANEL_LINE(1, "Sensor: ready");  // wrong on purpose
}

}  // namespace
