// Where the controller's write pointer goes after each display data byte.
#pragma once

#include "emulator/registers.h"

namespace qel::emu {

// Page mode: where the column goes after the last RAM column. The datasheet can
// be read both ways, so both are offered.
enum class ColumnWrap { Start, Zero };  // back to the column start address (0x00-0x1F), or to column 0

// Moves the write pointer in `r` past the column just written, as the current
// addressing mode does, in a RAM whose last column is `last_column`.
void advance_write_pointer(Registers& r, ColumnWrap wrap, int last_column);

}  // namespace qel::emu
