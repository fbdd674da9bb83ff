// Channel binding: typical logic-analyzer names found without a map, the user's
// map over them, and refusals that list the channels and candidates. The --map
// lists themselves: names in quote marks with the escapes messages use, the
// column and message of a badly quoted name, names written back as a map reads them.
#include "trace/channel_roles.h"

#include <gtest/gtest.h>

#include <sstream>
#include <stdexcept>
#include <string>
#include <vector>

#include "trace/signal_map.h"

namespace qel::trace {
namespace {

std::vector<Channel> channels_named(const std::string& names) {
  std::vector<Channel> out;
  std::istringstream in(names);
  for (std::string n; std::getline(in, n, ',');) out.push_back(Channel{n, out.size()});
  return out;
}

// The mapping, or the error message.
std::string bound(const std::string& names, const std::string& map = "", std::optional<emu::Bus> bus = {}) {
  try {
    std::optional<SignalMap> m;
    if (!map.empty()) m = parse_signal_map(map);
    if (bus) {
      if (!m) m.emplace();
      m->bus = bus;
    }
    const RoleBinding b = bind_roles(channels_named(names), m);
    const char* kBus[] = {"spi ", "spi3 ", "i2c "};
    return std::string(kBus[static_cast<int>(b.bus)]) + (b.automatic ? "auto " : "") + b.mapping;
  } catch (const std::runtime_error& e) {
    return e.what();
  }
}

// Typical names in any case; a chosen bus wins over the names: 3-wire serial
// needs no dc line and ignores one, and SCL/SDA channels on a 4-wire board
// keep needing dc.
TEST(ChannelRoles, FindsTypicalNamesCaseInsensitively) {
  // clang-format off
  const struct { const char *names, *map, *expected; std::optional<emu::Bus> bus = std::nullopt; } cases[] = {
      {"CLK,MOSI,CS", "", "spi3 auto sclk=CLK,sdin=MOSI,cs=CS", emu::Bus::Spi3},
      {"CLK,MOSI,DC", "", "spi3 auto sclk=CLK,sdin=MOSI", emu::Bus::Spi3},
      {"SCL,SDA,DC,RES", "", "spi auto sclk=SCL,sdin=SDA,dc=DC,res_n=RES", emu::Bus::Spi4},
      {"CLK,MOSI,DC,RST,CS", "", "spi auto sclk=CLK,sdin=MOSI,dc=DC,res_n=RST,cs=CS"},
      {"sck,din,a0,reset", "", "spi auto sclk=sck,sdin=din,dc=a0,res_n=reset"},
      {"/CS,SCLK,SDIN,D/C,RES#", "", "spi auto sclk=SCLK,sdin=SDIN,dc=D/C,res_n=RES#,cs=/CS"},
      {"sclk,sdin,dc,res_n", "", "spi auto sclk=sclk,sdin=sdin,dc=dc,res_n=res_n"},  // our own writer's names
      {"D0,D1,RS,D3", "", "spi auto sclk=D0,sdin=D1,dc=RS"},
      {"D0,D1,D2,CLK,MOSI,DC", "", "spi auto sclk=CLK,sdin=MOSI,dc=DC"},  // a renamed channel wins over a default name
      {"SCL,SDA", "", "i2c auto scl=SCL,sda=SDA"},
      {"SCL,SDA,RST", "", "i2c auto scl=SCL,sda=SDA,res_n=RST"},
      {"SCL,SDA,RES,DC,CS", "", "spi auto sclk=SCL,sdin=SDA,dc=DC,res_n=RES,cs=CS"},  // labelled like I2C: DC tells
      // a full map finds nothing itself; a partial one leaves the rest to the names
      {"D0,D1,D2,D3", "sclk=D0,sdin=D1,dc=D2,res_n=D3", "spi sclk=D0,sdin=D1,dc=D2,res_n=D3"},
      {"D4,D5,DC", "sclk=D5,sdin=D4", "spi auto sclk=D5,sdin=D4,dc=DC"},
      // a mapped clock is not taken for a named one, and scl in a map means I2C
      {"CLK,D1,DC,X", "sclk=X", "spi auto sclk=X,sdin=D1,dc=DC"},
      {"A,B", "scl=A,sda=B", "i2c scl=A,sda=B"},
  };
  // clang-format on
  for (const auto& c : cases) EXPECT_EQ(bound(c.names, c.map, c.bus), c.expected) << c.names << " / " << c.map;
}

TEST(ChannelRoles, RefusesAmbiguousOrIncompleteSetsListingCandidates) {
  // clang-format off
  const struct { const char* names; std::vector<std::string> parts; } cases[] = {
      {"CLK,SCK,MOSI,DC", {"cannot tell which channel is which line: 2 channels fit sclk.", "--map sclk=",
                           "Channels: 'CLK', 'SCK', 'MOSI', 'DC'.", "\n  sclk (CLK, SCK, SCLK, D0): 'CLK', 'SCK'",
                           "\n  sdin (MOSI, SDA, SDIN, DIN, D1): 'MOSI'"}},
      {"D0,D1,D2", {"no channel fits dc.", "\n  dc (DC, D/C, A0, RS): none", "\n  res_n (RES, RST, RESET): none"}},
      {"CLK,MOSI,DC,CS,NSS", {"2 channels fit cs.", "'CS', 'NSS'"}},
      {"SCL", {"no channel fits sda.", "\n  scl (SCL): 'SCL'"}},
      {"CLK,MOSI,CS", {"no channel fits dc"}},
  };
  // clang-format on
  for (const auto& c : cases) {
    const std::string message = bound(c.names);
    for (const auto& part : c.parts) EXPECT_NE(message.find(part), std::string::npos) << part << "\n" << message;
  }
  EXPECT_EQ(bound("CLK,MOSI", "dc=DC"), "no signal 'DC' (dc) in the file; it declares 'CLK', 'MOSI'");
  // Channels sharing a signal (a VCD identifier code) are one candidate, not two.
  ScopeTree scopes;
  const ScopeTree::Id a = scopes.open(ScopeTree::kTop, "a"), b = scopes.open(ScopeTree::kTop, "b");
  std::vector<Channel> channels = {{"CLK", 0, a}, {"CLK", 0, b}, {"MOSI", 2}, {"DC", 3}};
  EXPECT_EQ(bind_roles(channels, scopes, std::nullopt).mapping, "sclk=a.CLK,sdin=MOSI,dc=DC");
  channels[1].signal = 1;
  EXPECT_THROW(bind_roles(channels, scopes, std::nullopt), std::runtime_error);
}

// "sclk=<name>|sdin=<name>" for the named roles, or the message.
std::string parsed(const std::string& text) {
  try {
    const SignalMap map = parse_signal_map(text);
    std::string out;
    for (int i = 0; i < emu::kLineCount; ++i) {
      const auto line = static_cast<emu::Line>(i);
      if (map.is_named(line)) out += (out.empty() ? "" : "|") + std::string(role_name(line)) + "=" + map.name_of(line);
    }
    return out;
  } catch (const SignalMapError& e) {
    return std::to_string(e.column()) + ": " + e.what();
  }
}

TEST(SignalMap, ReadsQuotedNames) {
  const std::string bad = "Bad signal mapping item ";
  // clang-format off
  const struct { std::string text, expected; } cases[] = {
      {" sclk = D0 , sdin=la.D1", "sclk=D0|sdin=la.D1"},
      {"sclk=' CLK'", "sclk= CLK"},
      {"sclk=\"Probe 6, spare\",sdin=D1", "sclk=Probe 6, spare|sdin=D1"},
      {"sclk='it\\'s' ,dc=\"\\\"q\\\\\"", "sclk=it's|dc=\"q\\"},
      {"cs='\\x1B[2J\\t\\n'", "cs=\x1B[2J\t\n"},
      {"sclk=' CLK", "1: " + bad + "'sclk=\\' CLK' at column 1: expected a closing ' after the name."},
      {"sdin=D1, sclk='a'b,dc=x", "10: " + bad + "'sclk=\\'a\\'b' at column 10: expected ',' after the quoted name."},
      {"sclk='\\q'", "1: " + bad + "'sclk=\\'\\\\q\\'' at column 1: expected an escape of \\\\, \\', \\\", \\n, \\t, "
                     "\\r, \\0 or \\xHH in the quoted name."},
      {"sclk='\\x1'", "1: " + bad + "'sclk=\\'\\\\x1\\'' at column 1: expected two hex digits after \\x in the quoted "
                      "name."},
      {"sclk=''", "1: " + bad + "'sclk=\\'\\'' at column 1: expected role=name with a role of sclk, sdin, dc, res_n, "
                  "cs, scl or sda."},
  };
  // clang-format on
  for (const auto& c : cases) EXPECT_EQ(parsed(c.text), c.expected) << c.text;
}

// A name is written plain when it reads back so, and quoted otherwise; either
// way the map reads back the same name.
TEST(SignalMap, NamesAreWrittenAsAMapReadsThem) {
  // clang-format off
  const struct { std::string name, written; } cases[] = {
      {"D0", "D0"},
      {"la.probes.D1", "la.probes.D1"},
      {"x=y", "x=y"},
      {"say \"hi\"", "say \"hi\""},
      {" CLK", "' CLK'"},
      {"CLK ", "'CLK '"},
      {"Probe 6, spare", "'Probe 6, spare'"},
      {"'quoted'", "'\\'quoted\\''"},
      {"\x1B]0;PWNED\x07\x1B[2J", "'\\x1B]0;PWNED\\x07\\x1B[2J'"},
      {"K\xC3\xA4nal", "'K\\xC3\\xA4nal'"},
  };
  // clang-format on
  for (const auto& c : cases) {
    EXPECT_EQ(map_name(c.name), c.written);
    EXPECT_EQ(parsed("sclk=" + map_name(c.name)), "sclk=" + c.name) << c.written;
  }
}

}  // namespace
}  // namespace qel::trace
