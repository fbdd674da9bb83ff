// Findings about the controller's settings as they stand at the end of a
// session: a display never turned on, no drive voltage (the charge pump or the
// DC-DC converter off), a contrast of 0, entire
// display on, inverse, and a multiplex ratio or COM pin configuration that does
// not fit the glass. Each setting's last change is remembered, to say where it
// was made.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <vector>

#include "emulator/registers.h"
#include "run/finding.h"
#include "run/findings_context.h"

namespace qel::run {

class StateChecks {
 public:
  explicit StateChecks(const Whereabouts& where) : where_(where) {}

  void start(const emu::Profile& profile, const emu::Registers& registers);
  // After each command byte the controller took, with its index.
  void on_command(const emu::Registers& registers, std::uint64_t index);
  // The findings as the settings stand now; `bytes`: all bytes so far.
  void conclude(const emu::Registers& registers, const GlassShape& glass, std::uint64_t bytes,
                std::vector<Finding>& out) const;

 private:
  enum Setting { kDisplayOn, kDriveVoltage, kContrast, kEntireOn, kInverse, kMultiplex, kComPins, kSettings };
  using Values = std::array<std::uint8_t, kSettings>;
  Values values_of(const emu::Registers& registers) const;

  const Whereabouts& where_;
  const emu::Profile* profile_ = &emu::profile_of(emu::ControllerModel::Ssd1306);
  Values last_{};
  std::array<std::optional<Place>, kSettings> changed_;  // where each setting last changed
  bool ever_on_ = false;
};

}  // namespace qel::run
