// The controller's command interpreter: gathers a command byte and its
// parameter bytes, then applies the command (command_set.h) to the registers.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "emulator/command_set.h"
#include "emulator/registers.h"

namespace qel::emu {

class CommandDecoder {
 public:
  explicit CommandDecoder(const Profile& profile) : profile_(&profile) {}

  // Takes one byte sent with data/command low: either a new command or the next
  // parameter of the pending one. Returns a note when the controller would not
  // accept it (a byte outside its set, undefined page, a parameter out of
  // range...).
  std::optional<std::string> command(std::uint8_t byte, Registers& regs);

  // A display data byte arrived. A command still waiting for parameter bytes is
  // dropped, and the returned note says so.
  std::optional<std::string> data();

  // Forgets a pending command (reset line low).
  void reset() { needed_ = 0; }

  bool pending() const { return needed_ > 0; }
  // The last byte given to command() started no command of the set.
  bool outside_set() const { return outside_set_; }

 private:
  const Profile* profile_;
  const Command* command_ = nullptr;  // the pending one
  std::uint8_t opcode_ = 0;
  int needed_ = 0;  // parameter bytes the pending command still waits for
  int received_ = 0;
  bool outside_set_ = false;
  Parameters params_{};
};

}  // namespace qel::emu
