// Passes every pin event and call on to several observers, in the order they were added,
// since the host pin stand-in reports to one observer only.
#pragma once

#include <cstdint>
#include <vector>

#include "qel/pin_observer.h"

namespace qel {

class PinFanout : public PinObserver {
 public:
  void add(PinObserver& observer) { observers_.push_back(&observer); }

  void on_open(std::uint8_t pin) override {
    for (PinObserver* o : observers_) o->on_open(pin);
  }
  void on_write(std::uint8_t pin, std::uint8_t level) override {
    for (PinObserver* o : observers_) o->on_write(pin, level);
  }
  void on_delay(std::uint32_t ms) override {
    for (PinObserver* o : observers_) o->on_delay(ms);
  }
  void on_call_begin(const ModuleCall& call) override {
    for (PinObserver* o : observers_) o->on_call_begin(call);
  }
  void on_call_end() override {
    for (PinObserver* o : observers_) o->on_call_end();
  }

 private:
  std::vector<PinObserver*> observers_;
};

}  // namespace qel
