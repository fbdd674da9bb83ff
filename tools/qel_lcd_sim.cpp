// qel-lcd-sim: runs the module's calls on the host and prints the bytes it sends.
#include <cstdio>

#include "QEL_LCD.h"
#include "board.h"
#include "qel/pin_observer.h"
#include "serial_interface.h"

namespace {

// Prints each byte as "C AE" or "D 00".
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

 private:
  qel::sim::SerialInterface serial_;
};

}  // namespace

int main() {
  BytePrinter printer;
  qel::host::ScopedPinObserver scope(printer);
  std::puts("# QEL_LCD_Init();");
  QEL_LCD_Init();
  std::puts("# QEL_LCD_WriteString(\"Hello\", QEL_LCD_LINE0);");
  QEL_LCD_WriteString(reinterpret_cast<const QEL_C*>("Hello"), QEL_LCD_LINE0);
  return 0;
}
