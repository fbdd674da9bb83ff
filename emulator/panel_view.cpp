// Panel geometry: segment and COM mapping, start line, display offset,
// multiplex ratio, and the display-wide switches (on/off, charge pump, entire
// display on, inverse).
//
// Row mapping. The controller's row counter k runs over 0..multiplex; row k
// shows RAM row (k + start line) mod 64 and is driven on logical COM line
// n = (k - display offset) mod 64. Normal scan puts line n on pin COMn; reversed
// scan puts it on COM(multiplex - n). The usual panel has COM63 at the top.
// The COM pin configuration (0xDA) is recorded but not applied: the picture
// assumes the panel's own wiring matches the setting every firmware uses.
#include "emulator/panel_view.h"

namespace qel::emu {

namespace {

int wrap_row(int row) { return ((row % kRows) + kRows) % kRows; }

}  // namespace

std::uint8_t lit_level(std::uint8_t contrast) { return static_cast<std::uint8_t>(64 + contrast * 191 / 255); }

// Column c drives segment SEGc, or SEG(N-1-c) with remap on (N RAM columns).
// The glass is wired to SEG(first) .. SEG(first + 127) with the highest at the
// left, so remap on shows column `first` at the left.
int ram_column_at(const Profile& profile, const Registers& r, int x) {
  const int first = profile.usual_first_column, width = Picture::kWidth;
  const int segment = first + width - 1 - x;
  return r.segment_remap ? profile.ram_columns - 1 - segment : segment;
}

std::optional<int> ram_row_at(const Registers& r, int y) {
  const int com = kRows - 1 - y;
  const int line = r.com_scan_reversed ? wrap_row(r.multiplex - com) : com;
  const int k = wrap_row(line + r.display_offset);
  if (k > r.multiplex) return std::nullopt;
  return wrap_row(k + r.start_line);
}

Picture render_panel(const Profile& profile, const Registers& r, const DisplayRam& ram) {
  Picture picture;
  if (!r.display_on || !drive_voltage_on(profile, r)) return picture;
  const std::uint8_t lit = lit_level(r.contrast);
  for (int y = 0; y < Picture::kHeight; ++y) {
    const auto row = ram_row_at(r, y);
    if (!row) continue;  // undriven rows stay dark, whatever else is set
    const auto& page = ram[static_cast<std::size_t>(*row / 8)];
    const int bit = *row % 8;
    for (int x = 0; x < Picture::kWidth; ++x) {
      bool on = r.entire_on || ((page[static_cast<std::size_t>(ram_column_at(profile, r, x))] >> bit) & 1) != 0;
      if (!r.entire_on && r.inverse) on = !on;
      if (on) picture.set(x, y, lit);
    }
  }
  return picture;
}

}  // namespace qel::emu
