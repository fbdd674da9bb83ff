// Records the module's pins as an IEEE 1364 value change dump (VCD) that opens
// in GTKWave and PulseView. Subset written: one module scope, four one-bit
// wires (sclk, sdin, dc, res_n), scalar value changes, timescale 1 ns.
//
// Time is nominal, not measured: each pin write the module makes is stamped at
// the current time and takes `ns_per_write`; a module delay of ms milliseconds
// advances time by exactly that much, so the reset pulse shows at its length.
#pragma once

#include <array>
#include <cstdint>
#include <ostream>

#include "qel/pin_observer.h"

namespace qel::trace {

class VcdWriter : public PinObserver {
 public:
  static constexpr std::uint64_t kDefaultNsPerWrite = 100;

  // Throws std::invalid_argument if ns_per_write is 0 (edges would pile up).
  explicit VcdWriter(std::ostream& out, std::uint64_t ns_per_write = kDefaultNsPerWrite);

  void on_open(std::uint8_t pin) override;
  void on_write(std::uint8_t pin, std::uint8_t level) override;
  void on_delay(std::uint32_t ms) override;

  // Writes the header if nothing has happened yet and a last time stamp at the
  // current time, so viewers show the final levels, then flushes. Call once at the end.
  void finish();

 private:
  static constexpr std::size_t kSignalCount = 4;

  void start();
  void stamp();
  void emit(std::size_t signal);

  std::ostream& out_;
  std::uint64_t ns_per_write_;
  std::uint64_t now_ = 0;
  std::uint64_t last_stamp_ = 0;
  bool started_ = false;
  std::array<char, kSignalCount> value_{'x', 'x', 'x', 'x'};
};

}  // namespace qel::trace
