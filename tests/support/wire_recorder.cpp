#include "wire_recorder.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <sstream>

#include "board.h"

namespace qel::test {

namespace {

const char* pin_name(std::uint8_t pin) {
  switch (pin) {
    case sim::kDioClock:
      return "clock";
    case sim::kDioData:
      return "data";
    case sim::kDioReset:
      return "reset";
    case sim::kDioDataCommand:
      return "data/command";
    default:
      return "unknown pin";
  }
}

}  // namespace

std::string to_string(const WireByte& b) {
  char text[8];
  std::snprintf(text, sizeof text, "%c %02X", b.is_data ? 'D' : 'C', b.value);
  return text;
}

std::string to_string(const std::vector<WireByte>& bytes) {
  std::string out;
  for (const WireByte& b : bytes) out += (out.empty() ? "" : ", ") + to_string(b);
  return out;
}

void WireRecorder::fail(const std::string& what) {
  ADD_FAILURE() << "wire pattern broken in byte #" << byte_index_ << " at write " << step_ << " of 25: " << what;
  step_ = 0;
}

void WireRecorder::on_open(std::uint8_t pin) {
  if (step_ != 0) fail(std::string("PIN_open inside a byte (") + pin_name(pin) + ")");
  events_.push_back({WireEvent::Kind::Open, pin, 0, 0, {}});
  if (auto line = sim::line_of_dio(pin)) serial_.set(*line, false);
}

void WireRecorder::on_write(std::uint8_t pin, std::uint8_t level) {
  ++pin_writes_;
  const auto line = sim::line_of_dio(pin);
  const auto outcome = line ? serial_.set(*line, level != 0) : sim::SerialInterface::Outcome::None;

  if (step_ == 0) {
    if (pin == sim::kDioDataCommand) {
      step_ = 1;  // the select write opens a byte
    } else {
      events_.push_back({WireEvent::Kind::Write, pin, level, 0, {}});
    }
    return;
  }

  // Writes 1..24 of a byte: (clock low, data, clock high) eight times.
  const int phase = (step_ - 1) % 3;
  const bool ok = (phase == 0 && pin == sim::kDioClock && level == 0) || (phase == 1 && pin == sim::kDioData) ||
                  (phase == 2 && pin == sim::kDioClock && level == 1);
  if (!ok) {
    static const char* expected[] = {"clock low", "data", "clock high"};
    fail(std::string("expected ") + expected[phase] + ", got " + pin_name(pin) + " = " + std::to_string(level));
    return;
  }
  if (++step_ == 25) {
    if (outcome != sim::SerialInterface::Outcome::Byte) {
      fail("the 8th rising clock edge did not complete a byte");
      return;
    }
    events_.push_back({WireEvent::Kind::Byte, 0, 0, 0, serial_.byte()});
    ++byte_index_;
    step_ = 0;
  }
}

void WireRecorder::on_delay(std::uint32_t ms) {
  if (step_ != 0) fail("delay inside a byte");
  events_.push_back({WireEvent::Kind::Delay, 0, 0, ms, {}});
}

std::vector<WireByte> WireRecorder::bytes() const {
  if (step_ != 0) ADD_FAILURE() << "byte #" << byte_index_ << " left unfinished after " << step_ << " of 25 writes";
  std::vector<WireByte> out;
  for (const WireEvent& e : events_) {
    if (e.kind == WireEvent::Kind::Byte) out.push_back(e.byte);
  }
  return out;
}

void WireRecorder::clear() {
  events_.clear();
  pin_writes_ = 0;
  byte_index_ = 0;
  step_ = 0;
}

}  // namespace qel::test
