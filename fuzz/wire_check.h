// Pin observer for the fuzz harness: holds the module to the 25-write byte pattern
// (select, then eight times clock low, data, clock high), decodes bytes with the
// controller's own serial decoder, and stops a call that sends more bytes than
// any call can.
//
// A broken pattern throws Broken from inside the pin write, so a runaway
// loop in the module ends at the cap instead of hanging.
#pragma once

#include <cstddef>
#include <cstdint>
#include <stdexcept>
#include <string>
#include <vector>

#include "qel/pin_observer.h"
#include "serial_interface.h"

namespace qel::fuzz {

// The longest call: a start-up sends 1079 bytes, a line of 255 drawn characters 2426.
inline constexpr std::size_t kMaxBytesPerCall = 4096;

struct Broken : std::runtime_error {
  using std::runtime_error::runtime_error;
};

// A pin event outside any byte: an open, a lone write or a delay.
struct LooseEvent {
  enum class Kind : std::uint8_t { Open, Write, Delay };
  Kind kind;
  std::uint8_t pin = 0;
  std::uint8_t level = 0;
  std::uint32_t ms = 0;
  std::size_t bytes_before = 0;  // bytes of the call completed before it
  friend bool operator==(const LooseEvent& a, const LooseEvent& b) {
    return a.kind == b.kind && a.pin == b.pin && a.level == b.level && a.ms == b.ms && a.bytes_before == b.bytes_before;
  }
};

class WireCheck : public PinObserver {
 public:
  void on_open(std::uint8_t pin) override;
  void on_write(std::uint8_t pin, std::uint8_t level) override;
  void on_delay(std::uint32_t ms) override;

  // Forgets what the previous call sent.
  void begin_call();
  // Throws Broken when the call left a byte unfinished.
  void end_call() const;

  const std::vector<sim::WireByte>& bytes() const { return bytes_; }
  const std::vector<LooseEvent>& loose() const { return loose_; }
  std::size_t pin_writes() const { return pin_writes_; }

 private:
  [[noreturn]] void fail(const std::string& what) const;

  sim::SerialInterface serial_;
  int step_ = 0;  // 0: between bytes; 1..24: writes of the current byte so far
  std::vector<sim::WireByte> bytes_;
  std::vector<LooseEvent> loose_;
  std::size_t pin_writes_ = 0;
};

}  // namespace qel::fuzz
