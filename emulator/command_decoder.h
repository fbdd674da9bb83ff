// The controller's command interpreter: gathers a command byte and its
// parameter bytes, then applies the command to the register file.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>

#include "emulator/registers.h"

namespace qel::emu {

// Parameter bytes that follow the command byte `opcode`, or nothing for a byte
// outside the command set.
std::optional<int> command_parameter_count(std::uint8_t opcode);

class CommandDecoder {
 public:
  // Takes one byte sent with data/command low: either a new command or the next
  // parameter of the pending one. Returns a note when the controller would not
  // accept it (unknown command, undefined page, a parameter out of range...).
  std::optional<std::string> command(std::uint8_t byte, Registers& regs);

  // A display data byte arrived. A command still waiting for parameter bytes is
  // dropped, and the returned note says so.
  std::optional<std::string> data();

  // Forgets a pending command (reset line low).
  void reset() { needed_ = 0; }

  bool pending() const { return needed_ > 0; }

 private:
  std::uint8_t opcode_ = 0;
  int needed_ = 0;  // parameter bytes the pending command still waits for
  int received_ = 0;
  std::array<std::uint8_t, 6> params_{};
};

}  // namespace qel::emu
