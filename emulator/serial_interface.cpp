#include "emulator/serial_interface.h"

namespace qel::emu {

SerialInterface::SerialInterface(bool reset_released) { levels_[static_cast<int>(Line::Reset)] = reset_released; }

}  // namespace qel::emu
