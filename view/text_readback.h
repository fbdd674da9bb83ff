// Reads the module's text lines back from the controller's display RAM, on the
// module's character grid and with the module's own font: cell k of line n is
// RAM columns 6k+1 to 6k+6 of page n (k = 0 to 20), for the lines the glass
// has (its height / 8: 8 on the usual 64 rows, 4 on 32). A cell holding a glyph reads
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

inline constexpr int kTextLines = 8;  // on the tallest glass
inline constexpr int kTextCells = 21;
inline constexpr int kCellWidth = 6;
inline constexpr int kLastColumn = 127;  // where a 22nd character starts
inline constexpr char kUnknownCell = '?';

// One cell's six RAM bytes, column 6k+1 first.
using Cell = std::array<std::uint8_t, kCellWidth>;

// The character a cell shows: its glyph's code, or kUnknownCell.
char cell_char(const Cell& cell);

// The text lines of the controller's glass.
int text_lines(const emu::Controller& controller);

// Line `line` (0 to text_lines() - 1) as read back; a line past them is empty.
std::string line_text(const emu::Controller& controller, unsigned line);

// All the glass's lines, each followed by '\n'.
std::string screen_text(const emu::Controller& controller);

}  // namespace qel::view
