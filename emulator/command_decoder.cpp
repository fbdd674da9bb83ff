// Command set of the SSD1306-type controller: parameter counts and the effect
// of each command on the registers.
#include "emulator/command_decoder.h"

#include <cassert>
#include <cstdio>

namespace qel::emu {

namespace {

std::string hex(std::uint8_t value) {
  char text[8];
  std::snprintf(text, sizeof text, "0x%02X", value);
  return text;
}

}  // namespace

std::optional<int> command_parameter_count(std::uint8_t opcode) {
  if (opcode <= 0x1F || (opcode >= 0x40 && opcode <= 0x7F) || (opcode >= 0xB0 && opcode <= 0xBF)) return 0;
  switch (opcode) {
    case 0x2E:
    case 0x2F:
    case 0xA0:
    case 0xA1:
    case 0xA4:
    case 0xA5:
    case 0xA6:
    case 0xA7:
    case 0xAE:
    case 0xAF:
    case 0xC0:
    case 0xC8:
    case 0xE3:
      return 0;
    case 0x20:
    case 0x81:
    case 0x8D:
    case 0xA8:
    case 0xD3:
    case 0xD5:
    case 0xD9:
    case 0xDA:
    case 0xDB:
      return 1;
    case 0x21:
    case 0x22:
    case 0xA3:
      return 2;
    case 0x29:
    case 0x2A:
      return 5;
    case 0x26:
    case 0x27:
    case 0x2C:
    case 0x2D:
      return 6;
    default:
      return std::nullopt;
  }
}

namespace {

// Commands without parameters.
std::optional<std::string> apply_single(std::uint8_t op, Registers& r) {
  if (op <= 0x0F) {
    r.column_start = static_cast<std::uint8_t>((r.column_start & 0x70) | op);
    r.column = r.column_start;
    return std::nullopt;
  }
  if (op <= 0x1F) {
    const int high = op & 0x0F;
    r.column_start = static_cast<std::uint8_t>(((high & 0x07) << 4) | (r.column_start & 0x0F));
    r.column = r.column_start;
    if (high > 7)
      return "Column high nibble command " + hex(op) + " points past column 127; taken as " + hex(op & 0x17) + ".";
    return std::nullopt;
  }
  if (op >= 0x40 && op <= 0x7F) {
    r.start_line = op & 0x3F;
    return std::nullopt;
  }
  if (op >= 0xB0 && op <= 0xBF) {
    r.page = op & 0x07;
    if (op >= 0xB8)
      return "Page command " + hex(op) + " names no page; taken as page " + std::to_string(op & 0x07) + ".";
    return std::nullopt;
  }
  switch (op) {
    case 0x2E:
      r.scroll.active = false;
      break;
    case 0x2F:
      r.scroll.active = true;
      break;
    case 0xA0:
    case 0xA1:
      r.segment_remap = op == 0xA1;
      break;
    case 0xA4:
    case 0xA5:
      r.entire_on = op == 0xA5;
      break;
    case 0xA6:
    case 0xA7:
      r.inverse = op == 0xA7;
      break;
    case 0xAE:
    case 0xAF:
      r.display_on = op == 0xAF;
      break;
    case 0xC0:
    case 0xC8:
      r.com_scan_reversed = op == 0xC8;
      break;
    case 0xE3:  // no operation
      break;
    default:
      assert(false && "opcode without parameters not handled");
  }
  return std::nullopt;
}

std::optional<std::string> apply_scroll_setup(std::uint8_t op, const std::array<std::uint8_t, 6>& p, Registers& r) {
  const bool was_active = r.scroll.active;
  ScrollSettings& s = r.scroll;
  s.setup_command = op;
  s.start_page = p[1] & 0x07;
  s.end_page = p[3] & 0x07;
  if (op == 0x2C || op == 0x2D) {
    s.start_column = p[4] & 0x7F;
    s.end_column = p[5] & 0x7F;
  } else {
    s.interval = p[2] & 0x07;
    if (op == 0x29 || op == 0x2A) s.vertical_offset = p[4] & 0x3F;
  }
  if (was_active) return "Scroll set-up " + hex(op) + " sent while scrolling is active.";
  return std::nullopt;
}

// Commands with parameters, once all of them have arrived.
std::optional<std::string> apply_with_parameters(std::uint8_t op, const std::array<std::uint8_t, 6>& p, Registers& r) {
  switch (op) {
    case 0x20:
      if ((p[0] & 0x03) == 0x03) return "Addressing mode " + hex(p[0]) + " is invalid; mode unchanged.";
      r.addressing_mode = static_cast<AddressingMode>(p[0] & 0x03);
      return std::nullopt;
    case 0x21:
      r.column_range_start = p[0] & 0x7F;
      r.column_range_end = p[1] & 0x7F;
      r.column = r.column_range_start;
      if (r.column_range_start > r.column_range_end)
        return "Column range " + hex(p[0]) + ".." + hex(p[1]) + " ends before it starts.";
      return std::nullopt;
    case 0x22:
      r.page_range_start = p[0] & 0x07;
      r.page_range_end = p[1] & 0x07;
      r.page = r.page_range_start;
      if (r.page_range_start > r.page_range_end)
        return "Page range " + hex(p[0]) + ".." + hex(p[1]) + " ends before it starts.";
      return std::nullopt;
    case 0x26:
    case 0x27:
    case 0x29:
    case 0x2A:
    case 0x2C:
    case 0x2D:
      return apply_scroll_setup(op, p, r);
    case 0x81:
      r.contrast = p[0];
      return std::nullopt;
    case 0x8D:
      r.charge_pump = (p[0] & 0x04) != 0;
      return std::nullopt;
    case 0xA3:
      r.scroll.fixed_rows = p[0] & 0x3F;
      r.scroll.scroll_rows = p[1] & 0x7F;
      return std::nullopt;
    case 0xA8:
      if ((p[0] & 0x3F) < 15) return "Multiplex ratio " + hex(p[0]) + " is below 15; ratio unchanged.";
      r.multiplex = p[0] & 0x3F;
      return std::nullopt;
    case 0xD3:
      r.display_offset = p[0] & 0x3F;
      return std::nullopt;
    case 0xD5:
      r.clock_div = p[0];
      return std::nullopt;
    case 0xD9:
      r.precharge = p[0];
      return std::nullopt;
    case 0xDA:
      r.com_pins = p[0];
      return std::nullopt;
    case 0xDB:
      r.vcomh = p[0];
      return std::nullopt;
    default:
      assert(false && "opcode with parameters not handled");
      return std::nullopt;
  }
}

}  // namespace

std::optional<std::string> CommandDecoder::command(std::uint8_t byte, Registers& regs) {
  if (needed_ > 0) {
    params_[static_cast<std::size_t>(received_++)] = byte;
    if (--needed_ > 0) return std::nullopt;
    return apply_with_parameters(opcode_, params_, regs);
  }
  const auto count = command_parameter_count(byte);
  if (!count) return "Unknown command byte " + hex(byte) + " ignored.";
  if (*count == 0) return apply_single(byte, regs);
  opcode_ = byte;
  needed_ = *count;
  received_ = 0;
  return std::nullopt;
}

std::optional<std::string> CommandDecoder::data() {
  if (needed_ == 0) return std::nullopt;
  const int total = received_ + needed_;
  needed_ = 0;
  return "Command " + hex(opcode_) + " cut short by a data byte after " + std::to_string(received_) + " of " +
         std::to_string(total) + " parameter bytes; command dropped.";
}

}  // namespace qel::emu
