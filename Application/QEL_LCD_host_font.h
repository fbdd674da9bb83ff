/*
 * Host builds only: read access to the module's font table, so that host tools can
 * read text back from the panel with the very glyphs the module draws.
 *
 * This header is not part of the module's interface and is never installed or
 * given to firmware. The accessor exists only when QEL_LCD.cpp is compiled with
 * QEL_LCD_HOST_FONT, which only the host library does; target builds compile the
 * same file without it, so their object code does not change. Keeping the table
 * file-local in the module and exposing one read-only pointer here means there is
 * a single copy of the font and the five operations stay the whole public interface.
 */
#ifndef QEL_LCD_HOST_FONT_H
#define QEL_LCD_HOST_FONT_H

#include "QEL_LCD.h"

#ifdef __cplusplus
extern "C" {
#endif

/* The table covers QEL_LCD_FONT_GLYPHS codes from QEL_LCD_FONT_FIRST_CODE, each glyph
 * QEL_LCD_FONT_WIDTH column bytes (bit 0 the top row). */
enum { QEL_LCD_FONT_FIRST_CODE = 32, QEL_LCD_FONT_GLYPHS = 92, QEL_LCD_FONT_WIDTH = 6 };

/* The module's font: glyph g is the QEL_LCD_FONT_WIDTH bytes from offset g * QEL_LCD_FONT_WIDTH. */
const QEL_U8 *QEL_LCD_HostFont(void);

#ifdef __cplusplus
}
#endif

#endif /* QEL_LCD_HOST_FONT_H */
