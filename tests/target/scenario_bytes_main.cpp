// qel-scenario-bytes: runs the shared scenario on the host and prints the bytes
// the module sends, in the same byte-log format as the Cortex-M3 firmware, so
// that the two logs can be compared byte for byte.
#include <cstdio>
#include <cstdlib>

#include "QEL_LCD.h"
#include "board.h"
#include "qel/pin_observer.h"
#include "scenario.h"
#include "serial_interface.h"

namespace {

// Decodes the pin writes with the controller's serial decoder and prints each byte.
class BytePrinter : public qel::PinObserver {
 public:
  void on_open(std::uint8_t pin) override { on_write(pin, 0); }
  void on_write(std::uint8_t pin, std::uint8_t level) override {
    if (auto line = qel::sim::line_of_dio(pin)) {
      if (serial_.set(*line, level != 0) == qel::sim::SerialInterface::Outcome::Byte) {
        std::printf("%c %02X\n", serial_.byte().is_data ? 'D' : 'C', serial_.byte().value);
      }
    }
  }
  void on_delay(std::uint32_t) override {}
  int pending_bits() const { return serial_.pending_bits(); }

 private:
  qel::sim::SerialInterface serial_;
};

BytePrinter* printer = nullptr;

void announce(const char* call) {
  if (printer->pending_bits() != 0) {
    std::fprintf(stderr, "A byte was left unfinished before '%s'.\n", call);
    std::exit(1);
  }
  std::printf("# %s\n", call);
}

}  // namespace

int main() {
  BytePrinter bytes;
  printer = &bytes;
  qel::host::ScopedPinObserver scope(bytes);
  qel_scenario_run(announce);
  return bytes.pending_bits() == 0 ? 0 : 1;
}
