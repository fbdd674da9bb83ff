/* The kit from C99, as a plain-assert test would use it, starting before any reset. */
/* The checks are asserts: keep them in every build type. */
#undef NDEBUG
#include <assert.h>
#include <stdio.h>
#include <string.h>

#include "QEL_LCD.h"
#include "qel_panel.h"

static void expect_line(unsigned line, const char *want) {
  char buf[32];
  size_t n = qel_panel_line_text(line, buf, sizeof buf);
  if (strcmp(buf, want) != 0 || n != strlen(want)) {
    fprintf(stderr, "line %u: expected '%s', got '%s'\n", line, want, buf);
    qel_panel_print(stderr);
  }
  assert(strcmp(buf, want) == 0 && n == strlen(want));
}

int main(void) {
  const qel_panel_byte *bytes = NULL;
  qel_panel_options options = {0};
  unsigned line;

  /* Nothing connected yet: the module's writes reach no panel, which reads dark and
   * empty, and one note says so. */
  QEL_LCD_WriteString((const QEL_C *)"unseen", QEL_LCD_LINE0);
  assert(qel_panel_bytes(&bytes) == 0);
  assert(qel_panel_pixel(0, 0) == 0);
  expect_line(0, "");
  assert(qel_panel_note_count() == 1 && strstr(qel_panel_note(0), "1 module call reached no panel") != NULL);

  /* A call before QEL_LCD_Init: the module's pins are not open yet, so it sends nothing. */
  qel_panel_reset(&options);
  QEL_LCD_ClearLine(QEL_LCD_LINE1);
  assert(qel_panel_bytes(NULL) == 0 && qel_panel_note_count() == 1);
  assert(strstr(qel_panel_note(0), "call 1, QEL_LCD_ClearLine(line 1): QEL_LCD_ClearLine before QEL_LCD_Init") != NULL);

  qel_panel_reset(&options);
  QEL_LCD_Init();
  QEL_LCD_WriteStringValue((const QEL_C *)"T=", 21U, 10U, QEL_LCD_LINE2);
  QEL_LCD_WriteValue(0xBEEFU, 16U, QEL_LCD_LINE3);
  expect_line(2, "T= 21");
  expect_line(3, "BEEF");
  for (line = 4; line < 8; ++line) expect_line(line, "");
  assert(qel_panel_bytes(&bytes) > 0 && bytes[0].value == 0xAE && bytes[0].is_data == 0);
  assert(qel_panel_note_count() == 0 && qel_panel_note(0) == NULL);
  assert(qel_panel_pixel(0xFFFFFFFFU, 0) == -1 && qel_panel_pixel(127, 63) == 0);

  QEL_LCD_ClearLine(QEL_LCD_LINE2);
  expect_line(2, "");

  assert(qel_panel_write_png("/nonexistent-folder/x.png") == -1);
  assert(strstr(qel_panel_error(), "/nonexistent-folder/x.png") != NULL);

  qel_panel_reset(NULL);
  assert(qel_panel_bytes(NULL) == 0);
  expect_line(3, "");
  puts("kit C test: all checks passed");
  return 0;
}
