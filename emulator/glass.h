// The glass a controller drives: how many segment columns and COM rows are
// wired to it, and which. A glass is wired for one COM pin configuration
// (0xDA): the one a correct start-up for it sends. Its first column is the RAM
// column at its left edge in the usual mounting (segment remap on, 0xA1).
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "emulator/profile.h"

namespace qel::emu {

inline constexpr int kMaxGlassHeight = 64;  // COM0..COM63

struct Glass {
  int width = 128;
  int height = 64;
  std::optional<int> first_column;  // nothing: the controller's usual (2 on the SH1106, else 0)
};

// Sizes users have, with the settings a correct start-up sends for each.
struct KnownGlass {
  int width, height;
  int first_column;        // on a 128-column controller
  std::uint8_t multiplex;  // 0xA8
  std::uint8_t com_pins;   // 0xDA
};

inline constexpr KnownGlass kKnownGlasses[] = {
    {128, 64, 0, 0x3F, 0x12}, {128, 32, 0, 0x1F, 0x02}, {96, 16, 0, 0x0F, 0x02},
    {64, 48, 32, 0x2F, 0x12}, {72, 40, 28, 0x27, 0x12}, {64, 32, 32, 0x1F, 0x12},
};

// A glass with every choice made for `profile`'s controller.
struct WiredGlass {
  int width, height;
  int first_column;
  bool alternative_rows;  // wired for the alternative COM pin configuration (0xDA 0x12), else sequential (0x02)
};

// The COM pin configuration a glass is wired for: the one kKnownGlasses gives
// its size, else the reset value 0x12.
std::uint8_t wired_com_pins(int width, int height);

// "128x64", "64x48+32": the glass a command line names, or nothing.
std::optional<Glass> parse_glass(std::string_view text);

// Why the glass cannot sit on `profile`'s controller (a size out of range, or
// columns past its RAM), as the end of a sentence; nothing when it can.
std::optional<std::string> glass_misfit(const Glass& glass, const Profile& profile);

// The glass as wired to `profile`'s controller; it must fit (glass_misfit).
WiredGlass wire_glass(const Glass& glass, const Profile& profile);

// The panel a user names: a controller ("sh1106"; empty: the SSD1306) and a
// glass ("128x32", "64x48+32"; empty: 128 x 64). Sets both in `model` and
// `glass`; on a mistake returns what is wrong, to follow the name quoted
// ("is not WxH or WxH+C, e.g. 128x32 or 64x48+32"), and changes nothing.
struct PanelChoice {
  std::optional<std::string> controller_mistake;
  std::optional<std::string> glass_mistake;
  explicit operator bool() const { return !controller_mistake && !glass_mistake; }
};
PanelChoice choose_panel(std::string_view controller, std::string_view glass_text, ControllerModel& model,
                         Glass& glass);

}  // namespace qel::emu
