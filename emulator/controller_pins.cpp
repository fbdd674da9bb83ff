// Connects the host PIN stand-in's observer to the controller emulator.
#include <array>

#include "emulator/board.h"
#include "emulator/controller.h"

namespace qel::emu {

namespace {

// line_of_dio as a table over the 32 DIO numbers: one load per pin write.
constexpr int kNoLine = -1;
constexpr std::array<int, 32> kLineOfDio = [] {
  std::array<int, 32> table{};
  for (std::size_t dio = 0; dio < table.size(); ++dio) {
    const auto line = line_of_dio(static_cast<std::uint8_t>(dio));
    table[dio] = line ? static_cast<int>(*line) : kNoLine;
  }
  return table;
}();

}  // namespace

void ControllerPins::on_open(std::uint8_t pin) {
  if (auto line = line_of_dio(pin)) controller_.set_line(*line, false);
}

void ControllerPins::on_write(std::uint8_t pin, std::uint8_t level) {
  const int line = pin < kLineOfDio.size() ? kLineOfDio[pin] : kNoLine;
  if (line != kNoLine) controller_.set_line(static_cast<Line>(line), level != 0);
}

void ControllerPins::on_delay(std::uint32_t) {}

}  // namespace qel::emu
