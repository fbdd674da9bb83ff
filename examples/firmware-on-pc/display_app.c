/* The firmware's display logic: formatting, conditions and loops over the
 * module's five calls. Nothing here knows about the PC or the test kit. */
#include "display_app.h"

#include <string.h>

#include "QEL_LCD.h"

#define APP_LINE_CHARS 21U

static void show(const char *text, QEL_U8 line) { QEL_LCD_WriteString((const QEL_C *)text, line); }

/* Appends the decimal digits of v to buf at *len (buf has room). */
static void append_u32(char *buf, unsigned *len, uint32_t v) {
  char digits[10];
  unsigned n = 0U;
  do {
    digits[n++] = (char)('0' + (v % 10U));
    v /= 10U;
  } while (v != 0U);
  while (n != 0U) buf[(*len)++] = digits[--n];
  buf[*len] = '\0';
}

static void append_text(char *buf, unsigned *len, const char *text) {
  while (*text != '\0' && *len < APP_LINE_CHARS) buf[(*len)++] = *text++;
  buf[*len] = '\0';
}

/* "Temp -4.5 C": the module shows unsigned numbers only, so sign and decimal are ours. */
static void show_temperature(int32_t tenths, QEL_U8 line) {
  char text[APP_LINE_CHARS + 1U];
  unsigned len = 0U;
  uint32_t magnitude = tenths < 0 ? (uint32_t)(-(tenths + 1)) + 1U : (uint32_t)tenths;

  text[0] = '\0';
  append_text(text, &len, "Temp ");
  if (tenths < 0) append_text(text, &len, "-");
  append_u32(text, &len, magnitude / 10U);
  append_text(text, &len, ".");
  append_u32(text, &len, magnitude % 10U);
  append_text(text, &len, " C");
  show(text, line);
}

void app_display_start(void) { QEL_LCD_Init(); }

void app_show_status(const app_sensors *s) {
  show("== NODE STATUS ==", QEL_LCD_LINE0);
  QEL_LCD_ClearLine(QEL_LCD_LINE1);
  show_temperature(s->temperature_dc, QEL_LCD_LINE2);
  QEL_LCD_WriteStringValue((const QEL_C *)"Humidity %", s->humidity_pct, 10U, QEL_LCD_LINE3);
  /* Pascal to hectopascal, rounded. */
  QEL_LCD_WriteStringValue((const QEL_C *)"Pressure hPa", (s->pressure_pa + 50U) / 100U, 10U, QEL_LCD_LINE4);
  QEL_LCD_WriteStringValue((const QEL_C *)"Battery mV", s->battery_mv, 10U, QEL_LCD_LINE5);
  QEL_LCD_ClearLine(QEL_LCD_LINE6);
  if (s->battery_mv < APP_LOW_BATTERY_MV) {
    show("!! LOW BATTERY !!", QEL_LCD_LINE7);
  } else {
    QEL_LCD_ClearLine(QEL_LCD_LINE7);
  }
}

void app_show_menu(const char *title, const char *const *entries, unsigned count, unsigned selected) {
  char text[APP_LINE_CHARS + 1U];
  unsigned i;
  unsigned len;

  show(title, QEL_LCD_LINE0);
  for (i = 0U; i < 7U; ++i) {
    QEL_U8 line = (QEL_U8)(QEL_LCD_LINE1 + i);
    if (i >= count) {
      QEL_LCD_ClearLine(line);
      continue;
    }
    len = 0U;
    text[0] = '\0';
    append_text(text, &len, i == selected ? "> " : "  ");
    append_text(text, &len, entries[i]);
    if (i == selected) append_text(text, &len, " <");
    show(text, line);
  }
}
