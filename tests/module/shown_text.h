// Reads a line write back from the decoded wire: checks the blanking of the page,
// then turns each character slot (three position bytes, then six glyph bytes or
// none) into where it was placed and what it drew.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "wire_recorder.h"

namespace qel::test {

struct Slot {
  std::uint8_t page_cmd = 0;  // first position byte (0xB0 + page)
  int column = 0;             // column addressed by the other two position bytes
  bool drawn = false;
  std::array<std::uint8_t, 6> glyph{};
};

struct LineWrite {
  bool blanked = false;  // started with the blanking of its page (131 bytes)
  std::uint8_t blanked_page_cmd = 0;
  std::vector<Slot> slots;
  std::string error;  // set when the stream is not blanking plus slots
};

LineWrite parse_line_write(const std::vector<WireByte>& bytes);

// The blanking of one page: page command, column 1, 128 zero data bytes.
std::vector<WireByte> blanking(std::uint8_t page_cmd);

}  // namespace qel::test
