// Host stand-in for the PIN driver: keeps which pins are held and at what level,
// and reports every accepted write and every module delay to the registered observer.
#include <ti/drivers/PIN.h>

#include <cstdint>

#include "qel/pin_observer.h"

namespace {

constexpr std::uint32_t kMaxPinId = 31;

struct StandIn {
  qel::PinObserver* observer = nullptr;
  std::uint32_t held = 0;        // pins held by any open handle
  std::uint32_t generation = 1;  // bumped by reset; older handles are stale
  unsigned opens = 0;
  bool fail_next_open = false;
  unsigned call_depth = 0;  // public operations of the module running now, one inside another
};

StandIn& stand_in() {
  static StandIn s;
  return s;
}

bool handle_is_live(PIN_Handle h) { return h != nullptr && h->generation == stand_in().generation && h->held != 0; }

}  // namespace

extern "C" PIN_Handle PIN_open(PIN_State* state, const PIN_Config pinList[]) {
  StandIn& s = stand_in();
  ++s.opens;
  if (s.fail_next_open) {
    s.fail_next_open = false;
    return nullptr;
  }
  if (state == nullptr || pinList == nullptr) return nullptr;

  std::uint32_t wanted = 0;
  for (const PIN_Config* p = pinList; (*p & 0xFFU) != PIN_TERMINATE; ++p) {
    const std::uint32_t id = *p & 0xFFU;
    if (id > kMaxPinId) return nullptr;
    const std::uint32_t bit = 1U << id;
    if ((wanted & bit) != 0 || (s.held & bit) != 0) return nullptr;
    wanted |= bit;
  }

  state->held = wanted;
  state->levels = 0;
  state->generation = s.generation;
  s.held |= wanted;
  if (s.observer != nullptr) {
    for (const PIN_Config* p = pinList; (*p & 0xFFU) != PIN_TERMINATE; ++p) {
      s.observer->on_open(static_cast<std::uint8_t>(*p & 0xFFU));
    }
  }
  return state;
}

extern "C" PIN_Status PIN_setOutputValue(PIN_Handle handle, PIN_Id pinId, uint32_t val) {
  if (!handle_is_live(handle) || pinId > kMaxPinId || (handle->held & (1U << pinId)) == 0) {
    return PIN_NO_ACCESS;
  }
  const std::uint8_t level = val != 0 ? 1 : 0;
  handle->levels = (handle->levels & ~(1U << pinId)) | (std::uint32_t{level} << pinId);
  if (stand_in().observer != nullptr) stand_in().observer->on_write(pinId, level);
  return PIN_SUCCESS;
}

// Called by host builds of the module in place of its busy-wait.
extern "C" void qel_host_delay_ms(std::uint32_t ms) {
  if (ms != 0 && stand_in().observer != nullptr) stand_in().observer->on_delay(ms);
}

// Called by host builds of the module on entry to and exit from each public
// operation; only the outermost call is passed on.
extern "C" void qel_host_call_begin(std::uint8_t operation, const std::uint8_t* text, std::uint32_t value,
                                    std::uint8_t format, std::uint8_t line) {
  StandIn& s = stand_in();
  if (s.call_depth++ != 0 || s.observer == nullptr) return;
  s.observer->on_call_begin(
      qel::ModuleCall{static_cast<qel::ModuleOperation>(operation), text, value, format, line, s.held != 0});
}

extern "C" void qel_host_call_end() {
  StandIn& s = stand_in();
  if (s.call_depth == 0) return;
  if (--s.call_depth == 0 && s.observer != nullptr) s.observer->on_call_end();
}

namespace qel::host {

PinObserver* set_pin_observer(PinObserver* observer) {
  PinObserver* previous = stand_in().observer;
  stand_in().observer = observer;
  return previous;
}

void fail_next_open() { stand_in().fail_next_open = true; }

unsigned open_count() { return stand_in().opens; }

void reset_pins() {
  StandIn& s = stand_in();
  s.observer = nullptr;
  s.held = 0;
  s.opens = 0;
  s.fail_next_open = false;
  s.call_depth = 0;
  ++s.generation;
}

PinsState save_pins() {
  const StandIn& s = stand_in();
  return PinsState{s.held, s.generation, s.opens, s.fail_next_open};
}

void restore_pins(const PinsState& state) {
  StandIn& s = stand_in();
  s.held = state.held;
  s.generation = state.generation;
  s.opens = state.opens;
  s.fail_next_open = state.fail_next_open;
}

}  // namespace qel::host
