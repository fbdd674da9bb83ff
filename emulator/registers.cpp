// Reset values of the controller's registers.
#include "emulator/registers.h"

namespace qel::emu {

// The datasheet's reset values, taken after power-on and whenever reset goes
// low. Display RAM is not a register and keeps its contents.
void Registers::reset() {
  display_on = false;
  contrast = 0x7F;
  inverse = false;
  entire_on = false;

  multiplex = 63;
  display_offset = 0;
  start_line = 0;
  segment_remap = false;
  com_scan_reversed = false;
  com_pins = 0x12;

  clock_div = 0x80;
  precharge = 0x22;
  vcomh = 0x20;
  charge_pump = false;

  addressing_mode = AddressingMode::Page;
  page = 0;
  column = 0;
  column_start = 0;
  column_range_start = 0;
  column_range_end = kColumns - 1;
  page_range_start = 0;
  page_range_end = kPages - 1;

  scroll = ScrollSettings{};
  scroll.scroll_rows = kRows;
}

}  // namespace qel::emu
