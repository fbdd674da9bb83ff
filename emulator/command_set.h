// The command sets of the SSD1306 family as one table: for each opcode or
// opcode range, its short name, the parameter bytes that follow it, which
// controllers have it, what it does to the registers, and how a listing shows
// its value. The command decoder and the command listing both read it, so they
// agree on where a command ends and what it is called.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "emulator/profile.h"
#include "emulator/registers.h"

namespace qel::emu {

inline constexpr int kMaxParameters = 6;
using Parameters = std::array<std::uint8_t, kMaxParameters>;

// SSD1309: while commands are locked, only this one is taken.
inline constexpr std::uint8_t kCommandLock = 0xFD;

// What a command did, when the controller would not take it as sent.
using CommandNote = std::optional<std::string>;

// A complete command as the decoder applies it.
struct CommandCall {
  std::uint8_t opcode;
  const Parameters& params;
  const Profile& profile;
};

struct Command {
  std::uint8_t first, last;  // the opcodes it covers
  std::uint8_t parameters;   // bytes that follow the opcode
  std::uint8_t controllers;  // which have it: bit N for ControllerModel N
  const char* name;          // as listings print it
  // Applies the command with all its parameters to the registers.
  CommandNote (*apply)(const CommandCall& call, Registers& r);
  // What a listing writes after the name (" 0xCF", " 0-127", or "");
  // `params` is empty for a command cut short.
  std::string (*show)(std::uint8_t opcode, const std::vector<std::uint8_t>& params);
};

// The command the byte `opcode` starts on this controller, or nullptr for a
// byte outside its set.
const Command* find_command(const Profile& profile, std::uint8_t opcode);

// Parameter bytes that follow the command byte `opcode`, or nothing for a byte
// outside the controller's set.
std::optional<int> command_parameter_count(const Profile& profile, std::uint8_t opcode);

// The note for a command byte outside the controller's set: it names what the
// byte is on another controller of the family, when it is one.
std::string outside_set_note(const Profile& profile, std::uint8_t opcode);

// The short name and value of a complete command ("contrast 0xCF"), or of one
// cut short (empty `params`). A byte outside the set says so, and names what it
// is on another controller of the family; "unknown command" when none has it.
std::string describe_command(const Profile& profile, std::uint8_t opcode, const std::vector<std::uint8_t>& params);

}  // namespace qel::emu
