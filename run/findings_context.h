// What every group of findings' checks shares: where the session is now (for
// the places they record) and the shape of the glass the picture lands on.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "emulator/controller.h"
#include "emulator/registers.h"
#include "run/events.h"
#include "run/finding.h"

namespace qel::run {

// A place taken on the hot path: its call's location is copied into a buffer
// that is reused from one mark to the next, so taking one allocates nothing.
struct Mark {
  std::uint64_t byte_index = 0;
  std::optional<std::uint64_t> time_ns;
  std::string call;

  Place place() const { return Place{byte_index, time_ns, call, false}; }
};

// Kept up to date by the findings' listener as events arrive.
struct Whereabouts {
  const RunClock* clock = nullptr;  // a capture's: places carry its time
  std::string call;                 // a script: the location of the call running now

  Place at(std::uint64_t byte_index) const { return Place{byte_index, time(), call, false}; }
  Place end(std::uint64_t bytes) const { return Place{bytes, time(), {}, true}; }
  void mark(Mark& m, std::uint64_t byte_index) const {
    m.byte_index = byte_index;
    m.time_ns = time();
    m.call.assign(call);
  }

 private:
  std::optional<std::uint64_t> time() const {
    if (clock != nullptr) return clock->now_ns();
    return std::nullopt;
  }
};

// The glass: its size, the first RAM column wired to it, and the COM pin
// configuration its rows are wired for (0xDA bit 4: alternative).
struct GlassShape {
  int width = emu::kColumns;
  int height = emu::kRows;
  int first_column = 0;
  int ram_columns = emu::kColumns;  // the controller's display RAM
  bool alternative_com_pins = true;

  // The glass `controller` drives.
  static GlassShape of(const emu::Controller& controller) {
    const emu::WiredGlass& wired = controller.glass();
    return GlassShape{wired.width, wired.height, wired.first_column, controller.profile().ram_columns,
                      wired.alternative_rows};
  }
  bool visible(int column) const { return column >= first_column && column < first_column + width; }
};

}  // namespace qel::run
