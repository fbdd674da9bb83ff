// Binds a capture's channels to the controller's lines: by the user's signal map
// where it names a role, otherwise from the channels' names, case-insensitively,
// among the common names for each role (CLK, MOSI, DC, CS, RST, SCL, SDA...).
#pragma once

#include <array>
#include <cstddef>
#include <optional>
#include <string>
#include <vector>

#include "emulator/wire.h"
#include "trace/signal_map.h"

namespace qel::trace {

struct Channel {
  std::string name;  // as the capture names it
  std::string path;  // scopes and name joined with '.'; the name when there are no scopes
  std::string id;    // channels with the same id are one signal (a VCD identifier code)
};

struct RoleBinding {
  std::array<std::optional<std::size_t>, emu::kLineCount> channel{};  // index into the channel list
  emu::Bus bus = emu::Bus::Spi4;
  bool automatic = false;  // some role was found from the names
  std::string mapping;     // "sclk=CLK, sdin=MOSI, dc=DC"
};

// Throws std::runtime_error (without a file name, for the reader to add) when a
// named signal is missing, a name fits two different signals, or the names
// leave a required role unfilled or a role with two candidates; the message then
// lists the channels and the candidates for each role.
RoleBinding bind_roles(const std::vector<Channel>& channels, const std::optional<SignalMap>& map);

}  // namespace qel::trace
