// The serial inputs' notes; see serial_interface.h.
#include "emulator/serial_interface.h"

#include "emulator/i2c_interface.h"

namespace qel::emu {

template <int TransferBits>
std::optional<std::string> ShiftRegister<TransferBits>::fault_note() const {
  if (dropped_bits_ == 0) return std::nullopt;
  const std::string bits = std::to_string(dropped_bits_) + (dropped_bits_ == 1 ? " bit" : " bits");
  return std::string(deselected_ ? "Chip select went inactive " : "Reset went low ") + bits + " into a " + unit() +
         "; the bits are dropped.";
}

template class ShiftRegister<8>;
template class ShiftRegister<9>;

std::unique_ptr<FrontEnd> make_front_end(Bus bus, bool reset_released) {
  switch (bus) {
    case Bus::Spi3:
      return std::make_unique<Spi3Interface>(reset_released);
    case Bus::I2c:
      return std::make_unique<I2cInterface>(reset_released);
    case Bus::Spi4:
      break;
  }
  return std::make_unique<SerialInterface>(reset_released);
}

}  // namespace qel::emu
