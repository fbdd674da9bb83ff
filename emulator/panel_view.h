// Turns the controller's registers and display RAM into the picture a viewer
// sees on the usual 128 x 64 panel.
#pragma once

#include <cstdint>
#include <optional>

#include "emulator/display_ram.h"
#include "emulator/picture.h"
#include "emulator/registers.h"

namespace qel::emu {

// Brightness of a lit pixel at this contrast: rises with contrast, never 0.
std::uint8_t lit_level(std::uint8_t contrast);

// The display RAM column shown at viewer column x (0 at the left).
int ram_column_at(const Profile& profile, const Registers& r, int x);

// The display RAM row (page * 8 + bit) shown at viewer row y (0 at the top), or
// nothing when the multiplex ratio leaves that panel row undriven.
std::optional<int> ram_row_at(const Registers& r, int y);

// The usual panel is mounted so that segment remap on (0xA1) and reversed COM
// scan (0xC8) show column 0 at the left and page 0 at the top.
Picture render_panel(const Profile& profile, const Registers& r, const DisplayRam& ram);

}  // namespace qel::emu
