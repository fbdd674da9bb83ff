// Reads the module's text lines back from the controller's display RAM, on the
// module's character grid and with the module's own font: cell k of line n is
// RAM columns 6k+1 to 6k+6 of page n (k = 0 to 20). A cell holding a glyph reads
// as its character (a blank cell as a space), any other cell as '?'; trailing
// spaces are dropped. A 22nd character starts at column 127, the last, and only
// its first pixel column shows: that column reads as a 22nd cell, '?' when
// anything in it is lit (no glyph can be told from one column), a space otherwise.
#pragma once

#include <array>
#include <cstdint>
#include <string>

#include "emulator/controller.h"

namespace qel::view {

inline constexpr int kTextLines = 8;
inline constexpr int kTextCells = 21;
inline constexpr int kCellWidth = 6;
inline constexpr int kLastColumn = 127;  // where a 22nd character starts
inline constexpr char kUnknownCell = '?';

// One cell's six RAM bytes, column 6k+1 first.
using Cell = std::array<std::uint8_t, kCellWidth>;

// The character a cell shows: its glyph's code, or kUnknownCell.
char cell_char(const Cell& cell);

// Line `line` (0 to 7) as read back; a line above 7 is empty.
std::string line_text(const emu::Controller& controller, unsigned line);

// All eight lines, each followed by '\n'.
std::string screen_text(const emu::Controller& controller);

}  // namespace qel::view
