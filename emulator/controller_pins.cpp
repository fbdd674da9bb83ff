// Connects the host PIN stand-in's observer to the controller emulator.
#include "emulator/board.h"
#include "emulator/controller.h"

namespace qel::emu {

void ControllerPins::on_open(std::uint8_t pin) {
  if (auto line = line_of_dio(pin)) controller_.set_line(*line, false);
}

void ControllerPins::on_write(std::uint8_t pin, std::uint8_t level) {
  if (const auto line = line_of_dio(pin)) controller_.set_line(*line, level != 0);
}

void ControllerPins::on_delay(std::uint32_t) {}

}  // namespace qel::emu
