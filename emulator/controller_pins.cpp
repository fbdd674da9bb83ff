// Connects the host PIN stand-in's observer to the controller emulator.
#include "emulator/board.h"
#include "emulator/controller.h"

namespace qel::emu {

void ControllerPins::on_open(std::uint8_t pin) {
  if (auto line = line_of_dio(pin)) controller_.set_line(*line, false);
}

// One call per pin write: the table is read directly.
void ControllerPins::on_write(std::uint8_t pin, std::uint8_t level) {
  if (pin < kLineOfDio.size() && kLineOfDio[pin] >= 0)
    controller_.set_line(static_cast<Line>(kLineOfDio[pin]), level != 0);
}

void ControllerPins::on_delay(std::uint32_t) {}

}  // namespace qel::emu
