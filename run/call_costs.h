// What each call cost on the wire, as a table written as the calls go: a
// header, one row per call (command and data bytes, pin writes, the module's
// delay, wire time), and a total row. Wire time is pin writes times the
// nominal time of one pin write, plus the delays.
#pragma once

#include <cstdint>
#include <ostream>
#include <string>

#include "run/events.h"

namespace qel::run {

class CallCosts : public Listener {
 public:
  CallCosts(std::ostream& out, std::uint64_t pin_write_ns) : out_(out), pin_write_ns_(pin_write_ns) {}

  void on_call_begin(const CallInfo& call) override;
  LineSet pin_lines() const override { return kAllLines; }
  void on_pin(const PinEvent& pin) override;
  void on_delay(std::uint32_t ms, std::uint64_t time_ns) override;
  void on_byte(const emu::WireByte& byte, std::uint64_t index) override;
  void on_call_end(const CallInfo& call) override;
  // Writes the total row.
  void on_finish() override;

 private:
  void header();
  void row(std::string name, const view::Costs& costs);

  std::ostream& out_;
  std::uint64_t pin_write_ns_;
  bool started_ = false;
  view::Costs call_;  // of the call running now
  view::Costs total_;
};

}  // namespace qel::run
