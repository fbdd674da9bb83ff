// Test helpers: drive a Controller's lines the way a serial master does, one
// byte at a time (data/command, then eight times clock low, data bit, clock high),
// and check its notes.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "emulator/controller.h"

namespace qel::emu::test {

inline WireByte cmd(std::uint8_t v) { return WireByte{v, false}; }
inline WireByte dat(std::uint8_t v) { return WireByte{v, true}; }

// Bytes written out: "C" makes the following bytes commands, "D" display
// data; "128*00" is 0x00 128 times.
inline std::vector<WireByte> bytes_of(std::string_view text) {
  std::vector<WireByte> bytes;
  bool data = false;
  std::size_t at = 0;
  while ((at = text.find_first_not_of(' ', at)) != std::string_view::npos) {
    const std::string token(text.substr(at, text.find(' ', at) - at));
    at += token.size();
    if (token == "C" || token == "D") {
      data = token == "D";
      continue;
    }
    const std::size_t star = token.find('*');
    const int times = star == std::string::npos ? 1 : std::stoi(token.substr(0, star));
    const auto value = static_cast<std::uint8_t>(std::stoul(token.substr(star + 1), nullptr, 16));
    bytes.insert(bytes.end(), static_cast<std::size_t>(times), WireByte{value, data});
  }
  return bytes;
}

inline void send_bits(Controller& c, std::uint8_t value, int bits) {
  for (int i = 0; i < bits; ++i) {
    c.set_line(Line::Clock, false);
    c.set_line(Line::Data, ((value >> (7 - i)) & 1) != 0);
    c.set_line(Line::Clock, true);
  }
}

inline void send(Controller& c, const std::vector<WireByte>& bytes) {
  for (const WireByte& b : bytes) {
    c.set_line(Line::DataCommand, b.is_data);
    send_bits(c, b.value, 8);
  }
}

inline void send_commands(Controller& c, const std::vector<std::uint8_t>& values) {
  for (std::uint8_t v : values) send(c, {cmd(v)});
}

// A controller out of reset, as after a reset pulse.
inline Controller running_controller(ControllerOptions options = {}) {
  options.reset_released = true;
  return Controller(options);
}

// The controller's notes must be exactly these, each containing its part.
inline void expect_notes(const Controller& c, const std::vector<std::string>& parts, const std::string& name) {
  ASSERT_EQ(c.diagnostics().size(), parts.size())
      << name << (c.diagnostics().empty() ? "" : ": ") << (c.diagnostics().empty() ? "" : c.diagnostics()[0].message);
  for (std::size_t i = 0; i < parts.size(); ++i) {
    EXPECT_NE(c.diagnostics()[i].message.find(parts[i]), std::string::npos)
        << name << ": " << c.diagnostics()[i].message;
  }
}

// Display on with the usual panel orientation (column 0 left, page 0 top).
inline const std::vector<std::uint8_t> kUsualSetup = {0xA1, 0xC8, 0x8D, 0x14, 0xAF};

}  // namespace qel::emu::test
