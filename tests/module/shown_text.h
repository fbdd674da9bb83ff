// Reads line writes back from the decoded wire, as a reader of the panel would:
// the blanking of the line's page, then one character slot per cell (three
// position bytes, then six glyph bytes or none), cell after cell from the line's
// first column, continuing on the next page after 22 cells.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "module_fixture.h"

namespace qel::test {

using Glyph = std::array<std::uint8_t, 6>;

struct Slot {
  bool drawn = false;
  Glyph glyph{};
};

struct LineWrite {
  std::vector<Slot> slots;
  std::string error;  // set when the stream is not blanking plus slots in cell order
};

LineWrite parse_line_write(const std::vector<WireByte>& bytes, std::uint8_t line);

// A fresh module brought up, with the font learnt from it so that line writes read
// back as text.
class ShownTextTest : public ModuleTest {
 protected:
  void SetUp() override;

  // The text the last call showed on `line` and after: its characters, ' ' for a
  // slot that draws nothing, '|' where the next page begins.
  std::string shown(std::uint8_t line);

  std::array<Glyph, 92> font_{};  // codes 32 to 123 as the module draws them
};

}  // namespace qel::test
