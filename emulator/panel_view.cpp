// The output stage: segment and COM mapping onto the glass, start line, display
// offset, multiplex ratio, and the display-wide switches (on/off, drive voltage,
// entire display on, inverse).
//
// Columns. RAM column c drives segment SEGc, or SEG(N-1-c) with segment remap
// on (N RAM columns). A glass of width W with first column F is wired to the
// segments that show columns F..F+W-1 with remap on, the highest segment at the
// left edge.
//
// Rows. The controller's row counter k runs over 0..multiplex; row k shows RAM
// row (k + start line) mod 64 and is driven on COM signal n = (k - display
// offset) mod 64 with normal scan, or COM(multiplex - n) with reversed scan. The
// COM pin configuration puts the signals on the pads, as the datasheet's table
// gives them (for pad P):
//   sequential:                 P carries COM P;
//   sequential, left/right remap: P carries COM (P + 32) mod 64;
//   alternative:                 2i carries COM i, 2i+1 carries COM 32+i;
//   alternative, left/right remap: 2i carries COM 32+i, 2i+1 carries COM i.
// Glass row g (0 at the bottom edge of the usual mounting) is wired to the pad
// that carries COM g under the configuration the glass is made for. So the
// right configuration shows COM g on row g, and a wrong one skips or doubles
// rows, as on the bench.
#include "emulator/panel_view.h"

namespace qel::emu {

namespace {

int wrap_row(int row) { return ((row % kRows) + kRows) % kRows; }

// The pad glass row g is wired to: the one that carries COM g without remap.
int pad_of_row(int g, bool alternative) {
  if (!alternative) return g;
  return g < kRows / 2 ? 2 * g : 2 * (g - kRows / 2) + 1;
}

}  // namespace

std::uint8_t lit_level(std::uint8_t contrast) { return static_cast<std::uint8_t>(64 + contrast * 191 / 255); }

int com_on_pad(int pad, std::uint8_t com_pins, const Profile& profile) {
  const bool alternative = (com_pins & 0x10) != 0;
  const bool remap = profile.com_left_right_remap && (com_pins & 0x20) != 0;
  const int half = kRows / 2;
  if (!alternative) return remap ? (pad + half) % kRows : pad;
  const bool upper = (pad % 2 == 1) != remap;
  return (upper ? half : 0) + pad / 2;
}

std::optional<int> ram_row_on_com(const Registers& r, int com) {
  const int line = r.com_scan_reversed ? wrap_row(r.multiplex - com) : com;
  const int k = wrap_row(line + r.display_offset);
  if (k > r.multiplex) return std::nullopt;
  return wrap_row(k + r.start_line);
}

Picture render_panel(const Profile& profile, const WiredGlass& glass, const Registers& r, const DisplayRam& ram) {
  Picture picture(glass.width, glass.height);
  if (!r.display_on || !drive_voltage_on(profile, r)) return picture;
  const std::uint8_t lit = lit_level(r.contrast);
  // The segment at the glass's left edge.
  const int left_segment = profile.ram_columns - 1 - glass.first_column;
  for (int y = 0; y < glass.height; ++y) {
    const int com = com_on_pad(pad_of_row(glass.height - 1 - y, glass.alternative_rows), r.com_pins, profile);
    const auto row = ram_row_on_com(r, com);
    if (!row) continue;  // undriven rows stay dark, whatever else is set
    const auto& page = ram[static_cast<std::size_t>(*row / 8)];
    const int bit = *row % 8;
    for (int x = 0; x < glass.width; ++x) {
      const int segment = left_segment - x;
      const int column = r.segment_remap ? profile.ram_columns - 1 - segment : segment;
      bool on = r.entire_on || ((page[static_cast<std::size_t>(column)] >> bit) & 1) != 0;
      if (!r.entire_on && r.inverse) on = !on;
      if (on) picture.set(x, y, lit);
    }
  }
  return picture;
}

}  // namespace qel::emu
