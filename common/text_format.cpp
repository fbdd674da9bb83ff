// Number formatting; see text_format.h.
#include "common/text_format.h"

#include <cstdio>

namespace qel::common {

std::string hex_byte(unsigned value) {
  char text[16];
  std::snprintf(text, sizeof text, "0x%02X", value);
  return text;
}

}  // namespace qel::common
