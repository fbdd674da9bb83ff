// Host side of the pin stand-in: who hears the pins, and the controls tests need.
#pragma once

#include <cstdint>

namespace qel {

// The module's public operations, in the order of the numbers its host build reports.
enum class ModuleOperation : std::uint8_t { Init, WriteString, ClearLine, WriteValue, WriteStringValue };

// One call of a public operation, as the module reports it on entry. The
// arguments an operation does not take are 0 (text: nullptr).
struct ModuleCall {
  ModuleOperation operation = ModuleOperation::Init;
  const std::uint8_t* text = nullptr;  // the caller's string, valid during on_call_begin only
  std::uint32_t value = 0;
  std::uint8_t format = 0;
  std::uint8_t line = 0;
  bool pins_open = false;  // the module's pins were open when the call began
};

// Hears every pin change the stand-in accepts, in order, the module's delays,
// and where each of the module's calls begins and ends.
class PinObserver {
 public:
  virtual ~PinObserver() = default;
  // PIN_open set `pin` up as an output driven low.
  virtual void on_open(std::uint8_t pin) = 0;
  // PIN_setOutputValue drove `pin` to `level` (0 or 1), whether or not it changed.
  virtual void on_write(std::uint8_t pin, std::uint8_t level) = 0;
  // The module waited `ms` nominal milliseconds (never 0).
  virtual void on_delay(std::uint32_t ms) = 0;
  // A public operation of the module begins, or the one begun ends. An operation
  // that another calls inside (QEL_LCD_WriteValue calls QEL_LCD_WriteString) is
  // not told: the outer call stands for both.
  virtual void on_call_begin(const ModuleCall& /*call*/) {}
  virtual void on_call_end() {}
};

namespace host {

// Registers the observer (nullptr for none); returns the previous one.
PinObserver* set_pin_observer(PinObserver* observer);

// Makes the next PIN_open return NULL.
void fail_next_open();

// Number of PIN_open calls since the last reset.
unsigned open_count();

// Forgets every open handle, the observer and a pending failure. Handles opened
// before stay invalid: writes through them are refused.
void reset_pins();

// What the stand-in holds (pins, open count, a pending failure), without the
// observer: saved once and restored, it lets a test start again from a point it
// reached before, e.g. right after a start-up. Handles opened since the save are
// invalid after the restore; those valid at the save are valid again.
struct PinsState {
  std::uint32_t held = 0;
  std::uint32_t generation = 0;
  unsigned opens = 0;
  bool fail_next_open = false;
};
PinsState save_pins();
void restore_pins(const PinsState& state);

// Registers an observer for the lifetime of this object and restores the previous one.
class ScopedPinObserver {
 public:
  explicit ScopedPinObserver(PinObserver& observer) : previous_(set_pin_observer(&observer)) {}
  ~ScopedPinObserver() { set_pin_observer(previous_); }
  ScopedPinObserver(const ScopedPinObserver&) = delete;
  ScopedPinObserver& operator=(const ScopedPinObserver&) = delete;

 private:
  PinObserver* previous_;
};

}  // namespace host
}  // namespace qel
