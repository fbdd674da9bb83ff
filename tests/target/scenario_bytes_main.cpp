// qel-scenario-bytes: runs the shared scenario on the host and prints the bytes
// the module sends, in the simulator's byte-log format, so that the log can be
// compared byte for byte with the Cortex-M3 firmware's.
#include <cstdio>
#include <iostream>

#include "QEL_LCD.h"
#include "byte_log.h"
#include "emulator/controller.h"
#include "qel/pin_observer.h"
#include "scenario.h"

namespace {

qel::emu::Controller* controller = nullptr;
std::size_t printed = 0;

// Prints the bytes of the call before, then the next call's line.
void flush_bytes() {
  const auto& bytes = controller->bytes();
  qel::tool::write_byte_lines(std::cout, bytes, printed, bytes.size());
  printed = bytes.size();
}

void announce(const char* call) {
  flush_bytes();
  qel::tool::write_call_line(std::cout, call);
}

}  // namespace

int main() {
  qel::emu::Controller emulated;
  qel::emu::ControllerPins pins(emulated);
  qel::host::ScopedPinObserver scope(pins);
  controller = &emulated;
  qel_scenario_run(announce);
  flush_bytes();
  if (emulated.pending_bits() != 0) {
    std::fprintf(stderr, "The scenario left a byte unfinished.\n");
    return 1;
  }
  return 0;
}
