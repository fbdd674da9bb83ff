/*
 * QEL_LCD: text display on a 128 x 64 OLED with an SSD1306-type controller.
 *
 * The controller is driven over four pins switched one at a time through the
 * PIN driver: serial clock, serial data, data/command select and reset. Bytes
 * go out most significant bit first, taken by the controller on the rising
 * clock edge. The panel is used in page addressing mode as eight text lines of
 * 6 x 8 characters. No copy of the panel is kept: every call writes straight
 * to the controller.
 *
 * Source order: pin objects and font, number conversion, delay, byte transfer,
 * addressing and fills, renderer, public operations.
 */
#include "QEL_LCD.h"

#include <stddef.h>
#include <string.h>
#include <ti/drivers/PIN.h>

/* ------------------------------------------------------------------------- */
/* Pin objects and font                                                      */
/* ------------------------------------------------------------------------- */

/* DIO numbers of the four pins wired to the controller. */
enum {
  QEL_DIO_SCLK = 9,  /* serial clock */
  QEL_DIO_SDIN = 10, /* serial data into the controller */
  QEL_DIO_RES = 4,   /* controller reset, active low */
  QEL_DIO_DC = 26    /* 1 = display data, 0 = command */
};

/* PIN driver configuration for an output: GPIO, driven low on open, push-pull, maximum strength. */
#define QEL_PIN_OUTPUT_LOW 0x80800800UL

/* Controller pages whose page command 0xB0 + page stays a page command (0xB0 to 0xBF). */
#define QEL_PAGE_LIMIT 16U

static PIN_State QEL_LcdPins;
static PIN_Handle QEL_HlcdPins = NULL;
static PIN_Config QEL_LcdPinsCfg[] = {QEL_PIN_OUTPUT_LOW | QEL_DIO_SCLK, QEL_PIN_OUTPUT_LOW | QEL_DIO_SDIN,
                                      QEL_PIN_OUTPUT_LOW | QEL_DIO_RES, QEL_PIN_OUTPUT_LOW | QEL_DIO_DC, PIN_TERMINATE};

/* 6 x 8 font for codes 32 to 123. One byte per pixel column, left to right; bit 0 is the top row. */
static const QEL_U8 QEL_F6x8[92][6] = {
    {0x00, 0x00, 0x00, 0x00, 0x00, 0x00}, /* 0x20 space */
    {0x00, 0x00, 0x00, 0x2F, 0x00, 0x00}, /* 0x21 ! */
    {0x00, 0x00, 0x07, 0x00, 0x07, 0x00}, /* 0x22 double quote */
    {0x00, 0x14, 0x7F, 0x14, 0x7F, 0x14}, /* 0x23 # */
    {0x00, 0x24, 0x2A, 0x7F, 0x2A, 0x12}, /* 0x24 $ */
    {0x00, 0x62, 0x64, 0x08, 0x13, 0x23}, /* 0x25 % */
    {0x00, 0x36, 0x49, 0x55, 0x22, 0x50}, /* 0x26 & */
    {0x00, 0x00, 0x05, 0x03, 0x00, 0x00}, /* 0x27 ' */
    {0x00, 0x00, 0x1C, 0x22, 0x41, 0x00}, /* 0x28 ( */
    {0x00, 0x00, 0x41, 0x22, 0x1C, 0x00}, /* 0x29 ) */
    {0x00, 0x14, 0x08, 0x3E, 0x08, 0x14}, /* 0x2A * */
    {0x00, 0x08, 0x08, 0x3E, 0x08, 0x08}, /* 0x2B + */
    {0x00, 0x00, 0x00, 0xA0, 0x60, 0x00}, /* 0x2C , */
    {0x00, 0x08, 0x08, 0x08, 0x08, 0x08}, /* 0x2D - */
    {0x00, 0x00, 0x60, 0x60, 0x00, 0x00}, /* 0x2E . */
    {0x00, 0x20, 0x10, 0x08, 0x04, 0x02}, /* 0x2F / */
    {0x00, 0x3E, 0x51, 0x49, 0x45, 0x3E}, /* 0x30 0 */
    {0x00, 0x00, 0x42, 0x7F, 0x40, 0x00}, /* 0x31 1 */
    {0x00, 0x42, 0x61, 0x51, 0x49, 0x46}, /* 0x32 2 */
    {0x00, 0x21, 0x41, 0x45, 0x4B, 0x31}, /* 0x33 3 */
    {0x00, 0x18, 0x14, 0x12, 0x7F, 0x10}, /* 0x34 4 */
    {0x00, 0x27, 0x45, 0x45, 0x45, 0x39}, /* 0x35 5 */
    {0x00, 0x3C, 0x4A, 0x49, 0x49, 0x30}, /* 0x36 6 */
    {0x00, 0x01, 0x71, 0x09, 0x05, 0x03}, /* 0x37 7 */
    {0x00, 0x36, 0x49, 0x49, 0x49, 0x36}, /* 0x38 8 */
    {0x00, 0x06, 0x49, 0x49, 0x29, 0x1E}, /* 0x39 9 */
    {0x00, 0x00, 0x36, 0x36, 0x00, 0x00}, /* 0x3A : */
    {0x00, 0x00, 0x56, 0x36, 0x00, 0x00}, /* 0x3B ; */
    {0x00, 0x08, 0x14, 0x22, 0x41, 0x00}, /* 0x3C < */
    {0x00, 0x14, 0x14, 0x14, 0x14, 0x14}, /* 0x3D = */
    {0x00, 0x00, 0x41, 0x22, 0x14, 0x08}, /* 0x3E > */
    {0x00, 0x02, 0x01, 0x51, 0x09, 0x06}, /* 0x3F ? */
    {0x00, 0x32, 0x49, 0x59, 0x51, 0x3E}, /* 0x40 at sign */
    {0x00, 0x7C, 0x12, 0x11, 0x12, 0x7C}, /* 0x41 A */
    {0x00, 0x7F, 0x49, 0x49, 0x49, 0x36}, /* 0x42 B */
    {0x00, 0x3E, 0x41, 0x41, 0x41, 0x22}, /* 0x43 C */
    {0x00, 0x7F, 0x41, 0x41, 0x22, 0x1C}, /* 0x44 D */
    {0x00, 0x7F, 0x49, 0x49, 0x49, 0x41}, /* 0x45 E */
    {0x00, 0x7F, 0x09, 0x09, 0x09, 0x01}, /* 0x46 F */
    {0x00, 0x3E, 0x41, 0x49, 0x49, 0x7A}, /* 0x47 G */
    {0x00, 0x7F, 0x08, 0x08, 0x08, 0x7F}, /* 0x48 H */
    {0x00, 0x00, 0x41, 0x7F, 0x41, 0x00}, /* 0x49 I */
    {0x00, 0x20, 0x40, 0x41, 0x3F, 0x01}, /* 0x4A J */
    {0x00, 0x7F, 0x08, 0x14, 0x22, 0x41}, /* 0x4B K */
    {0x00, 0x7F, 0x40, 0x40, 0x40, 0x40}, /* 0x4C L */
    {0x00, 0x7F, 0x02, 0x0C, 0x02, 0x7F}, /* 0x4D M */
    {0x00, 0x7F, 0x04, 0x08, 0x10, 0x7F}, /* 0x4E N */
    {0x00, 0x3E, 0x41, 0x41, 0x41, 0x3E}, /* 0x4F O */
    {0x00, 0x7F, 0x09, 0x09, 0x09, 0x06}, /* 0x50 P */
    {0x00, 0x3E, 0x41, 0x51, 0x21, 0x5E}, /* 0x51 Q */
    {0x00, 0x7F, 0x09, 0x19, 0x29, 0x46}, /* 0x52 R */
    {0x00, 0x46, 0x49, 0x49, 0x49, 0x31}, /* 0x53 S */
    {0x00, 0x01, 0x01, 0x7F, 0x01, 0x01}, /* 0x54 T */
    {0x00, 0x3F, 0x40, 0x40, 0x40, 0x3F}, /* 0x55 U */
    {0x00, 0x1F, 0x20, 0x40, 0x20, 0x1F}, /* 0x56 V */
    {0x00, 0x3F, 0x40, 0x38, 0x40, 0x3F}, /* 0x57 W */
    {0x00, 0x63, 0x14, 0x08, 0x14, 0x63}, /* 0x58 X */
    {0x00, 0x07, 0x08, 0x70, 0x08, 0x07}, /* 0x59 Y */
    {0x00, 0x61, 0x51, 0x49, 0x45, 0x43}, /* 0x5A Z */
    {0x00, 0x00, 0x7F, 0x41, 0x41, 0x00}, /* 0x5B [ */
    {0x00, 0x55, 0x2A, 0x55, 0x2A, 0x55}, /* 0x5C backslash */
    {0x00, 0x00, 0x41, 0x41, 0x7F, 0x00}, /* 0x5D ] */
    {0x00, 0x04, 0x02, 0x01, 0x02, 0x04}, /* 0x5E ^ */
    {0x00, 0x40, 0x40, 0x40, 0x40, 0x40}, /* 0x5F _ */
    {0x00, 0x00, 0x01, 0x02, 0x04, 0x00}, /* 0x60 backtick */
    {0x00, 0x20, 0x54, 0x54, 0x54, 0x78}, /* 0x61 a */
    {0x00, 0x7F, 0x48, 0x44, 0x44, 0x38}, /* 0x62 b */
    {0x00, 0x38, 0x44, 0x44, 0x44, 0x20}, /* 0x63 c */
    {0x00, 0x38, 0x44, 0x44, 0x48, 0x7F}, /* 0x64 d */
    {0x00, 0x38, 0x54, 0x54, 0x54, 0x18}, /* 0x65 e */
    {0x00, 0x08, 0x7E, 0x09, 0x01, 0x02}, /* 0x66 f */
    {0x00, 0x18, 0xA4, 0xA4, 0xA4, 0x7C}, /* 0x67 g */
    {0x00, 0x7F, 0x08, 0x04, 0x04, 0x78}, /* 0x68 h */
    {0x00, 0x00, 0x44, 0x7D, 0x40, 0x00}, /* 0x69 i */
    {0x00, 0x40, 0x80, 0x84, 0x7D, 0x00}, /* 0x6A j */
    {0x00, 0x7F, 0x10, 0x28, 0x44, 0x00}, /* 0x6B k */
    {0x00, 0x00, 0x41, 0x7F, 0x40, 0x00}, /* 0x6C l */
    {0x00, 0x7C, 0x04, 0x18, 0x04, 0x78}, /* 0x6D m */
    {0x00, 0x7C, 0x08, 0x04, 0x04, 0x78}, /* 0x6E n */
    {0x00, 0x38, 0x44, 0x44, 0x44, 0x38}, /* 0x6F o */
    {0x00, 0xFC, 0x24, 0x24, 0x24, 0x18}, /* 0x70 p */
    {0x00, 0x18, 0x24, 0x24, 0x18, 0xFC}, /* 0x71 q */
    {0x00, 0x7C, 0x08, 0x04, 0x04, 0x08}, /* 0x72 r */
    {0x00, 0x48, 0x54, 0x54, 0x54, 0x20}, /* 0x73 s */
    {0x00, 0x04, 0x3F, 0x44, 0x40, 0x20}, /* 0x74 t */
    {0x00, 0x3C, 0x40, 0x40, 0x20, 0x7C}, /* 0x75 u */
    {0x00, 0x1C, 0x20, 0x40, 0x20, 0x1C}, /* 0x76 v */
    {0x00, 0x3C, 0x40, 0x30, 0x40, 0x3C}, /* 0x77 w */
    {0x00, 0x44, 0x28, 0x10, 0x28, 0x44}, /* 0x78 x */
    {0x00, 0x1C, 0xA0, 0xA0, 0xA0, 0x7C}, /* 0x79 y */
    {0x00, 0x44, 0x64, 0x54, 0x4C, 0x44}, /* 0x7A z */
    {0x14, 0x14, 0x14, 0x14, 0x14, 0x14}, /* 0x7B: two horizontal bars, not a brace */
};

/* ------------------------------------------------------------------------- */
/* Number conversion                                                         */
/* ------------------------------------------------------------------------- */

/* Writes the digits of uiNum in base uiRadix (2 or more) to buf, most significant first, then a NUL. */
static void QEL_LCD_itoa(QEL_U32 uiNum, QEL_U8 *buf, QEL_U8 uiRadix) {
  QEL_U8 rst[32]; /* digits, least significant first; enough for base 2 */
  QEL_U8 *p = rst;
  QEL_U8 c;
  QEL_U8 i = 0U;

  while (i < 32U) {
    c = (QEL_U8)(uiNum % uiRadix);
    *p = (QEL_U8)((c < 10U) ? (c + 0x30U) : (c + 0x37U));
    uiNum /= uiRadix;
    if (uiNum == 0U) {
      break;
    }
    i++;
    p++;
  }
  /* rst[0..i] holds i + 1 digits; store them in reverse. */
  for (;;) {
    *buf++ = rst[i];
    if (i == 0U) {
      break;
    }
    i--;
  }
  *buf = 0U;
}

/*
 * Writes the text of l in base 10 or 16 to buf (room for 11 bytes) and returns buf:
 * no sign, no prefix, no leading zeros, upper-case hexadecimal digits. Any other
 * radix returns NULL with buf empty. The digit routine takes the whole 32-bit value
 * at once, which keeps the code small (it is the largest routine of the module
 * otherwise).
 */
static QEL_U8 *QEL_LCD_ltoa(QEL_U32 l, QEL_U8 *buf, QEL_U8 radix) {
  buf[0] = 0U;
  if ((radix != 10U) && (radix != 16U)) {
    return NULL;
  }
  QEL_LCD_itoa(l, buf, radix);
  return buf;
}

/* ------------------------------------------------------------------------- */
/* Delay                                                                     */
/* ------------------------------------------------------------------------- */

#if defined(QEL_LCD_SIMULATED_DELAY)
/* Host builds: the pin stand-in takes the wait in simulated time instead of spinning. */
#ifdef __cplusplus
extern "C" {
#endif
void qel_host_delay_ms(QEL_U32 ms);
#ifdef __cplusplus
}
#endif
#endif

/* Blocks for ms nominal milliseconds. */
static void QEL_LCD_DLY_Ms(QEL_U32 ms) {
#if defined(QEL_LCD_SIMULATED_DELAY)
  if (ms != 0U) {
    qel_host_delay_ms(ms);
  }
#else
  /* Busy-wait: 1800 empty iterations per millisecond. The counter is volatile so the
   * compiler keeps the loop; it is counted down by a plain read and write in a statement
   * of its own, since C++20 deprecates -- on a volatile object and the use of an
   * assignment's value. */
  volatile QEL_U32 n;

  while (ms != 0U) {
    n = 1800U;
    while (n != 0U) {
      n = n - 1U;
    }
    ms--;
  }
#endif
}

/* ------------------------------------------------------------------------- */
/* Byte transfer                                                             */
/* ------------------------------------------------------------------------- */

/*
 * Sends one byte: the select pin (dc), then for each bit from the top: clock low,
 * data, clock high. 25 pin writes; the clock rests high afterwards. Nothing is
 * written while the pins are not open.
 */
static void QEL_LCD_WrByte(QEL_U8 byte, QEL_U32 dc) {
  PIN_Handle h = QEL_HlcdPins;
  /* The byte at the top of a 32-bit word, with a marker bit just below it: the bit to
   * send is always bit 31, and the byte is done when the marker reaches the top. */
  QEL_U32 bits = ((QEL_U32)byte << 24) | 0x00800000UL;

  if (h == NULL) {
    return;
  }
  (void)PIN_setOutputValue(h, QEL_DIO_DC, dc);
  do {
    (void)PIN_setOutputValue(h, QEL_DIO_SCLK, 0U);
    (void)PIN_setOutputValue(h, QEL_DIO_SDIN, bits >> 31);
    (void)PIN_setOutputValue(h, QEL_DIO_SCLK, 1U);
    bits <<= 1;
  } while (bits != 0x80000000UL);
}

/* Sends a command byte. */
static void QEL_LCD_WrCmd(QEL_U8 cmd) { QEL_LCD_WrByte(cmd, 0U); }

/* Sends a display-data byte: one 8-pixel column of the current page, bit 0 at the top. */
static void QEL_LCD_WrDat(QEL_U8 dat) { QEL_LCD_WrByte(dat, 1U); }

/* ------------------------------------------------------------------------- */
/* Addressing and fills                                                      */
/* ------------------------------------------------------------------------- */

/* Start-up commands, sent in this order straight after reset. */
static const QEL_U8 QEL_LcdInitCmds[28] = {
    0xAE,       /* display off */
    0x00, 0x10, /* page-mode column start 0 */
    0x40,       /* display start line 0 */
    0x81, 0xCF, /* contrast */
    0xA1,       /* segment remap: column 127 drives the first segment */
    0xC8,       /* COM scan reversed */
    0xA6,       /* normal, not inverted */
    0xA8, 0x3F, /* multiplex ratio 64 */
    0xD3, 0x00, /* display offset 0 */
    0xD5, 0x80, /* clock divide ratio and oscillator frequency */
    0xD9, 0xF1, /* pre-charge period */
    0xDA, 0x12, /* COM pin configuration */
    0xDB, 0x40, /* VCOMH deselect level */
    0x20, 0x02, /* page addressing mode */
    0x8D, 0x14, /* charge pump on */
    0xA4,       /* display follows RAM */
    0xA6,       /* normal display */
    0xAF        /* display on */
};

/* Sets the write position to page y, column x | 1 (bit 0 of the column is always set). */
static void QEL_LCD_Set_Pos(QEL_U8 x, QEL_U8 y) {
  QEL_LCD_WrCmd((QEL_U8)(0xB0U + y));
  QEL_LCD_WrCmd((QEL_U8)(0x10U | ((x & 0xF0U) >> 4)));
  QEL_LCD_WrCmd((QEL_U8)((x & 0x0FU) | 0x01U));
}

/*
 * Paints page y from column 1 with 128 bytes ch. Pages from 16 on are left alone:
 * their page byte would be another controller command.
 */
static void QEL_LCD_FillLine(QEL_U8 y, QEL_U8 ch) {
  QEL_U8 x;

  if (y >= QEL_PAGE_LIMIT) {
    return;
  }
  QEL_LCD_WrCmd((QEL_U8)(0xB0U + y));
  QEL_LCD_WrCmd(0x01U);
  QEL_LCD_WrCmd(0x10U);
  for (x = 0U; x < 128U; x++) {
    QEL_LCD_WrDat(ch);
  }
}

/* Paints all eight pages with bmp_dat. */
static void QEL_LCD_Fill(QEL_U8 bmp_dat) {
  QEL_U8 y;

  for (y = 0U; y < 8U; y++) {
    QEL_LCD_FillLine(y, bmp_dat);
  }
}

/* ------------------------------------------------------------------------- */
/* Renderer                                                                  */
/* ------------------------------------------------------------------------- */

/*
 * Draws the string ch from pixel column x of page y, 6 columns per character,
 * wrapping to column 0 of the next page after x = 126. Characters without a glyph
 * (space, codes below 33 and from 124) take their slot but draw nothing. Stops
 * after 255 characters, and before a character that would land on page 16 or more.
 */
static void QEL_LCD_P6x8Str(QEL_U8 x, QEL_U8 y, const QEL_U8 *ch) {
  QEL_U8 c;
  QEL_U8 i;
  QEL_U8 j = 0U;

  while ((j < 255U) && (ch[j] != 0U)) {
    c = (QEL_U8)(ch[j] - 32U);
    if (x > 126U) {
      x = 0U;
      y++;
    }
    if (y >= QEL_PAGE_LIMIT) {
      return;
    }
    QEL_LCD_Set_Pos(x, y);
    if ((c > 0U) && (c < 92U)) {
      for (i = 0U; i < 6U; i++) {
        QEL_LCD_WrDat(QEL_F6x8[c][i]);
      }
    }
    x = (QEL_U8)(x + 6U);
    j++;
  }
}

/* ------------------------------------------------------------------------- */
/* Public operations                                                         */
/* ------------------------------------------------------------------------- */

#if defined(QEL_LCD_HOST_CALLS)
/* Host builds: each public operation tells the pin stand-in that it starts, with
 * its arguments (the ones it does not take are 0), and that it ends, so that the
 * host side can name the call behind each byte. An operation that another calls
 * reports too; the host side counts the outer one only. */
enum { QEL_CALL_INIT, QEL_CALL_WRITE_STRING, QEL_CALL_CLEAR_LINE, QEL_CALL_WRITE_VALUE, QEL_CALL_WRITE_STRING_VALUE };
#ifdef __cplusplus
extern "C" {
#endif
void qel_host_call_begin(QEL_U8 operation, const QEL_C *text, QEL_U32 value, QEL_U8 format, QEL_U8 line);
void qel_host_call_end(void);
#ifdef __cplusplus
}
#endif
#define QEL_CALL_BEGIN(operation, text, value, format, line) \
  qel_host_call_begin((operation), (text), (value), (format), (line))
#define QEL_CALL_END() qel_host_call_end()
#else
#define QEL_CALL_BEGIN(operation, text, value, format, line)
#define QEL_CALL_END()
#endif

void QEL_LCD_Init(void) {
  QEL_U8 k;

  QEL_CALL_BEGIN(QEL_CALL_INIT, NULL, 0U, 0U, 0U);
  if (QEL_HlcdPins == NULL) {
    QEL_HlcdPins = PIN_open(&QEL_LcdPins, QEL_LcdPinsCfg);
  }
  if (QEL_HlcdPins == NULL) {
    QEL_CALL_END();
    return; /* pins unavailable: nothing to drive; the next call tries again */
  }

  (void)PIN_setOutputValue(QEL_HlcdPins, QEL_DIO_SCLK, 1U);
  (void)PIN_setOutputValue(QEL_HlcdPins, QEL_DIO_RES, 0U);
  QEL_LCD_DLY_Ms(250U);
  (void)PIN_setOutputValue(QEL_HlcdPins, QEL_DIO_RES, 1U);

  for (k = 0U; k < sizeof QEL_LcdInitCmds; k++) {
    QEL_LCD_WrCmd(QEL_LcdInitCmds[k]);
  }
  QEL_LCD_Fill(0x00U);
  QEL_LCD_Set_Pos(0U, 0U);
  QEL_CALL_END();
}

void QEL_LCD_WriteString(const QEL_C *pQEL_Str, QEL_U8 nQEL_Line) {
  QEL_CALL_BEGIN(QEL_CALL_WRITE_STRING, pQEL_Str, 0U, 0U, nQEL_Line);
  QEL_LCD_FillLine(nQEL_Line, 0x00U);
  if (pQEL_Str != NULL) {
    QEL_LCD_P6x8Str(0U, nQEL_Line, pQEL_Str);
  }
  QEL_CALL_END();
}

void QEL_LCD_ClearLine(QEL_U8 nQEL_Line) {
  QEL_CALL_BEGIN(QEL_CALL_CLEAR_LINE, NULL, 0U, 0U, nQEL_Line);
  QEL_LCD_FillLine(nQEL_Line, 0x00U);
  QEL_CALL_END();
}

void QEL_LCD_WriteValue(QEL_U32 nQEL_Value, QEL_U8 nQEL_Format, QEL_U8 nQEL_Line) {
  QEL_U8 naQEL_Buf[25];

  QEL_CALL_BEGIN(QEL_CALL_WRITE_VALUE, NULL, nQEL_Value, nQEL_Format, nQEL_Line);
  (void)QEL_LCD_ltoa(nQEL_Value, naQEL_Buf, nQEL_Format);
  QEL_LCD_WriteString(naQEL_Buf, nQEL_Line);
  QEL_CALL_END();
}

void QEL_LCD_WriteStringValue(const QEL_C *pQEL_Str, QEL_U32 nQEL_Value, QEL_U8 nQEL_Format, QEL_U8 nQEL_Line) {
  QEL_U8 naQEL_Buf[25];
  QEL_U8 naQEL_Digits[11];
  size_t nQEL_Room;
  size_t nQEL_Label;
  QEL_U8 nQEL_Len;

  QEL_CALL_BEGIN(QEL_CALL_WRITE_STRING_VALUE, pQEL_Str, nQEL_Value, nQEL_Format, nQEL_Line);
  memset(naQEL_Buf, 0, sizeof naQEL_Buf);
  (void)QEL_LCD_ltoa(nQEL_Value, naQEL_Digits, nQEL_Format);

  /* Label, space and digits share 24 characters; the digits always fit whole, so an
   * over-long label gives way. */
  nQEL_Room = sizeof naQEL_Buf - 2U - strlen((const char *)naQEL_Digits);
  nQEL_Label = (pQEL_Str != NULL) ? strlen((const char *)pQEL_Str) : 0U;
  nQEL_Len = (QEL_U8)((nQEL_Label < nQEL_Room) ? nQEL_Label : nQEL_Room);

  if (nQEL_Len != 0U) {
    memcpy(naQEL_Buf, pQEL_Str, nQEL_Len);
  }
  naQEL_Buf[nQEL_Len] = 0x20U;
  memcpy(&naQEL_Buf[nQEL_Len + 1U], naQEL_Digits, strlen((const char *)naQEL_Digits));
  QEL_LCD_WriteString(naQEL_Buf, nQEL_Line);
  QEL_CALL_END();
}

#if defined(QEL_LCD_HOST_FONT)
#include "QEL_LCD_host_font.h"

/* Host builds only (see QEL_LCD_host_font.h): the font, for reading text back. */
const QEL_U8 *QEL_LCD_HostFont(void) { return &QEL_F6x8[0][0]; }
#endif
