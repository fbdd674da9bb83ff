// Gathering a command's parameter bytes; the commands themselves are in
// command_set.cpp.
#include "emulator/command_decoder.h"

#include "common/text_format.h"

namespace qel::emu {

std::optional<std::string> CommandDecoder::command(std::uint8_t byte, Registers& regs) {
  outside_set_ = false;
  if (needed_ > 0) {
    params_[static_cast<std::size_t>(received_++)] = byte;
    if (--needed_ > 0) return std::nullopt;
    return command_->apply(CommandCall{opcode_, params_, *profile_}, regs);
  }
  const Command* command = find_command(*profile_, byte);
  if (command == nullptr) {
    outside_set_ = true;
    return outside_set_note(*profile_, byte);
  }
  if (command->parameters == 0) return command->apply(CommandCall{byte, params_, *profile_}, regs);
  command_ = command;
  opcode_ = byte;
  needed_ = command->parameters;
  received_ = 0;
  return std::nullopt;
}

std::optional<std::string> CommandDecoder::data() {
  if (needed_ == 0) return std::nullopt;
  const int total = received_ + needed_;
  needed_ = 0;
  return "Command " + common::hex_byte(opcode_) + " cut short by a data byte after " + std::to_string(received_) +
         " of " + std::to_string(total) + " parameter bytes; command dropped.";
}

}  // namespace qel::emu
