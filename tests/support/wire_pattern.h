// Pin observer shared by the tests and the fuzz harness: holds the module to its
// 25-write byte pattern (select, then eight times clock low, data, clock high),
// decodes the bytes with the controller's own serial decoder, and keeps every
// pin event in order. A broken pattern goes to the handler given at construction
// (a test failure, or an exception that stops a fuzz run); gtest-free.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "emulator/serial_interface.h"
#include "qel/pin_observer.h"

namespace qel::test {

using emu::WireByte;

// One thing that happened on the wire, in order.
struct WireEvent {
  enum class Kind : std::uint8_t { Open, Write, Delay, Byte };
  Kind kind;
  std::uint8_t pin = 0;    // Open, Write: DIO number
  std::uint8_t level = 0;  // Write
  std::uint32_t ms = 0;    // Delay
  WireByte byte;           // Byte
  friend bool operator==(const WireEvent& a, const WireEvent& b) {
    return a.kind == b.kind && a.pin == b.pin && a.level == b.level && a.ms == b.ms && a.byte == b.byte;
  }
};

class WirePattern : public PinObserver {
 public:
  // `broken` hears "byte #N, write S of 25: what went wrong"; if it returns, the
  // byte in progress is dropped. More than `max_bytes` bytes since clear() is
  // broken too (0: no limit), so that a runaway loop ends.
  explicit WirePattern(std::function<void(const std::string&)> broken, std::size_t max_bytes = 0)
      : broken_(std::move(broken)), max_bytes_(max_bytes) {}

  void on_open(std::uint8_t pin) override;
  void on_write(std::uint8_t pin, std::uint8_t level) override;
  void on_delay(std::uint32_t ms) override;

  // Reports a byte left unfinished.
  void expect_between_bytes();
  // Decoded bytes since clear(), after expect_between_bytes().
  std::vector<WireByte> bytes();
  const std::vector<WireEvent>& events() const { return events_; }
  std::size_t pin_writes() const { return pin_writes_; }
  // Forgets what was seen, not the line levels or a byte in progress.
  void clear();

 private:
  void fail(const std::string& what);

  std::function<void(const std::string&)> broken_;
  std::size_t max_bytes_;
  emu::SerialInterface serial_;
  std::vector<WireEvent> events_;
  std::size_t pin_writes_ = 0;
  std::size_t byte_count_ = 0;
  int step_ = 0;  // 0: between bytes; 1..24: writes of the current byte so far
};

}  // namespace qel::test
