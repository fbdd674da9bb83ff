// The family's command sets: one row per command, with the controllers that
// have it, its effect on the registers and its value in a listing beside it.
#include "emulator/command_set.h"

#include "common/text_format.h"

namespace qel::emu {
namespace {

using common::hex_byte;
using Params = std::vector<std::uint8_t>;

// Effects ------------------------------------------------------------------

// A register that takes the parameter byte (the bits `Mask` keeps).
template <std::uint8_t Registers::*Field, std::uint8_t Mask = 0xFF>
CommandNote store(const CommandCall& c, Registers& r) {
  r.*Field = c.params[0] & Mask;
  return std::nullopt;
}

// A switch set by bit `Bit` of the opcode (0xA0/0xA1, 0xAE/0xAF, ...).
template <bool Registers::*Field, std::uint8_t Bit>
CommandNote switch_by(const CommandCall& c, Registers& r) {
  r.*Field = (c.opcode & Bit) != 0;
  return std::nullopt;
}

CommandNote nothing(const CommandCall&, Registers&) { return std::nullopt; }

// The page-mode column start address, and the write pointer with it. An
// address past the last RAM column (the SH1106's 0x18 with a low nibble above
// 3) is taken modulo the RAM's width.
CommandNote take_column_start(int address, const Profile& profile, Registers& r) {
  CommandNote note;
  if (address >= profile.ram_columns) {
    const int taken = address - profile.ram_columns;
    note = "Column address " + std::to_string(address) + " is past column " + std::to_string(profile.ram_columns - 1) +
           "; taken as column " + std::to_string(taken) + ".";
    address = taken;
  }
  r.column_start = static_cast<std::uint8_t>(address);
  r.column = r.column_start;
  return note;
}

CommandNote set_column_low(const CommandCall& c, Registers& r) {
  return take_column_start((r.column_start & 0xF0) | (c.opcode & 0x0F), c.profile, r);
}

// A high nibble past the RAM loses its bit 3, as the SSD1306 drops it.
CommandNote set_column_high(const CommandCall& c, Registers& r) {
  int high = c.opcode & 0x0F;
  CommandNote note;
  const int last_column = c.profile.ram_columns - 1;
  if (high > last_column >> 4) {
    high &= 0x07;
    note = "Column high nibble command " + hex_byte(c.opcode) + " points past column " + std::to_string(last_column) +
           "; taken as " + hex_byte(0x10 | high) + ".";
  }
  CommandNote taken = take_column_start((high << 4) | (r.column_start & 0x0F), c.profile, r);
  return note ? note : taken;
}

CommandNote set_page(const CommandCall& c, Registers& r) {
  r.page = c.opcode & 0x07;
  return std::nullopt;
}

CommandNote set_undefined_page(const CommandCall& c, Registers& r) {
  set_page(c, r);
  return "Page command " + hex_byte(c.opcode) + " names no page; taken as page " + std::to_string(c.opcode & 0x07) +
         ".";
}

CommandNote set_start_line(const CommandCall& c, Registers& r) {
  r.start_line = c.opcode & 0x3F;
  return std::nullopt;
}

CommandNote set_addressing_mode(const CommandCall& c, Registers& r) {
  const Parameters& p = c.params;
  if ((p[0] & 0x03) == 0x03) return "Addressing mode " + hex_byte(p[0]) + " is invalid; mode unchanged.";
  r.addressing_mode = static_cast<AddressingMode>(p[0] & 0x03);
  return std::nullopt;
}

CommandNote set_column_range(const CommandCall& c, Registers& r) {
  const Parameters& p = c.params;
  r.column_range_start = p[0] & 0x7F;
  r.column_range_end = p[1] & 0x7F;
  r.column = r.column_range_start;
  if (r.column_range_start > r.column_range_end) {
    return "Column range " + hex_byte(p[0]) + ".." + hex_byte(p[1]) + " ends before it starts.";
  }
  return std::nullopt;
}

CommandNote set_page_range(const CommandCall& c, Registers& r) {
  const Parameters& p = c.params;
  r.page_range_start = p[0] & 0x07;
  r.page_range_end = p[1] & 0x07;
  r.page = r.page_range_start;
  if (r.page_range_start > r.page_range_end) {
    return "Page range " + hex_byte(p[0]) + ".." + hex_byte(p[1]) + " ends before it starts.";
  }
  return std::nullopt;
}

// The pages every scroll set-up names; a note when scrolling is already on.
CommandNote set_up_scroll_pages(const CommandCall& c, Registers& r) {
  const bool was_active = r.scroll.active;
  r.scroll.setup_command = c.opcode;
  r.scroll.start_page = c.params[1] & 0x07;
  r.scroll.end_page = c.params[3] & 0x07;
  if (was_active) return "Scroll set-up " + hex_byte(c.opcode) + " sent while scrolling is active.";
  return std::nullopt;
}

CommandNote set_up_horizontal_scroll(const CommandCall& c, Registers& r) {
  r.scroll.interval = c.params[2] & 0x07;
  return set_up_scroll_pages(c, r);
}

CommandNote set_up_diagonal_scroll(const CommandCall& c, Registers& r) {
  r.scroll.vertical_offset = c.params[4] & 0x3F;
  return set_up_horizontal_scroll(c, r);
}

CommandNote set_up_content_scroll(const CommandCall& c, Registers& r) {
  r.scroll.start_column = c.params[4] & 0x7F;
  r.scroll.end_column = c.params[5] & 0x7F;
  return set_up_scroll_pages(c, r);
}

CommandNote set_scrolling(const CommandCall& c, Registers& r) {
  r.scroll.active = (c.opcode & 0x01) != 0;
  return std::nullopt;
}

CommandNote set_scroll_area(const CommandCall& c, Registers& r) {
  r.scroll.fixed_rows = c.params[0] & 0x3F;
  r.scroll.scroll_rows = c.params[1] & 0x7F;
  return std::nullopt;
}

CommandNote set_charge_pump(const CommandCall& c, Registers& r) {
  r.charge_pump = (c.params[0] & 0x04) != 0;
  return std::nullopt;
}

CommandNote set_multiplex(const CommandCall& c, Registers& r) {
  const std::uint8_t ratio = c.params[0] & 0x3F;
  if (ratio < c.profile.min_multiplex) {
    return "Multiplex ratio " + hex_byte(c.params[0]) + " is below " + std::to_string(c.profile.min_multiplex) +
           "; ratio unchanged.";
  }
  r.multiplex = ratio;
  return std::nullopt;
}

// SH1106: 0x30-0x33.
CommandNote set_pump_voltage(const CommandCall& c, Registers& r) {
  r.pump_voltage = c.opcode & 0x03;
  return std::nullopt;
}

// SH1106: 0xAD 0x8B on, 0xAD 0x8A off.
CommandNote set_dc_dc(const CommandCall& c, Registers& r) {
  r.dc_dc = (c.params[0] & 0x01) != 0;
  if ((c.params[0] & 0xFE) == 0x8A) return std::nullopt;
  return "DC-DC control " + hex_byte(c.params[0]) + " is neither 0x8A nor 0x8B; taken as " + (r.dc_dc ? "on." : "off.");
}

// SH1106: 0xE0 keeps the column that 0xEE returns to.
CommandNote start_read_modify_write(const CommandCall&, Registers& r) {
  r.read_modify_write = true;
  r.read_modify_write_column = r.column;
  return std::nullopt;
}

CommandNote end_read_modify_write(const CommandCall&, Registers& r) {
  if (!r.read_modify_write) return std::string("Read-modify-write end (0xEE) without a start (0xE0) ignored.");
  r.read_modify_write = false;
  r.column = r.read_modify_write_column;
  return std::nullopt;
}

// SSD1309: 0xFD 0x16 locks, 0xFD 0x12 unlocks.
CommandNote set_command_lock(const CommandCall& c, Registers& r) {
  r.command_lock = (c.params[0] & 0x04) != 0;
  if ((c.params[0] & 0xFB) == 0x12) return std::nullopt;
  return "Command lock " + hex_byte(c.params[0]) + " is neither 0x12 nor 0x16; taken as " +
         (r.command_lock ? "locked." : "unlocked.");
}

// Values in a listing -------------------------------------------------------

std::string plain(std::uint8_t, const Params&) { return ""; }

std::string parameters(std::uint8_t, const Params& p) {
  std::string out;
  for (std::uint8_t b : p) out += " " + hex_byte(b);
  return out;
}

std::string low_nibble(std::uint8_t op, const Params&) { return " " + hex_byte(op & 0x0F); }
std::string start_line(std::uint8_t op, const Params&) { return " " + std::to_string(op & 0x3F); }
std::string page(std::uint8_t op, const Params&) { return " " + std::to_string(op & 0x07); }
std::string undefined_page(std::uint8_t op, const Params&) {
  return ", undefined (taken as page " + std::to_string(op & 0x07) + ")";
}

std::string pump_voltage(std::uint8_t op, const Params&) {
  static const char* const kVolts[] = {" 6.4 V", " 7.4 V", " 8.0 V", " 9.0 V"};
  return kVolts[op & 0x03];
}

std::string addressing_mode(std::uint8_t, const Params& p) {
  static const char* const kModes[] = {"horizontal", "vertical", "page", "invalid"};
  if (p.empty()) return "";
  return " " + hex_byte(p[0]) + " (" + kModes[p[0] & 0x03] + ")";
}

// "0-127": a range of the parameters' bits `Mask`.
template <std::uint8_t Mask>
std::string range(std::uint8_t op, const Params& p) {
  if (p.size() < 2) return parameters(op, p);
  return " " + std::to_string(p[0] & Mask) + "-" + std::to_string(p[1] & Mask);
}

// The parameters, then "(on)" or "(off)" by bit `Bit` of the first.
template <std::uint8_t Bit>
std::string on_off(std::uint8_t op, const Params& p) {
  if (p.empty()) return "";
  return parameters(op, p) + ((p[0] & Bit) != 0 ? " (on)" : " (off)");
}

std::string lock(std::uint8_t op, const Params& p) {
  if (p.empty()) return "";
  return parameters(op, p) + ((p[0] & 0x04) != 0 ? " (locked)" : " (unlocked)");
}

// The table ----------------------------------------------------------------

// Which controllers have a command: bit N for ControllerModel N.
constexpr std::uint8_t bit(ControllerModel m) { return static_cast<std::uint8_t>(1u << static_cast<unsigned>(m)); }
constexpr std::uint8_t k1306 = bit(ControllerModel::Ssd1306);
constexpr std::uint8_t kSh = bit(ControllerModel::Sh1106);
constexpr std::uint8_t k1309 = bit(ControllerModel::Ssd1309);
constexpr std::uint8_t k1315 = bit(ControllerModel::Ssd1315);
constexpr std::uint8_t kSsd = k1306 | k1309 | k1315;
constexpr std::uint8_t kPump = k1306 | k1315;  // the charge pump
constexpr std::uint8_t kAll = kSsd | kSh;

// Where two rows cover one opcode for different controllers, the first is the
// one a note names for a controller that has neither.
// clang-format off
constexpr Command kCommands[] = {
    {0x00, 0x0F, 0, kAll,  "lower column start nibble",             set_column_low,                                 low_nibble},
    {0x10, 0x1F, 0, kAll,  "upper column start nibble",             set_column_high,                                low_nibble},
    {0x20, 0x20, 1, kSsd,  "memory addressing mode",                set_addressing_mode,                            addressing_mode},
    {0x21, 0x21, 2, kSsd,  "column range",                          set_column_range,                               range<0x7F>},
    {0x22, 0x22, 2, kSsd,  "page range",                            set_page_range,                                 range<0x07>},
    {0x26, 0x26, 6, kSsd,  "horizontal scroll set-up (right)",      set_up_horizontal_scroll,                       parameters},
    {0x27, 0x27, 6, kSsd,  "horizontal scroll set-up (left)",       set_up_horizontal_scroll,                       parameters},
    {0x29, 0x2A, 5, kSsd,  "vertical and horizontal scroll set-up", set_up_diagonal_scroll,                         parameters},
    {0x2C, 0x2D, 6, kSsd,  "content scroll set-up",                 set_up_content_scroll,                          parameters},
    {0x2E, 0x2E, 0, kSsd,  "scroll off",                            set_scrolling,                                  plain},
    {0x2F, 0x2F, 0, kSsd,  "scroll on",                             set_scrolling,                                  plain},
    {0x30, 0x33, 0, kSh,   "pump voltage",                          set_pump_voltage,                               pump_voltage},
    {0x40, 0x7F, 0, kAll,  "display start line",                    set_start_line,                                 start_line},
    {0x81, 0x81, 1, kAll,  "contrast",                              store<&Registers::contrast>,                    parameters},
    {0x8D, 0x8D, 1, kPump, "charge pump",                           set_charge_pump,                                on_off<0x04>},
    {0xA0, 0xA0, 0, kAll,  "segment remap off",                     switch_by<&Registers::segment_remap, 0x01>,     plain},
    {0xA1, 0xA1, 0, kAll,  "segment remap on",                      switch_by<&Registers::segment_remap, 0x01>,     plain},
    {0xA3, 0xA3, 2, kSsd,  "vertical scroll area",                  set_scroll_area,                                parameters},
    {0xA4, 0xA4, 0, kAll,  "display follows RAM",                   switch_by<&Registers::entire_on, 0x01>,         plain},
    {0xA5, 0xA5, 0, kAll,  "entire display on",                     switch_by<&Registers::entire_on, 0x01>,         plain},
    {0xA6, 0xA6, 0, kAll,  "normal",                                switch_by<&Registers::inverse, 0x01>,           plain},
    {0xA7, 0xA7, 0, kAll,  "inverse",                               switch_by<&Registers::inverse, 0x01>,           plain},
    {0xA8, 0xA8, 1, kAll,  "multiplex ratio",                       set_multiplex,                                  parameters},
    {0xAD, 0xAD, 1, kSh,   "DC-DC control",                         set_dc_dc,                                      on_off<0x01>},
    {0xAD, 0xAD, 1, k1315, "internal reference current",            store<&Registers::iref>,                        parameters},
    {0xAE, 0xAE, 0, kAll,  "display off",                           switch_by<&Registers::display_on, 0x01>,        plain},
    {0xAF, 0xAF, 0, kAll,  "display on",                            switch_by<&Registers::display_on, 0x01>,        plain},
    {0xB0, 0xB7, 0, kAll,  "page start",                            set_page,                                       page},
    {0xB8, 0xBF, 0, kAll,  "page start",                            set_undefined_page,                             undefined_page},
    {0xC0, 0xC0, 0, kSsd,  "COM scan normal",                       switch_by<&Registers::com_scan_reversed, 0x08>, plain},
    {0xC0, 0xC7, 0, kSh,   "COM scan normal",                       switch_by<&Registers::com_scan_reversed, 0x08>, plain},
    {0xC8, 0xC8, 0, kSsd,  "COM scan reversed",                     switch_by<&Registers::com_scan_reversed, 0x08>, plain},
    {0xC8, 0xCF, 0, kSh,   "COM scan reversed",                     switch_by<&Registers::com_scan_reversed, 0x08>, plain},
    {0xD3, 0xD3, 1, kAll,  "display offset",                        store<&Registers::display_offset, 0x3F>,        parameters},
    {0xD5, 0xD5, 1, kAll,  "clock divide and oscillator",           store<&Registers::clock_div>,                   parameters},
    {0xD9, 0xD9, 1, kAll,  "pre-charge period",                     store<&Registers::precharge>,                   parameters},
    {0xDA, 0xDA, 1, kAll,  "COM pin configuration",                 store<&Registers::com_pins>,                    parameters},
    {0xDB, 0xDB, 1, kAll,  "VCOMH deselect level",                  store<&Registers::vcomh>,                       parameters},
    {0xE0, 0xE0, 0, kSh,   "read-modify-write start",               start_read_modify_write,                        plain},
    {0xE3, 0xE3, 0, kAll,  "no operation",                          nothing,                                        plain},
    {0xEE, 0xEE, 0, kSh,   "read-modify-write end",                 end_read_modify_write,                          plain},
    {0xFD, 0xFD, 1, k1309, "command lock",                          set_command_lock,                               lock},
};
// clang-format on

constexpr std::uint8_t kNone = 0xFF;
using RowIndex = std::array<std::uint8_t, 256>;

// Row of each opcode in kCommands for each controller, or kNone; `elsewhere`
// holds the first row of any controller.
struct Index {
  std::array<RowIndex, kControllerModels> of{};
  RowIndex elsewhere{};
};

constexpr Index kIndex = [] {
  Index index{};
  for (auto& rows : index.of) {
    for (auto& row : rows) row = kNone;
  }
  for (auto& row : index.elsewhere) row = kNone;
  for (std::size_t i = 0; i < std::size(kCommands); ++i) {
    for (int op = kCommands[i].first; op <= kCommands[i].last; ++op) {
      const auto o = static_cast<std::size_t>(op);
      for (std::size_t m = 0; m < kControllerModels; ++m) {
        if ((kCommands[i].controllers >> m) & 1) index.of[m][o] = static_cast<std::uint8_t>(i);
      }
      if (index.elsewhere[o] == kNone) index.elsewhere[o] = static_cast<std::uint8_t>(i);
    }
  }
  return index;
}();

// "memory addressing mode on the SSD1306": what `opcode` is on a controller
// that has it, or nothing.
std::optional<std::string> meaning_elsewhere(std::uint8_t opcode) {
  const std::uint8_t row = kIndex.elsewhere[opcode];
  if (row == kNone) return std::nullopt;
  const Command& command = kCommands[row];
  for (int m = 0; m < kControllerModels; ++m) {
    if ((command.controllers >> m) & 1) {
      return std::string(command.name) + " on the " + profile_of(static_cast<ControllerModel>(m)).name;
    }
  }
  return std::nullopt;
}

}  // namespace

const Command* find_command(const Profile& profile, std::uint8_t opcode) {
  const std::uint8_t row = kIndex.of[static_cast<std::size_t>(profile.model)][opcode];
  return row == kNone ? nullptr : &kCommands[row];
}

std::optional<int> command_parameter_count(const Profile& profile, std::uint8_t opcode) {
  if (const Command* command = find_command(profile, opcode)) return command->parameters;
  return std::nullopt;
}

std::string outside_set_note(const Profile& profile, std::uint8_t opcode) {
  const auto elsewhere = meaning_elsewhere(opcode);
  if (!elsewhere) return "Unknown command byte " + hex_byte(opcode) + " ignored.";
  return "Command byte " + hex_byte(opcode) + " (" + *elsewhere + ") is not in the " + profile.name +
         "'s set; ignored.";
}

std::string describe_command(const Profile& profile, std::uint8_t opcode, const std::vector<std::uint8_t>& params) {
  if (const Command* command = find_command(profile, opcode)) return command->name + command->show(opcode, params);
  if (const auto elsewhere = meaning_elsewhere(opcode)) {
    return std::string("not in the ") + profile.name + "'s set (" + *elsewhere + ")";
  }
  return "unknown command";
}

}  // namespace qel::emu
