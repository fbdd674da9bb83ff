// Reset values of the controller's registers.
#include "emulator/registers.h"

namespace qel::emu {

// The datasheets' reset values, taken after power-on and whenever reset goes
// low; those that differ between the controllers come from the profile.
// Display RAM is not a register and keeps its contents.
void Registers::reset(const Profile& profile) {
  display_on = false;
  contrast = profile.reset.contrast;
  inverse = false;
  entire_on = false;

  multiplex = 63;
  display_offset = 0;
  start_line = 0;
  segment_remap = false;
  com_scan_reversed = false;
  com_pins = 0x12;

  clock_div = profile.reset.clock_div;
  precharge = profile.reset.precharge;
  vcomh = profile.reset.vcomh;
  charge_pump = false;
  dc_dc = true;
  pump_voltage = 2;  // 8.0 V
  iref = 0x00;       // external
  command_lock = false;

  addressing_mode = AddressingMode::Page;
  page = 0;
  column = 0;
  column_start = 0;
  read_modify_write = false;
  read_modify_write_column = 0;
  column_range_start = 0;
  column_range_end = kColumns - 1;
  page_range_start = 0;
  page_range_end = kPages - 1;

  scroll = ScrollSettings{};
  scroll.scroll_rows = kRows;
}

bool drive_voltage_on(const Profile& profile, const Registers& r) {
  switch (profile.power) {
    case PowerCircuit::ChargePump:
      return r.charge_pump;
    case PowerCircuit::DcDc:
      return r.dc_dc;
    case PowerCircuit::External:
      break;
  }
  return true;
}

}  // namespace qel::emu
