// The status screen and the low-battery warning in GoogleTest (the plain C test
// has the menu too): a fixture gives each test a new panel, and the kit's checks
// (qel_panel.hpp, after gtest.h) show the panel when they fail; a test that fails
// leaves an HTML report of its run, one frame per module call.
#include <gtest/gtest.h>

#include <cstdio>
#include <string>

#include "display_app.h"
#include "qel_panel.hpp"

namespace {

class DisplayApp : public ::testing::Test {
 protected:
  void SetUp() override {
    qel_panel_options options = {};
    options.frames = 1;  // keep the run frame by frame, for a report should the test fail
    qel_panel_reset(&options);
    app_display_start();
  }
  void TearDown() override {
    EXPECT_EQ(qel_panel_note_count(), 0u) << qel_panel_note(0);
    if (HasFailure()) {  // what the test drew, call by call, for the CI job to keep
      const std::string report = std::string(::testing::UnitTest::GetInstance()->current_test_info()->name()) + ".html";
      if (qel_panel_write_report(report.c_str()) == 0) std::fprintf(stderr, "Report of the run: %s\n", report.c_str());
    }
    qel_panel_close();
  }
};

TEST_F(DisplayApp, StatusScreenShowsEveryValue) {
  const app_sensors s = {215, 45, 101325, 3700};
  app_show_status(&s);
  EXPECT_PANEL_LINE(0, "== NODE STATUS ==");
  EXPECT_PANEL_LINE(2, "Temp 21.5 C");
  EXPECT_PANEL_LINE(3, "Humidity % 45");
  EXPECT_PANEL_LINE(4, "Pressure hPa 1013");
  EXPECT_PANEL_LINE(5, "Battery mV 3700");
  EXPECT_PANEL_LINE(7, "");
  EXPECT_PANEL_MATCHES_GOLDEN(GOLDEN_DIR "/status.png", "status-diff-gtest.png");
}

TEST_F(DisplayApp, LowBatteryWarningOnlyBelowThreshold) {
  const struct {
    unsigned battery_mv;
    const char* line7;
  } cases[] = {{3299, "!! LOW BATTERY !!"}, {APP_LOW_BATTERY_MV, ""}, {4200, ""}};
  for (const auto& c : cases) {
    const app_sensors s = {-45, 80, 99000, c.battery_mv};
    app_show_status(&s);
    EXPECT_PANEL_LINE(2, "Temp -4.5 C");
    EXPECT_PANEL_LINE(7, c.line7) << c.battery_mv << " mV";
  }
}

}  // namespace
