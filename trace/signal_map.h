// Which signal of a captured trace plays which role on the controller's serial
// input, as the user gives it: "role=name,role=name" such as
// "sclk=D0,sdin=D1,dc=D2". Roles: sclk, sdin, dc, res_n and cs, and for I2C scl
// (the clock line) and sda (the data line). Roles left out are found from the
// capture's channel names (see channel_roles.h).
#pragma once

#include <array>
#include <cstddef>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>

#include "emulator/wire.h"

namespace qel::trace {

struct SignalMap {
  // Signal name for each line, indexed by Line; empty for a role the user left out.
  std::array<std::string, emu::kLineCount> name;
  // Whether the user named the signal; a named signal must be in the trace.
  std::array<bool, emu::kLineCount> named{};
  bool i2c_roles = false;  // scl or sda was given: the trace is I2C
  // The bus the user chose; without it the bus follows from the roles (scl and
  // sda mean I2C) and a missing dc line is an error.
  std::optional<emu::Bus> bus;

  const std::string& name_of(emu::Line line) const { return name[static_cast<std::size_t>(line)]; }
  bool is_named(emu::Line line) const { return named[static_cast<std::size_t>(line)]; }
};

// The role's name in maps and messages: "sclk", "sdin", "dc", "res_n" or "cs";
// with `i2c`, "scl" and "sda" for the clock and data lines.
std::string_view role_name(emu::Line line, bool i2c = false);
std::optional<emu::Line> role_of_name(std::string_view role);

// `name` as a map writes it: as it is when it reads back so, otherwise quoted
// and escaped as messages quote names ('Probe 6, spare', '\x1B]0;X\x07'); a
// name of over 1 KiB that needs quoting is cut as messages cut it.
std::string map_name(std::string_view name);

// A bad item in a signal mapping, located by the column (from 1) where it starts.
class SignalMapError : public std::runtime_error {
 public:
  SignalMapError(std::size_t column, const std::string& message) : std::runtime_error(message), column_(column) {}
  std::size_t column() const { return column_; }

 private:
  std::size_t column_;
};

// Parses "role=name,...". Blanks around a name are left out; a name with
// blanks at its ends, a comma or bytes outside printable ASCII is given in
// quote marks (' or "), with the escapes messages use: sclk=' CLK',
// dc='Probe 6, spare', cs='\x1B[2J'. Throws SignalMapError quoting the bad
// item and its column for an unknown role, a missing name, a role given twice,
// one signal given two roles, or a quoted name left open or badly escaped.
SignalMap parse_signal_map(std::string_view text);

}  // namespace qel::trace
