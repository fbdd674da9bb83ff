// Which signal of a captured trace plays which role on the controller's serial
// input: sclk, sdin and dc are required (dc only on 4-wire serial), res_n and cs
// optional; on I2C scl and sda name the clock and data lines. Parsed from a
// "role=name,role=name" list such as "sclk=D0,sdin=D1,dc=D2".
#pragma once

#include <array>
#include <cstddef>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>

#include "emulator/bus.h"
#include "emulator/serial_interface.h"

namespace qel::trace {

struct SignalMap {
  // Signal name for each line, indexed by Line. Unnamed roles use the role name.
  std::array<std::string, emu::kLineCount> name;
  // Whether the user named the signal: a named signal must be in the trace even
  // when its role is optional.
  std::array<bool, emu::kLineCount> named{};
  // The bus the trace is read for, which decides the roles it needs.
  emu::Bus bus = emu::Bus::Spi4;

  const std::string& name_of(emu::Line line) const { return name[static_cast<std::size_t>(line)]; }
  bool is_named(emu::Line line) const { return named[static_cast<std::size_t>(line)]; }
};

// The role's name in maps and traces: "sclk", "sdin", "dc", "res_n" or "cs".
std::string_view role_name(emu::Line line);
std::optional<emu::Line> role_of_name(std::string_view role);
// A trace on `bus` can do without these lines; the others must be present.
bool role_is_optional(emu::Line line, emu::Bus bus = emu::Bus::Spi4);

// Every role mapped to the signal of the same name.
SignalMap default_signal_map();

// A bad item in a signal mapping, located by the column (from 1) where it starts.
class SignalMapError : public std::runtime_error {
 public:
  SignalMapError(std::size_t column, const std::string& message) : std::runtime_error(message), column_(column) {}
  std::size_t column() const { return column_; }

 private:
  std::size_t column_;
};

// Parses "role=name,..." over the defaults. Throws SignalMapError quoting the bad
// item and its column for an unknown role, a missing name or a role given twice.
SignalMap parse_signal_map(std::string_view text);

}  // namespace qel::trace
