// The controller's command set as one table: for each opcode or opcode range,
// its short name, the parameter bytes that follow it, what it does to the
// registers, and how a listing shows its value. The command decoder and the
// command listing both read it, so they agree on where a command ends and what
// it is called.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "emulator/registers.h"

namespace qel::emu {

inline constexpr int kMaxParameters = 6;
using Parameters = std::array<std::uint8_t, kMaxParameters>;

// What a command did, when the controller would not take it as sent.
using CommandNote = std::optional<std::string>;

struct Command {
  std::uint8_t first, last;  // the opcodes it covers
  std::uint8_t parameters;   // bytes that follow the opcode
  const char* name;          // as listings print it
  // Applies the command with all its parameters to the registers.
  CommandNote (*apply)(std::uint8_t opcode, const Parameters& params, Registers& registers);
  // What a listing writes after the name (" 0xCF", " 0-127", or "");
  // `params` is empty for a command cut short.
  std::string (*show)(std::uint8_t opcode, const std::vector<std::uint8_t>& params);
};

// The command the byte `opcode` starts, or nullptr for a byte outside the set.
const Command* find_command(std::uint8_t opcode);

// Parameter bytes that follow the command byte `opcode`, or nothing for a byte
// outside the command set.
std::optional<int> command_parameter_count(std::uint8_t opcode);

// The short name and value of a complete command ("contrast 0xCF"), or of one
// cut short (empty `params`); "unknown command" outside the set.
std::string describe_command(std::uint8_t opcode, const std::vector<std::uint8_t>& params);

}  // namespace qel::emu
