#include "wire_check.h"

#include "board.h"

namespace qel::fuzz {

void WireCheck::fail(const std::string& what) const {
  throw Broken("byte #" + std::to_string(bytes_.size()) + ", write " + std::to_string(step_) + " of 25: " + what);
}

void WireCheck::on_open(std::uint8_t pin) {
  if (step_ != 0) fail("PIN_open of DIO " + std::to_string(pin) + " inside a byte");
  loose_.push_back({LooseEvent::Kind::Open, pin, 0, 0, bytes_.size()});
  if (auto line = sim::line_of_dio(pin)) serial_.set(*line, false);
}

void WireCheck::on_write(std::uint8_t pin, std::uint8_t level) {
  ++pin_writes_;
  const auto line = sim::line_of_dio(pin);
  if (!line) fail("write to DIO " + std::to_string(pin) + ", which is not wired to the controller");
  const auto outcome = serial_.set(*line, level != 0);

  if (step_ == 0) {
    if (pin == sim::kDioDataCommand) {
      step_ = 1;  // the select write opens a byte
    } else {
      loose_.push_back({LooseEvent::Kind::Write, pin, level, 0, bytes_.size()});
    }
    return;
  }
  const int phase = (step_ - 1) % 3;  // clock low, data, clock high
  const bool in_pattern = (phase == 0 && pin == sim::kDioClock && level == 0) || (phase == 1 && pin == sim::kDioData) ||
                          (phase == 2 && pin == sim::kDioClock && level == 1);
  if (!in_pattern) fail("DIO " + std::to_string(pin) + " = " + std::to_string(level) + " out of the pattern");
  if (++step_ < 25) return;
  if (outcome != sim::SerialInterface::Outcome::Byte) fail("the 8th rising clock edge did not complete a byte");
  step_ = 0;
  bytes_.push_back(serial_.byte());
  if (bytes_.size() > kMaxBytesPerCall) fail("more than " + std::to_string(kMaxBytesPerCall) + " bytes in one call");
}

void WireCheck::on_delay(std::uint32_t ms) {
  if (step_ != 0) fail("delay inside a byte");
  loose_.push_back({LooseEvent::Kind::Delay, 0, 0, ms, bytes_.size()});
}

void WireCheck::begin_call() {
  bytes_.clear();
  loose_.clear();
  pin_writes_ = 0;
}

void WireCheck::end_call() const {
  if (step_ != 0) fail("byte left unfinished when the call returned");
}

}  // namespace qel::fuzz
