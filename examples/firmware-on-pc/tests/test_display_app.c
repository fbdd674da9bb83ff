/* Tests of the display logic in plain C with assert: the text each screen shows,
 * the status screen against a golden picture, and no controller notes. */
#undef NDEBUG /* the checks are asserts: keep them in every build type */
#include <assert.h>
#include <stdio.h>
#include <string.h>

#include "display_app.h"
#include "qel_panel.h"

static void expect_line(unsigned line, const char *want) {
  char got[32];
  qel_panel_line_text(line, got, sizeof got);
  if (strcmp(got, want) != 0) {
    fprintf(stderr, "line %u: expected '%s', got '%s'\n", line, want, got);
    qel_panel_print(stderr); /* show the panel when a check fails */
    if (qel_panel_write_report("display_app-failure.html") == 0) {
      fprintf(stderr, "report of the run: display_app-failure.html\n");
    }
  }
  assert(strcmp(got, want) == 0);
}

static void start(void) {
  qel_panel_options options = {0};
  options.frames = 1;        /* keep the run frame by frame, for a report if a check fails */
  qel_panel_reset(&options); /* a new panel for each test */
  app_display_start();
}

static void status_screen_shows_every_value(void) {
  const app_sensors s = {215, 45U, 101325U, 3700U};
  start();
  app_show_status(&s);
  expect_line(0, "== NODE STATUS ==");
  expect_line(2, "Temp 21.5 C");
  expect_line(3, "Humidity % 45");
  expect_line(4, "Pressure hPa 1013");
  expect_line(5, "Battery mV 3700");
  expect_line(7, ""); /* no warning with a good battery */
  assert(qel_panel_note_count() == 0);

  /* The whole screen against the golden picture kept beside this test. */
  {
    long differing = qel_panel_compare_png(GOLDEN_DIR "/status.png", "status-diff.png");
    if (differing != 0) fprintf(stderr, "status screen: %ld pixels differ (%s)\n", differing, qel_panel_error());
    assert(differing == 0);
  }
}

static void low_battery_warning_only_when_low(void) {
  app_sensors s = {-45, 80U, 99000U, 3299U};
  start();
  app_show_status(&s);
  expect_line(2, "Temp -4.5 C");
  expect_line(7, "!! LOW BATTERY !!");

  s.battery_mv = APP_LOW_BATTERY_MV; /* back at the threshold: the warning goes */
  app_show_status(&s);
  expect_line(7, "");
  assert(qel_panel_note_count() == 0);
}

static void menu_marks_the_selected_entry(void) {
  static const char *const entries[] = {"Sensors", "Radio", "Display", "About"};
  start();
  app_show_menu("SETTINGS", entries, 4U, 2U);
  expect_line(0, "SETTINGS");
  expect_line(1, "  Sensors");
  expect_line(3, "> Display <");
  expect_line(4, "  About");
  expect_line(5, "");

  app_show_menu("SETTINGS", entries, 4U, 0U); /* moving the selection redraws both entries */
  expect_line(1, "> Sensors <");
  expect_line(3, "  Display");
  assert(qel_panel_note_count() == 0);
}

int main(void) {
  status_screen_shows_every_value();
  low_battery_warning_only_when_low();
  menu_marks_the_selected_entry();
  qel_panel_close(); /* frees all the kit holds: valgrind or LeakSanitizer see no leak */
  puts("display app: all C tests passed");
  return 0;
}
