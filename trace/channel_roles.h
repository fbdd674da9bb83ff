// Binds a capture's channels to the controller's lines: by the user's signal map
// where it names a role, otherwise from the channels' names, case-insensitively,
// among the common names for each role (CLK, MOSI, DC, CS, RST, SCL, SDA...).
// Time grows linearly with the number of channels: the candidates for every
// role are found in one pass.
#pragma once

#include <array>
#include <cstddef>
#include <optional>
#include <string>
#include <vector>

#include "emulator/wire.h"
#include "trace/scope_tree.h"
#include "trace/signal_map.h"

namespace qel::trace {

struct Channel {
  std::string name;  // as the capture names it
  // The index of the first channel of its signal: channels with the same
  // number are one signal (a VCD identifier code declared twice).
  std::size_t signal = 0;
  // Where it is declared, in the tree given with the channels.
  ScopeTree::Id scope = ScopeTree::kTop;
};

struct RoleBinding {
  std::array<std::optional<std::size_t>, emu::kLineCount> channel{};  // index into the channel list
  emu::Bus bus = emu::Bus::Spi4;
  bool automatic = false;  // some role was found from the names
  // "sclk=CLK,sdin=MOSI,dc=DC", usable as --map: a name that needs it is quoted
  // and escaped as messages quote it ('Probe 6, spare', '\x1B[2J').
  std::string mapping;
};

// A map names a channel by its name or by its path (scopes and name joined
// with '.'). Throws std::runtime_error (without a file name, for the reader to
// add) when a named signal is missing, a name fits two different signals, or
// the names leave a required role unfilled or a role with two candidates; the
// message then lists the channels and the candidates for each role.
RoleBinding bind_roles(const std::vector<Channel>& channels, const ScopeTree& scopes,
                       const std::optional<SignalMap>& map);
// Channels outside any scope (CSV columns, sigrok probes).
RoleBinding bind_roles(const std::vector<Channel>& channels, const std::optional<SignalMap>& map);

}  // namespace qel::trace
