// Findings about which controller the firmware was written for: command bytes
// the emulated controller does not have, and hints that agree on another
// controller of the family (commands only an SSD1306 has, sent to an SH1106
// with pages written from left of its glass; pages of 130 to 132 bytes sent to
// a controller with 128 RAM columns).
#pragma once

#include <cstdint>
#include <optional>
#include <vector>

#include "emulator/controller.h"
#include "run/finding.h"
#include "run/findings_context.h"
#include "run/findings_writes.h"

namespace qel::run {

class ControllerChecks {
 public:
  explicit ControllerChecks(const Whereabouts& where) : where_(where) {}

  // After each command byte the controller took: `value` at `index`.
  void on_command(const emu::Controller& controller, std::uint8_t value, std::uint64_t index);
  void conclude(const emu::Controller& controller, const GlassShape& glass, const WriteChecks::RunFacts& runs,
                std::uint64_t bytes, std::vector<Finding>& out) const;

 private:
  const Whereabouts& where_;
  std::uint64_t outside_ = 0;  // command bytes outside the set, as last seen
  std::optional<Place> first_outside_;
  std::optional<Place> first_ssd1306_only_;  // addressing, scrolling or charge pump sent to an SH1106
};

}  // namespace qel::run
