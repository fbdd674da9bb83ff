// The workloads the benchmarks share: start-up, and a screen of eight full lines.
#pragma once

#include "QEL_LCD.h"

namespace qel::bench {

// Eight lines of 21 characters, every one with a glyph.
inline void write_screen() {
  static const char* const kLines[8] = {
      "ABCDEFGHIJKLMNOPQRSTU", "VWXYZabcdefghijklmnop", "qrstuvwxyz0123456789!", "#$%&()*+,-./:;<=>?@[]",
      "Temperature=25.5degC",  "Pressure:1013.25hPa!!", "Uptime:86400s,OK!#1/2", "0123456789ABCDEF-+*/=",
  };
  for (QEL_U8 line = 0; line < 8; ++line) {
    QEL_LCD_WriteString(reinterpret_cast<const QEL_C*>(kLines[line]), line);
  }
}

inline void init_panel() { QEL_LCD_Init(); }

}  // namespace qel::bench
