// Line writes as the module must send them, built from the text they show: the
// blanking of the line's page, then one slot per character, cell after cell from
// the line's first column and on to the next page after 22 cells. A slot is the
// three position bytes, then the glyph's six columns (none for a space or a code
// without glyph).
#pragma once

#include <gtest/gtest.h>

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "module_fixture.h"

namespace qel::test {

using Glyph = std::array<std::uint8_t, 6>;

// A fresh module brought up, with its font learnt from it.
class ShownTextTest : public ModuleTest {
 protected:
  void SetUp() override;

  // Whether the bytes sent since the last check are the stream that shows `text`
  // from `line` on: ' ' is a slot that draws nothing, '|' marks the start of the
  // next page. A failure names the first byte that differs.
  ::testing::AssertionResult shows(const std::string& text, std::uint8_t line);

  // The bytes sent since the last check.
  std::vector<WireByte> sent();

  std::array<Glyph, 92> font_{};  // codes 32 to 123 as the module draws them

 private:
  std::vector<WireByte> showing(const std::string& text, std::uint8_t line) const;
};

}  // namespace qel::test
