// Turns the controller's registers and display RAM into the picture a viewer
// sees on the glass wired to it.
#pragma once

#include <cstdint>
#include <optional>

#include "emulator/display_ram.h"
#include "emulator/glass.h"
#include "emulator/picture.h"
#include "emulator/profile.h"
#include "emulator/registers.h"

namespace qel::emu {

// Brightness of a lit pixel at this contrast: rises with contrast, never 0.
std::uint8_t lit_level(std::uint8_t contrast);

// The COM signal (COM0..COM63) on pad `pad`, under the COM pin configuration
// `com_pins` (0xDA): sequential or alternative, halves swapped or not
// (left/right remap, when the controller has it).
int com_on_pad(int pad, std::uint8_t com_pins, const Profile& profile);

// The display RAM row (page * 8 + bit) that COM signal `com` shows, or nothing
// when the multiplex ratio leaves it undriven.
std::optional<int> ram_row_on_com(const Registers& r, int com);

// The usual mounting: segment remap on (0xA1) and reversed COM scan (0xC8) show
// the glass's first column at the left and page 0 at the top.
Picture render_panel(const Profile& profile, const WiredGlass& glass, const Registers& r, const DisplayRam& ram);

}  // namespace qel::emu
