/*
 * QEL_LCD: text display on a 128 x 64 monochrome OLED (SSD1306-type controller).
 *
 * The panel is used as eight text lines of 6 x 8 pixel characters; line n is
 * controller page n. Every call goes straight to the controller over four
 * software-driven pins; nothing is buffered and nothing is reported back.
 *
 * Call QEL_LCD_Init once before anything else (calling it again resets and
 * blanks the panel). All calls must come from one thread at a time.
 *
 * Usable from C and C++.
 */
#ifndef QEL_LCD_H
#define QEL_LCD_H

#include <stdint.h>

#ifdef __cplusplus
extern "C" {
#endif

/* Fixed-width integer family. QEL_C is the character type of strings. */
typedef uint8_t QEL_C;
typedef uint8_t QEL_U8;
typedef int8_t QEL_8;
typedef uint16_t QEL_U16;
typedef int16_t QEL_16;
typedef uint32_t QEL_U32;
typedef int32_t QEL_32;
typedef uint64_t QEL_U64;
typedef int64_t QEL_64;

/* Text lines, one byte wide. QEL_LCD_LINE_COUNT is the number of lines, not a line. */
typedef QEL_U8 QEL_LCD_LINE;
enum {
  QEL_LCD_LINE0 = 0,
  QEL_LCD_LINE1 = 1,
  QEL_LCD_LINE2 = 2,
  QEL_LCD_LINE3 = 3,
  QEL_LCD_LINE4 = 4,
  QEL_LCD_LINE5 = 5,
  QEL_LCD_LINE6 = 6,
  QEL_LCD_LINE7 = 7,
  QEL_LCD_LINE_COUNT = 8
};

/* Opens the pins (first call only), resets the controller, configures it and blanks the panel. */
void QEL_LCD_Init(void);

/* Blanks the line, then draws the string from its left edge. NULL draws nothing.
 * 21 characters show in full. A 22nd starts at the panel's last column, so only
 * its first pixel column shows; from the 23rd on, text continues on the next line
 * without blanking it. At most 255 characters are drawn. */
void QEL_LCD_WriteString(const QEL_C *pQEL_Str, QEL_U8 nQEL_Line);

/* Blanks the line. */
void QEL_LCD_ClearLine(QEL_U8 nQEL_Line);

/* Shows the value on the line in base 10 or 16 (upper-case digits, no leading zeros).
 * Any other base blanks the line and shows nothing. */
void QEL_LCD_WriteValue(QEL_U32 nQEL_Value, QEL_U8 nQEL_Format, QEL_U8 nQEL_Line);

/* Shows the label, one space and the value (as QEL_LCD_WriteValue) on the line.
 * NULL is an empty label. The whole text is at most 24 characters: a longer label
 * is shortened so that every digit of the value is shown. */
void QEL_LCD_WriteStringValue(const QEL_C *pQEL_Str, QEL_U32 nQEL_Value, QEL_U8 nQEL_Format, QEL_U8 nQEL_Line);

#ifdef __cplusplus
}
#endif

#endif /* QEL_LCD_H */
