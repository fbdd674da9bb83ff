// Test-side pin observer: checks that every byte is the module's 25-write pattern
// (select, then eight times clock low, data, clock high) and decodes the stream
// into command and data bytes with the controller's own serial decoder.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "qel/pin_observer.h"
#include "serial_interface.h"

namespace qel::test {

using sim::WireByte;

// One thing that happened on the wire, in order.
struct WireEvent {
  enum class Kind { Open, Write, Delay, Byte };
  Kind kind;
  std::uint8_t pin = 0;    // Open, Write: DIO number
  std::uint8_t level = 0;  // Write
  std::uint32_t ms = 0;    // Delay
  WireByte byte;           // Byte
};

class WireRecorder : public PinObserver {
 public:
  void on_open(std::uint8_t pin) override;
  void on_write(std::uint8_t pin, std::uint8_t level) override;
  void on_delay(std::uint32_t ms) override;

  // Decoded bytes so far; a byte left unfinished is a test failure.
  std::vector<WireByte> bytes() const;
  // Everything in order: opens, writes outside bytes, delays, and whole bytes.
  const std::vector<WireEvent>& events() const { return events_; }
  std::size_t pin_writes() const { return pin_writes_; }
  void clear();

 private:
  void fail(const std::string& what);

  sim::SerialInterface serial_;
  std::vector<WireEvent> events_;
  std::size_t pin_writes_ = 0;
  std::size_t byte_index_ = 0;  // bytes completed so far
  int step_ = 0;                // 0: between bytes; 1..24: writes of the current byte
};

// Shorthands for expected streams.
inline WireByte cmd(std::uint8_t v) { return WireByte{v, false}; }
inline WireByte dat(std::uint8_t v) { return WireByte{v, true}; }
std::string to_string(const WireByte& b);
// "C B2 C 01 ..." for readable failure output.
std::string to_string(const std::vector<WireByte>& bytes);

}  // namespace qel::test
