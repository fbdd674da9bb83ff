/*
 * The calls of the shared scenario. It uses every public operation and the
 * module's limits: text longer than a line and than 255 characters, lines
 * above 7 (including those whose page command would be another command), a
 * label too long to leave room for the digits, NULL text, unsupported bases,
 * characters without a glyph, and a repeated start-up.
 */
#include "scenario.h"

#include <stddef.h>

#include "QEL_LCD.h"

/* Announces the call with its source text, then makes it. */
#define CALL(call)       \
  do {                   \
    announce(#call ";"); \
    call;                \
  } while (0)

/* String literal as the module's character type. */
#define S(text) ((const QEL_C *)(text))

/* 300 characters cycling through the printable codes 33 to 122. */
static QEL_C long_text[301];

static void fill_long_text(void) {
  unsigned i;
  for (i = 0U; i < 300U; i++) {
    long_text[i] = (QEL_C)(33U + i % 90U);
  }
  long_text[300] = 0U;
}

void qel_scenario_run(QEL_ScenarioAnnounce announce) {
  fill_long_text();

  CALL(QEL_LCD_Init());
  CALL(QEL_LCD_WriteString(S("Sensor ready"), QEL_LCD_LINE0));
  CALL(QEL_LCD_WriteString(S("Cortex-M3 on the wire"), QEL_LCD_LINE1));
  CALL(QEL_LCD_WriteStringValue(S("T="), 25U, 10U, QEL_LCD_LINE2));
  CALL(QEL_LCD_WriteValue(255U, 16U, QEL_LCD_LINE3));
  CALL(QEL_LCD_WriteValue(0U, 10U, QEL_LCD_LINE4));
  CALL(QEL_LCD_WriteStringValue(S("ID"), 4294967295U, 10U, QEL_LCD_LINE5));
  CALL(QEL_LCD_WriteStringValue(S("T="), 0x12345678U, 16U, QEL_LCD_LINE6));
  CALL(QEL_LCD_WriteValue(100010000U, 10U, QEL_LCD_LINE7));
  CALL(QEL_LCD_ClearLine(QEL_LCD_LINE7));

  /* Characters without a glyph, the two-bar glyph, and an empty string. */
  CALL(QEL_LCD_WriteString(S("A B\x01\x1F{|}~\x7F\x80\xFF"), QEL_LCD_LINE3));
  CALL(QEL_LCD_WriteString(S(""), QEL_LCD_LINE4));

  /* Text longer than a line continues on the next, also past line 7. */
  CALL(QEL_LCD_WriteString(S("The quick brown fox jumps over the lazy dog"), QEL_LCD_LINE6));
  CALL(QEL_LCD_WriteString(S("Line seven runs on past the panel"), QEL_LCD_LINE7));

  /* Lines above 7: pages up to 15 are sent, from 16 on nothing is. */
  CALL(QEL_LCD_WriteString(S("p8"), 8U));
  CALL(QEL_LCD_WriteString(S("p15 wraps into page 16 here"), 15U));
  CALL(QEL_LCD_WriteString(S("p16"), 16U));
  CALL(QEL_LCD_ClearLine(24U));
  CALL(QEL_LCD_WriteValue(42U, 10U, 200U));

  /* At most 255 characters are drawn. */
  CALL(QEL_LCD_WriteString(long_text, QEL_LCD_LINE0));

  /* The label gives way so that every digit is shown. */
  CALL(QEL_LCD_WriteStringValue(S("A label far too long"), 4294967295U, 10U, QEL_LCD_LINE2));
  CALL(QEL_LCD_WriteStringValue(S("Thirteen char"), 4294967295U, 10U, QEL_LCD_LINE3));
  CALL(QEL_LCD_WriteStringValue(S("Hex label too long"), 0xFFFFFFFFU, 16U, QEL_LCD_LINE4));
  CALL(QEL_LCD_WriteStringValue(S(""), 7U, 10U, QEL_LCD_LINE5));

  /* NULL text is no text. */
  CALL(QEL_LCD_WriteString(NULL, QEL_LCD_LINE1));
  CALL(QEL_LCD_WriteStringValue(NULL, 7U, 16U, QEL_LCD_LINE1));

  /* Bases other than 10 and 16 show no digits. */
  CALL(QEL_LCD_WriteValue(8U, 8U, QEL_LCD_LINE5));
  CALL(QEL_LCD_WriteStringValue(S("T"), 5U, 2U, QEL_LCD_LINE6));

  /* A repeated start-up resets and blanks the panel again. */
  CALL(QEL_LCD_Init());
  CALL(QEL_LCD_WriteString(S("Done"), QEL_LCD_LINE0));
}
