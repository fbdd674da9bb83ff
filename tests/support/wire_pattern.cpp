#include "wire_pattern.h"

#include "emulator/board.h"

namespace qel::test {

void WirePattern::fail(const std::string& what) {
  broken_("byte #" + std::to_string(byte_count_) + ", write " + std::to_string(step_) + " of 25: " + what);
  step_ = 0;
}

void WirePattern::on_open(std::uint8_t pin) {
  if (step_ != 0) fail("PIN_open of DIO " + std::to_string(pin) + " inside a byte");
  events_.push_back({WireEvent::Kind::Open, pin, 0, 0, {}});
  if (auto line = emu::line_of_dio(pin)) serial_.set(*line, false);
}

void WirePattern::on_write(std::uint8_t pin, std::uint8_t level) {
  ++pin_writes_;
  const auto line = emu::line_of_dio(pin);
  if (!line) return fail("write to DIO " + std::to_string(pin) + ", which is not wired to the controller");
  const auto outcome = serial_.set(*line, level != 0);

  if (step_ == 0) {
    if (pin == emu::kDioDataCommand) {
      step_ = 1;  // the select write opens a byte
    } else {
      events_.push_back({WireEvent::Kind::Write, pin, level, 0, {}});
    }
    return;
  }
  static const char* const kExpected[] = {"clock low", "data", "clock high"};
  const int phase = (step_ - 1) % 3;
  const bool in_pattern = (phase == 0 && pin == emu::kDioClock && level == 0) || (phase == 1 && pin == emu::kDioData) ||
                          (phase == 2 && pin == emu::kDioClock && level == 1);
  if (!in_pattern) {
    return fail(std::string("expected ") + kExpected[phase] + ", got DIO " + std::to_string(pin) + " = " +
                std::to_string(level));
  }
  if (++step_ < 25) return;
  if (outcome != emu::SerialInterface::Outcome::Byte) return fail("the 8th rising clock edge did not complete a byte");
  if (max_bytes_ != 0 && byte_count_ == max_bytes_) return fail("more than " + std::to_string(max_bytes_) + " bytes");
  step_ = 0;
  events_.push_back({WireEvent::Kind::Byte, 0, 0, 0, serial_.byte()});
  ++byte_count_;
}

void WirePattern::on_delay(std::uint32_t ms) {
  if (step_ != 0) fail("delay inside a byte");
  events_.push_back({WireEvent::Kind::Delay, 0, 0, ms, {}});
}

void WirePattern::expect_between_bytes() {
  if (step_ != 0) fail("byte left unfinished");
}

std::vector<WireByte> WirePattern::bytes() {
  expect_between_bytes();
  std::vector<WireByte> out;
  for (const WireEvent& e : events_) {
    if (e.kind == WireEvent::Kind::Byte) out.push_back(e.byte);
  }
  return out;
}

void WirePattern::clear() {
  events_.clear();
  pin_writes_ = 0;
  byte_count_ = 0;
}

}  // namespace qel::test
