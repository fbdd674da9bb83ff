/* The public header used from C: every public operation, as a C application calls it. */
#include "QEL_LCD.h"

void qel_c_api_calls(void);

void qel_c_api_calls(void) {
  QEL_LCD_LINE line = QEL_LCD_LINE3;

  QEL_LCD_Init();
  QEL_LCD_WriteString((const QEL_C *)"C", QEL_LCD_LINE0);
  QEL_LCD_ClearLine(line);
  QEL_LCD_WriteValue(255U, 16U, QEL_LCD_LINE1);
  QEL_LCD_WriteStringValue((const QEL_C *)"T=", 25U, 10U, QEL_LCD_LINE2);
}
