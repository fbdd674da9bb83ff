// The status screen in CppUTest (the plain C test has the warning and the menu
// too), with its memory leak detector on for everything
// the test runs: the kit's C++ allocations through CppUTest's operator new, and
// the application's own malloc and free (display_app.c is built for this test
// with CppUTest's malloc macros). The teardown closes the panel, so a leak that is
// reported is the application's or the test's own.
//
// The kit's checks (qel_panel.hpp) fail through CppUTest's FAIL, so a failure
// shows the panel. Standard headers, this one included, come before CppUTest's,
// whose leak detector redefines new.
#define QEL_PANEL_FAIL(message) FAIL(message)
#include "qel_panel.hpp"
// clang-format off
#include "CppUTest/CommandLineTestRunner.h"
#include "CppUTest/TestHarness.h"
// clang-format on
#include "display_app.h"

// clang-format would take the group for a call and break its body apart.
// clang-format off
TEST_GROUP(DisplayApp) {
  void setup() override {
    qel_panel_reset(nullptr);
    app_display_start();
  }
  void teardown() override {
    const std::string first_note = qel_panel_note_count() != 0 ? qel_panel_note(0) : "";
    qel_panel_close();  // the kit frees all it holds: nothing of it counts as a leak
    STRCMP_EQUAL("", first_note.c_str());
  }
};
// clang-format on

TEST(DisplayApp, StatusScreenShowsEveryValue) {
  const app_sensors s = {215, 45, 101325, 3700};
  app_show_status(&s);
  EXPECT_PANEL_LINE(0, "== NODE STATUS ==");
  EXPECT_PANEL_LINE(2, "Temp 21.5 C");
  EXPECT_PANEL_LINE(4, "Pressure hPa 1013");
  EXPECT_PANEL_LINE(7, "");
  EXPECT_PANEL_MATCHES_GOLDEN(GOLDEN_DIR "/status.png", "status-diff-cpputest.png");
}

int main(int argc, char** argv) { return CommandLineTestRunner::RunAllTests(argc, argv); }
