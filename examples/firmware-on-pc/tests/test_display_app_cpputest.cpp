// The same checks in CppUTest, with its memory leak detector on for everything
// the test runs: the kit's C++ allocations through CppUTest's operator new, and
// the application's own malloc and free (display_app.c is built for this test
// with CppUTest's malloc macros). The teardown closes the panel, so a leak that is
// reported is the application's or the test's own.
#include <string>  // standard headers first: CppUTest's leak detector redefines new

#include "CppUTest/CommandLineTestRunner.h"
#include "CppUTest/TestHarness.h"
#include "display_app.h"
#include "qel_panel.h"

namespace {

std::string line(unsigned n) {
  char buf[32];
  qel_panel_line_text(n, buf, sizeof buf);
  return buf;
}

}  // namespace

// clang-format would take the group for a call and break its body apart.
// clang-format off
TEST_GROUP(DisplayApp) {
  void setup() override {
    qel_panel_reset(nullptr);
    app_display_start();
  }
  void teardown() override {
    const size_t notes = qel_panel_note_count();
    const std::string first_note = notes != 0 ? qel_panel_note(0) : "";
    if (notes != 0 || hasFailed()) qel_panel_print(stderr);
    qel_panel_close();  // the kit frees all it holds: nothing of it counts as a leak
    STRCMP_EQUAL("", first_note.c_str());
  }
  bool hasFailed() const { return UtestShell::getCurrent()->hasFailed(); }
};
// clang-format on

TEST(DisplayApp, StatusScreenShowsEveryValue) {
  const app_sensors s = {215, 45, 101325, 3700};
  app_show_status(&s);
  STRCMP_EQUAL("== NODE STATUS ==", line(0).c_str());
  STRCMP_EQUAL("Temp 21.5 C", line(2).c_str());
  STRCMP_EQUAL("Pressure hPa 1013", line(4).c_str());
  STRCMP_EQUAL("", line(7).c_str());
  LONGS_EQUAL_TEXT(0, qel_panel_compare_png(GOLDEN_DIR "/status.png", "status-diff-cpputest.png"), qel_panel_error());
}

TEST(DisplayApp, LowBatteryWarningOnlyBelowThreshold) {
  const struct {
    unsigned battery_mv;
    const char* line7;
  } cases[] = {{3299, "!! LOW BATTERY !!"}, {APP_LOW_BATTERY_MV, ""}, {4200, ""}};
  for (const auto& c : cases) {
    const app_sensors s = {-45, 80, 99000, c.battery_mv};
    app_show_status(&s);
    STRCMP_EQUAL("Temp -4.5 C", line(2).c_str());
    STRCMP_EQUAL(c.line7, line(7).c_str());
  }
}

TEST(DisplayApp, MenuMarksTheSelectedEntry) {
  static const char* const entries[] = {"Sensors", "Radio", "Display", "About"};
  app_show_menu("SETTINGS", entries, 4, 2);
  STRCMP_EQUAL("> Display <", line(3).c_str());
  app_show_menu("SETTINGS", entries, 4, 0);
  STRCMP_EQUAL("> Sensors <", line(1).c_str());
  STRCMP_EQUAL("  Display", line(3).c_str());
}

int main(int argc, char** argv) { return CommandLineTestRunner::RunAllTests(argc, argv); }
