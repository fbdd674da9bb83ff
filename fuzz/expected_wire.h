// What a line operation must send, worked out from the display's documented
// behaviour rather than from the module's code: which commands it may use, and
// how many command and data bytes it costs.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "call_script.h"

namespace qel::fuzz {

// The only commands a line operation may send: page addresses (0xB0 to 0xBF) and
// page-mode column addresses (0x00 to 0x1F). Anything else would change the
// controller's configuration.
bool is_addressing_command(std::uint8_t byte);

// The characters a line operation hands to the renderer.
std::string text_drawn(const Call& call);

// Character slots a line operation renders, drawn or not: none from line 16 on,
// at most 255, and none that would land on page 16 or beyond.
std::size_t slots_rendered(const Call& call);

struct ByteCount {
  std::size_t commands = 0;
  std::size_t data = 0;
  friend bool operator==(const ByteCount& a, const ByteCount& b) {
    return a.commands == b.commands && a.data == b.data;
  }
};

// Bytes of a line operation: 131 to blank the line (none for lines from 16 on),
// 3 position bytes per character slot rendered, 6 data bytes per drawn glyph.
ByteCount expected_count(const Call& call);

}  // namespace qel::fuzz
