// The SSD1306 command set: one row per command, with its effect on the
// registers and its value in a listing beside it.
#include "emulator/command_set.h"

#include "common/text_format.h"

namespace qel::emu {
namespace {

using common::hex_byte;
using Params = std::vector<std::uint8_t>;

// Effects ------------------------------------------------------------------

// A register that takes the parameter byte (the bits `Mask` keeps).
template <std::uint8_t Registers::*Field, std::uint8_t Mask = 0xFF>
CommandNote store(std::uint8_t, const Parameters& p, Registers& r) {
  r.*Field = p[0] & Mask;
  return std::nullopt;
}

// A switch set by bit `Bit` of the opcode (0xA0/0xA1, 0xAE/0xAF, ...).
template <bool Registers::*Field, std::uint8_t Bit>
CommandNote switch_by(std::uint8_t op, const Parameters&, Registers& r) {
  r.*Field = (op & Bit) != 0;
  return std::nullopt;
}

CommandNote nothing(std::uint8_t, const Parameters&, Registers&) { return std::nullopt; }

CommandNote set_column_low(std::uint8_t op, const Parameters&, Registers& r) {
  r.column_start = static_cast<std::uint8_t>((r.column_start & 0x70) | (op & 0x0F));
  r.column = r.column_start;
  return std::nullopt;
}

CommandNote set_column_high(std::uint8_t op, const Parameters&, Registers& r) {
  const int high = op & 0x0F;
  r.column_start = static_cast<std::uint8_t>(((high & 0x07) << 4) | (r.column_start & 0x0F));
  r.column = r.column_start;
  if (high > 7) {
    return "Column high nibble command " + hex_byte(op) + " points past column 127; taken as " + hex_byte(op & 0x17) +
           ".";
  }
  return std::nullopt;
}

CommandNote set_page(std::uint8_t op, const Parameters&, Registers& r) {
  r.page = op & 0x07;
  return std::nullopt;
}

CommandNote set_undefined_page(std::uint8_t op, const Parameters& p, Registers& r) {
  set_page(op, p, r);
  return "Page command " + hex_byte(op) + " names no page; taken as page " + std::to_string(op & 0x07) + ".";
}

CommandNote set_start_line(std::uint8_t op, const Parameters&, Registers& r) {
  r.start_line = op & 0x3F;
  return std::nullopt;
}

CommandNote set_addressing_mode(std::uint8_t, const Parameters& p, Registers& r) {
  if ((p[0] & 0x03) == 0x03) return "Addressing mode " + hex_byte(p[0]) + " is invalid; mode unchanged.";
  r.addressing_mode = static_cast<AddressingMode>(p[0] & 0x03);
  return std::nullopt;
}

CommandNote set_column_range(std::uint8_t, const Parameters& p, Registers& r) {
  r.column_range_start = p[0] & 0x7F;
  r.column_range_end = p[1] & 0x7F;
  r.column = r.column_range_start;
  if (r.column_range_start > r.column_range_end) {
    return "Column range " + hex_byte(p[0]) + ".." + hex_byte(p[1]) + " ends before it starts.";
  }
  return std::nullopt;
}

CommandNote set_page_range(std::uint8_t, const Parameters& p, Registers& r) {
  r.page_range_start = p[0] & 0x07;
  r.page_range_end = p[1] & 0x07;
  r.page = r.page_range_start;
  if (r.page_range_start > r.page_range_end) {
    return "Page range " + hex_byte(p[0]) + ".." + hex_byte(p[1]) + " ends before it starts.";
  }
  return std::nullopt;
}

// The pages every scroll set-up names; a note when scrolling is already on.
CommandNote set_up_scroll_pages(std::uint8_t op, const Parameters& p, Registers& r) {
  const bool was_active = r.scroll.active;
  r.scroll.setup_command = op;
  r.scroll.start_page = p[1] & 0x07;
  r.scroll.end_page = p[3] & 0x07;
  if (was_active) return "Scroll set-up " + hex_byte(op) + " sent while scrolling is active.";
  return std::nullopt;
}

CommandNote set_up_horizontal_scroll(std::uint8_t op, const Parameters& p, Registers& r) {
  r.scroll.interval = p[2] & 0x07;
  return set_up_scroll_pages(op, p, r);
}

CommandNote set_up_diagonal_scroll(std::uint8_t op, const Parameters& p, Registers& r) {
  r.scroll.vertical_offset = p[4] & 0x3F;
  return set_up_horizontal_scroll(op, p, r);
}

CommandNote set_up_content_scroll(std::uint8_t op, const Parameters& p, Registers& r) {
  r.scroll.start_column = p[4] & 0x7F;
  r.scroll.end_column = p[5] & 0x7F;
  return set_up_scroll_pages(op, p, r);
}

CommandNote set_scrolling(std::uint8_t op, const Parameters&, Registers& r) {
  r.scroll.active = (op & 0x01) != 0;
  return std::nullopt;
}

CommandNote set_scroll_area(std::uint8_t, const Parameters& p, Registers& r) {
  r.scroll.fixed_rows = p[0] & 0x3F;
  r.scroll.scroll_rows = p[1] & 0x7F;
  return std::nullopt;
}

CommandNote set_charge_pump(std::uint8_t, const Parameters& p, Registers& r) {
  r.charge_pump = (p[0] & 0x04) != 0;
  return std::nullopt;
}

CommandNote set_multiplex(std::uint8_t, const Parameters& p, Registers& r) {
  if ((p[0] & 0x3F) < 15) return "Multiplex ratio " + hex_byte(p[0]) + " is below 15; ratio unchanged.";
  r.multiplex = p[0] & 0x3F;
  return std::nullopt;
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

// The table ----------------------------------------------------------------

// clang-format off
constexpr Command kCommands[] = {
    {0x00, 0x0F, 0, "lower column start nibble",             set_column_low,                            low_nibble},
    {0x10, 0x1F, 0, "upper column start nibble",             set_column_high,                           low_nibble},
    {0x20, 0x20, 1, "memory addressing mode",                set_addressing_mode,                       addressing_mode},
    {0x21, 0x21, 2, "column range",                          set_column_range,                          range<0x7F>},
    {0x22, 0x22, 2, "page range",                            set_page_range,                            range<0x07>},
    {0x26, 0x26, 6, "horizontal scroll set-up (right)",      set_up_horizontal_scroll,                  parameters},
    {0x27, 0x27, 6, "horizontal scroll set-up (left)",       set_up_horizontal_scroll,                  parameters},
    {0x29, 0x2A, 5, "vertical and horizontal scroll set-up", set_up_diagonal_scroll,                    parameters},
    {0x2C, 0x2D, 6, "content scroll set-up",                 set_up_content_scroll,                     parameters},
    {0x2E, 0x2E, 0, "scroll off",                            set_scrolling,                             plain},
    {0x2F, 0x2F, 0, "scroll on",                             set_scrolling,                             plain},
    {0x40, 0x7F, 0, "display start line",                    set_start_line,                            start_line},
    {0x81, 0x81, 1, "contrast",                              store<&Registers::contrast>,               parameters},
    {0x8D, 0x8D, 1, "charge pump",                           set_charge_pump,                           on_off<0x04>},
    {0xA0, 0xA0, 0, "segment remap off",                     switch_by<&Registers::segment_remap, 0x01>,     plain},
    {0xA1, 0xA1, 0, "segment remap on",                      switch_by<&Registers::segment_remap, 0x01>,     plain},
    {0xA3, 0xA3, 2, "vertical scroll area",                  set_scroll_area,                           parameters},
    {0xA4, 0xA4, 0, "display follows RAM",                   switch_by<&Registers::entire_on, 0x01>,         plain},
    {0xA5, 0xA5, 0, "entire display on",                     switch_by<&Registers::entire_on, 0x01>,         plain},
    {0xA6, 0xA6, 0, "normal",                                switch_by<&Registers::inverse, 0x01>,           plain},
    {0xA7, 0xA7, 0, "inverse",                               switch_by<&Registers::inverse, 0x01>,           plain},
    {0xA8, 0xA8, 1, "multiplex ratio",                       set_multiplex,                             parameters},
    {0xAE, 0xAE, 0, "display off",                           switch_by<&Registers::display_on, 0x01>,        plain},
    {0xAF, 0xAF, 0, "display on",                            switch_by<&Registers::display_on, 0x01>,        plain},
    {0xB0, 0xB7, 0, "page start",                            set_page,                                  page},
    {0xB8, 0xBF, 0, "page start",                            set_undefined_page,                        undefined_page},
    {0xC0, 0xC0, 0, "COM scan normal",                       switch_by<&Registers::com_scan_reversed, 0x08>, plain},
    {0xC8, 0xC8, 0, "COM scan reversed",                     switch_by<&Registers::com_scan_reversed, 0x08>, plain},
    {0xD3, 0xD3, 1, "display offset",                        store<&Registers::display_offset, 0x3F>,   parameters},
    {0xD5, 0xD5, 1, "clock divide and oscillator",           store<&Registers::clock_div>,              parameters},
    {0xD9, 0xD9, 1, "pre-charge period",                     store<&Registers::precharge>,              parameters},
    {0xDA, 0xDA, 1, "COM pin configuration",                 store<&Registers::com_pins>,               parameters},
    {0xDB, 0xDB, 1, "VCOMH deselect level",                  store<&Registers::vcomh>,                  parameters},
    {0xE3, 0xE3, 0, "no operation",                          nothing,                                   plain},
};
// clang-format on

constexpr std::uint8_t kNone = 0xFF;

// Row of each opcode in kCommands, or kNone.
constexpr std::array<std::uint8_t, 256> kRowOf = [] {
  std::array<std::uint8_t, 256> rows{};
  for (auto& row : rows) row = kNone;
  for (std::size_t i = 0; i < std::size(kCommands); ++i) {
    for (int op = kCommands[i].first; op <= kCommands[i].last; ++op)
      rows[static_cast<std::size_t>(op)] = static_cast<std::uint8_t>(i);
  }
  return rows;
}();

}  // namespace

const Command* find_command(std::uint8_t opcode) {
  const std::uint8_t row = kRowOf[opcode];
  return row == kNone ? nullptr : &kCommands[row];
}

std::optional<int> command_parameter_count(std::uint8_t opcode) {
  if (const Command* command = find_command(opcode)) return command->parameters;
  return std::nullopt;
}

std::string describe_command(std::uint8_t opcode, const std::vector<std::uint8_t>& params) {
  const Command* command = find_command(opcode);
  if (command == nullptr) return "unknown command";
  return command->name + command->show(opcode, params);
}

}  // namespace qel::emu
