// What each call cost on the wire: command and data bytes, pin writes, nominal
// delay, and the wire time estimated from a fixed time per pin write.
#pragma once

#include <cstdint>
#include <ostream>
#include <string>
#include <vector>

#include "emulator/wire.h"
#include "qel/pin_observer.h"

namespace qel::tool {

struct WireCounts {
  std::uint64_t command_bytes = 0;
  std::uint64_t data_bytes = 0;
  std::uint64_t pin_writes = 0;
  std::uint64_t delay_ms = 0;

  WireCounts& operator+=(const WireCounts& o) {
    command_bytes += o.command_bytes;
    data_bytes += o.data_bytes;
    pin_writes += o.pin_writes;
    delay_ms += o.delay_ms;
    return *this;
  }
};

// Counts pin writes and module delays as they happen.
class PinTally : public PinObserver {
 public:
  void on_open(std::uint8_t) override {}
  void on_write(std::uint8_t, std::uint8_t) override { ++pin_writes_; }
  void on_delay(std::uint32_t ms) override { delay_ms_ += ms; }

  std::uint64_t pin_writes() const { return pin_writes_; }
  std::uint64_t delay_ms() const { return delay_ms_; }

 private:
  std::uint64_t pin_writes_ = 0;
  std::uint64_t delay_ms_ = 0;
};

// Adds the command and data bytes of bytes[from, to) to `counts`.
void count_bytes(const std::vector<emu::WireByte>& bytes, std::size_t from, std::size_t to, WireCounts& counts);

struct CallCost {
  std::string call;  // the call as written
  WireCounts counts;
};

// The costs table written as the calls go: a header, one row per call, and a
// total row. Wire time is pin writes times `pin_write_ns` plus the delays.
class StatsTable {
 public:
  StatsTable(std::ostream& out, std::uint64_t pin_write_ns) : out_(out), pin_write_ns_(pin_write_ns) {}
  void row(const std::string& call, const WireCounts& counts);
  void total();  // once, at the end

 private:
  void header();

  std::ostream& out_;
  std::uint64_t pin_write_ns_;
  bool started_ = false;
  WireCounts total_;
};

// The whole table at once.
void write_stats(std::ostream& out, const std::vector<CallCost>& calls, std::uint64_t pin_write_ns);

}  // namespace qel::tool
