// The controllers of the SSD1306 family as data: what sets one apart from the
// others besides its command set (command_set.cpp has a column saying which
// controllers have each command). Values come from each controller's public
// datasheet; controller.h lists what is modelled for each.
#pragma once

#include <cstdint>
#include <optional>
#include <string_view>

namespace qel::emu {

enum class ControllerModel : std::uint8_t { Ssd1306, Sh1106, Ssd1309, Ssd1315 };
inline constexpr int kControllerModels = 4;

// What powers the panel's drive voltage.
enum class PowerCircuit : std::uint8_t {
  ChargePump,  // 0x8D, off after reset: the picture stays dark until 0x8D 0x14
  DcDc,        // 0xAD 0x8A/0x8B, on after reset (SH1106)
  External,    // the board's own supply; no command (SSD1309)
};

// Register values after reset that differ between the controllers.
struct ResetValues {
  std::uint8_t contrast;   // 0x81
  std::uint8_t clock_div;  // 0xD5
  std::uint8_t precharge;  // 0xD9
  std::uint8_t vcomh;      // 0xDB
};

// The shortest times the controller takes on its inputs.
struct InputLimits {
  std::uint64_t reset_pulse_ns;
  std::uint64_t clock_period_ns;  // 4-wire and 3-wire serial: the fastest clock
  std::uint64_t clock_phase_ns;   // serial clock high and low
  std::uint64_t i2c_clock_period_ns;
};

struct Profile {
  ControllerModel model;
  const char* name;            // "SSD1306", as messages name it
  const char* option;          // "ssd1306", as the command line names it
  int ram_columns;             // display RAM columns: 128, or 132 on the SH1106
  std::uint8_t min_multiplex;  // the lowest ratio 0xA8 takes, minus one
  bool com_left_right_remap;   // 0xDA bit 5 swaps the COM halves
  PowerCircuit power;
  ResetValues reset;
  InputLimits limits;
  int usual_first_column;  // the RAM column at the left edge of a usual 128-wide glass
};

const Profile& profile_of(ControllerModel model);

// The model a command line names ("sh1106"), or nothing.
std::optional<ControllerModel> model_named(std::string_view option);

}  // namespace qel::emu
