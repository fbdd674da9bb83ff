// The controller's register file, one field per datasheet register, and its
// reset values.
#pragma once

#include <cstdint>

#include "emulator/profile.h"

namespace qel::emu {

inline constexpr int kPages = 8;
inline constexpr int kColumns = 128;     // the SSD1306's RAM width, and the 0x21 range's
inline constexpr int kMaxColumns = 132;  // the widest RAM of the family (SH1106)
inline constexpr int kRows = kPages * 8;

enum class AddressingMode : std::uint8_t { Horizontal = 0, Vertical = 1, Page = 2 };

// Scrolling is recorded, not animated: these fields hold what the last scroll
// commands asked for.
struct ScrollSettings {
  bool active = false;             // 0x2F activate, 0x2E deactivate
  std::uint8_t setup_command = 0;  // the last of 0x26, 0x27, 0x29, 0x2A, 0x2C, 0x2D (0: none yet)
  std::uint8_t start_page = 0;
  std::uint8_t end_page = 0;
  std::uint8_t interval = 0;         // frame interval code, 0..7
  std::uint8_t vertical_offset = 0;  // 0x29/0x2A only
  std::uint8_t start_column = 0;     // 0x2C/0x2D only
  std::uint8_t end_column = 0;       // 0x2C/0x2D only
  std::uint8_t fixed_rows = 0;       // 0xA3: rows above the vertical scroll area
  std::uint8_t scroll_rows = 0;      // 0xA3: rows in the vertical scroll area
};

struct Registers {
  explicit Registers(const Profile& profile = profile_of(ControllerModel::Ssd1306)) { reset(profile); }
  // Returns every register to the controller's reset value.
  void reset(const Profile& profile);

  // Fundamental commands.
  bool display_on;        // 0xAE / 0xAF
  std::uint8_t contrast;  // 0x81
  bool inverse;           // 0xA6 / 0xA7
  bool entire_on;         // 0xA4 (follow RAM) / 0xA5 (all pixels on)

  // Hardware configuration.
  std::uint8_t multiplex;       // 0xA8: ratio minus one, 15..63
  std::uint8_t display_offset;  // 0xD3: 0..63
  std::uint8_t start_line;      // 0x40-0x7F: 0..63
  bool segment_remap;           // 0xA0 / 0xA1: column 127 drives SEG0
  bool com_scan_reversed;       // 0xC0 / 0xC8: scan COM[N-1] down to COM0
  std::uint8_t com_pins;        // 0xDA

  // Timing and driving scheme.
  std::uint8_t clock_div;     // 0xD5: divide ratio (low nibble), oscillator (high nibble)
  std::uint8_t precharge;     // 0xD9: phase 1 (low nibble), phase 2 (high nibble)
  std::uint8_t vcomh;         // 0xDB
  bool charge_pump;           // 0x8D, bit 2 of the parameter (SSD1306, SSD1315)
  bool dc_dc;                 // SH1106: 0xAD, bit 0 of the parameter (0x8B on, 0x8A off)
  std::uint8_t pump_voltage;  // SH1106: 0x30-0x33, the low two bits
  std::uint8_t iref;          // SSD1315: 0xAD, internal reference current selection
  bool command_lock;          // SSD1309: 0xFD, bit 2 of the parameter (0x16 locked, 0x12 not)

  // Addressing.
  AddressingMode addressing_mode;         // 0x20
  std::uint8_t page;                      // write pointer: page
  std::uint8_t column;                    // write pointer: column
  std::uint8_t column_start;              // 0x00-0x1F: page mode column start address
  bool read_modify_write;                 // SH1106: between 0xE0 and 0xEE
  std::uint8_t read_modify_write_column;  // SH1106: the column 0xEE returns to
  std::uint8_t column_range_start;        // 0x21, horizontal and vertical modes
  std::uint8_t column_range_end;
  std::uint8_t page_range_start;  // 0x22, horizontal and vertical modes
  std::uint8_t page_range_end;

  ScrollSettings scroll;
};

// Whether the panel's drive voltage is up: the charge pump or DC-DC converter
// is on, or the supply is the board's own.
bool drive_voltage_on(const Profile& profile, const Registers& r);

}  // namespace qel::emu
