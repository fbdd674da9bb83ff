// The family's profiles, from the controllers' public datasheets.
#include "emulator/profile.h"

#include <array>

namespace qel::emu {
namespace {

// clang-format off
constexpr std::array<Profile, kControllerModels> kProfiles = {{
    // model                    name       option     RAM  mux COM remap  power
    //   reset: contrast clock pre-charge VCOMH     limits: reset, clock period, clock phase, I2C period
    {ControllerModel::Ssd1306, "SSD1306", "ssd1306", 128, 15, true,  PowerCircuit::ChargePump,
     {0x7F, 0x80, 0x22, 0x20}, {3000,  100, 20,  2500}, 0},
    {ControllerModel::Sh1106,  "SH1106",  "sh1106",  132,  0, false, PowerCircuit::DcDc,
     {0x80, 0x50, 0x22, 0x35}, {10000, 250, 100, 2500}, 2},
    {ControllerModel::Ssd1309, "SSD1309", "ssd1309", 128, 15, true,  PowerCircuit::External,
     {0x7F, 0x70, 0x22, 0x34}, {3000,  100, 20,  2500}, 0},
    {ControllerModel::Ssd1315, "SSD1315", "ssd1315", 128, 15, true,  PowerCircuit::ChargePump,
     {0x7F, 0x80, 0x22, 0x20}, {3000,  100, 20,  2500}, 0},
}};
// clang-format on

}  // namespace

const Profile& profile_of(ControllerModel model) { return kProfiles[static_cast<std::size_t>(model)]; }

std::optional<ControllerModel> model_named(std::string_view option) {
  for (const Profile& p : kProfiles) {
    if (option == p.option) return p.model;
  }
  return std::nullopt;
}

}  // namespace qel::emu
