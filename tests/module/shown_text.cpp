#include "shown_text.h"

namespace qel::test {

std::vector<WireByte> blanking(std::uint8_t page_cmd) {
  std::vector<WireByte> out = {cmd(page_cmd), cmd(0x01), cmd(0x10)};
  out.insert(out.end(), 128, dat(0x00));
  return out;
}

LineWrite parse_line_write(const std::vector<WireByte>& bytes) {
  LineWrite out;
  std::size_t i = 0;
  if (bytes.size() >= 131 && !bytes[0].is_data &&
      std::vector<WireByte>(bytes.begin(), bytes.begin() + 131) == blanking(bytes[0].value)) {
    out.blanked = true;
    out.blanked_page_cmd = bytes[0].value;
    i = 131;
  }
  while (i < bytes.size()) {
    if (i + 3 > bytes.size() || bytes[i].is_data || bytes[i + 1].is_data || bytes[i + 2].is_data) {
      out.error = "byte " + std::to_string(i) + " does not start a three-byte position";
      return out;
    }
    Slot slot;
    slot.page_cmd = bytes[i].value;
    slot.column = ((bytes[i + 1].value & 0x0F) << 4) | (bytes[i + 2].value & 0x0F);
    if ((bytes[i + 1].value & 0xF0) != 0x10 || (bytes[i + 2].value & 0xF0) != 0x00) {
      out.error = "byte " + std::to_string(i + 1) + " is not a column command";
      return out;
    }
    i += 3;
    std::size_t n = 0;
    while (i + n < bytes.size() && bytes[i + n].is_data) ++n;
    if (n != 0 && n != 6) {
      out.error = "slot at byte " + std::to_string(i) + " has " + std::to_string(n) + " data bytes";
      return out;
    }
    if (n == 6) {
      slot.drawn = true;
      for (int k = 0; k < 6; ++k) slot.glyph[k] = bytes[i + k].value;
    }
    i += n;
    out.slots.push_back(slot);
  }
  return out;
}

}  // namespace qel::test
