// Channel-to-line binding: the user's map first, then the common channel names.
#include "trace/channel_roles.h"

#include <algorithm>
#include <cctype>
#include <stdexcept>

#include "common/message_text.h"

namespace qel::trace {
namespace {

using emu::Line;

struct RoleNames {
  Line line;
  std::vector<std::string> names;  // lower case, as compared
  const char* shown;               // for messages
  // Names taken only when no channel has one of the names above: an analyzer's
  // default name (PulseView calls the channels D0, D1... until renamed), and
  // SCL for the clock of a board that labels its serial pins like I2C ones
  // (this is reached only when the user chose a serial bus).
  std::vector<std::string> fallback = {};
};

const std::vector<std::string> kDataCommandNames = {"dc", "d/c", "a0", "rs"};

const std::vector<RoleNames>& spi_names() {
  static const std::vector<RoleNames> kNames = {
      {Line::Clock, {"clk", "sck", "sclk"}, "CLK, SCK, SCLK, D0", {"d0", "scl"}},
      {Line::Data, {"mosi", "sda", "sdin", "din"}, "MOSI, SDA, SDIN, DIN, D1", {"d1"}},
      {Line::DataCommand, kDataCommandNames, "DC, D/C, A0, RS"},
      {Line::Reset, {"res", "rst", "reset"}, "RES, RST, RESET"},
      {Line::ChipSelect, {"cs", "ce", "ss", "nss"}, "CS, CE, SS, NSS"},
  };
  return kNames;
}

const std::vector<RoleNames>& i2c_names() {
  static const std::vector<RoleNames> kNames = {
      {Line::Clock, {"scl"}, "SCL"},
      {Line::Data, {"sda"}, "SDA"},
      {Line::Reset, {"res", "rst", "reset"}, "RES, RST, RESET"},
  };
  return kNames;
}

// Lower case, without the marks of an active-low signal: "/CS", "CS#", "res_n".
std::string normalised(const std::string& name) {
  std::string s;
  for (const char c : name) s += static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  if (!s.empty() && (s.front() == '/' || s.front() == '!' || s.front() == '~')) s.erase(0, 1);
  if (!s.empty() && s.back() == '#') s.pop_back();
  if (s.size() > 2 && s.compare(s.size() - 2, 2, "_n") == 0) s.resize(s.size() - 2);
  return s;
}

bool required(Line line, emu::Bus bus) {
  if (line == Line::Clock || line == Line::Data) return true;
  return line == Line::DataCommand && bus == emu::Bus::Spi4;
}

// The channels the user's name fits, one per signal; a name fitting two
// different signals is refused.
std::optional<std::size_t> find_named(const std::vector<Channel>& channels, const std::string& wanted, Line line,
                                      bool i2c) {
  std::optional<std::size_t> found;
  for (std::size_t i = 0; i < channels.size(); ++i) {
    const Channel& c = channels[i];
    if (c.name != wanted && c.path != wanted) continue;
    if (found && channels[*found].id != c.id) {
      throw std::runtime_error("signal " + common::quoted_excerpt(wanted) + " for " + std::string(role_name(line, i2c)) +
                               " is ambiguous: " + common::quoted_excerpt(channels[*found].path) + " or " +
                               common::quoted_excerpt(c.path));
    }
    if (!found) found = i;
  }
  return found;
}

std::vector<std::string> paths_of(const std::vector<Channel>& channels) {
  std::vector<std::string> paths;
  for (const Channel& c : channels) paths.push_back(c.path);
  return paths;
}

}  // namespace

RoleBinding bind_roles(const std::vector<Channel>& channels, const std::optional<SignalMap>& map) {
  RoleBinding b;
  bool i2c = map && (map->bus ? *map->bus == emu::Bus::I2c : map->i2c_roles);
  if (!i2c && !(map && map->bus)) {
    // An SCL channel makes the capture I2C, unless the user mapped the clock or
    // there is a data/command line: many 4-wire boards label their clock SCL.
    const bool clock_named = map && map->is_named(Line::Clock);
    const auto named_any = [&channels](const std::vector<std::string>& names) {
      return std::any_of(channels.begin(), channels.end(), [&](const Channel& c) {
        return std::find(names.begin(), names.end(), normalised(c.name)) != names.end();
      });
    };
    const bool dc_named = (map && map->is_named(Line::DataCommand)) || named_any(kDataCommandNames);
    i2c = !clock_named && !dc_named && named_any({"scl"});
  }
  b.bus = map && map->bus ? *map->bus : i2c ? emu::Bus::I2c : emu::Bus::Spi4;

  // The user's names first.
  std::vector<std::string> missing;
  std::vector<bool> taken(channels.size(), false);
  for (int i = 0; i < emu::kLineCount; ++i) {
    const auto line = static_cast<Line>(i);
    if (!map || !map->is_named(line)) continue;
    const auto found = find_named(channels, map->name_of(line), line, i2c);
    if (!found) {
      missing.push_back(common::quoted_excerpt(map->name_of(line)) + " (" + std::string(role_name(line, i2c)) + ")");
      continue;
    }
    b.channel[static_cast<std::size_t>(i)] = found;
    for (std::size_t k = 0; k < channels.size(); ++k) taken[k] = taken[k] || channels[k].id == channels[*found].id;
  }
  if (!missing.empty()) {
    std::string list;
    for (std::size_t i = 0; i < missing.size(); ++i) list += (i ? ", " : "") + missing[i];
    const std::vector<std::string> paths = paths_of(channels);
    throw std::runtime_error("no signal " + list + " in the file; it declares " +
                             (paths.empty() ? std::string("none") : common::quoted_list(paths)));
  }

  // The rest from the channels' names.
  std::string problems, candidates;
  for (const RoleNames& role : i2c ? i2c_names() : spi_names()) {
    const auto index = static_cast<std::size_t>(role.line);
    if (b.channel[index]) continue;
    if (b.bus == emu::Bus::Spi3 && role.line == Line::DataCommand) continue;  // 3-wire has no such line
    std::vector<std::size_t> fits;
    const auto find_fits = [&](const auto& fits_name) {
      for (std::size_t k = 0; k < channels.size(); ++k) {
        if (taken[k] || !fits_name(normalised(channels[k].name))) continue;
        const bool same_signal =
            std::any_of(fits.begin(), fits.end(), [&](std::size_t f) { return channels[f].id == channels[k].id; });
        if (!same_signal) fits.push_back(k);
      }
    };
    const auto among = [](const std::vector<std::string>& names) {
      return [&names](const std::string& n) { return std::find(names.begin(), names.end(), n) != names.end(); };
    };
    find_fits(among(role.names));
    if (fits.empty()) find_fits(among(role.fallback));
    std::vector<std::string> fit_names;
    for (const std::size_t f : fits) fit_names.push_back(channels[f].path);
    const std::string role_text(role_name(role.line, i2c));
    candidates +=
        "\n  " + role_text + " (" + role.shown + "): " + (fits.empty() ? "none" : common::quoted_list(fit_names));
    if (fits.size() > 1) {
      problems += (problems.empty() ? "" : "; ") + std::to_string(fits.size()) + " channels fit " + role_text;
    } else if (fits.empty() && required(role.line, b.bus)) {
      problems += (problems.empty() ? "" : "; ") + std::string("no channel fits ") + role_text;
    } else if (fits.size() == 1) {
      b.channel[index] = fits.front();
      b.automatic = true;
    }
  }
  if (!problems.empty()) {
    const std::vector<std::string> paths = paths_of(channels);
    throw std::runtime_error("cannot tell which channel is which line: " + problems +
                             ". Channels: " + (paths.empty() ? std::string("none") : common::quoted_list(paths)) +
                             ". Candidates for each line:" + candidates +
                             "\nGive the signals with --map, e.g. --map sclk=D0,sdin=D1,dc=D2");
  }
  for (int i = 0; i < emu::kLineCount; ++i) {
    const auto& c = b.channel[static_cast<std::size_t>(i)];
    if (!c) continue;
    // The name alone where no other channel has it, as a user would write it.
    const std::string& name = channels[*c].name;
    const bool unique =
        std::count_if(channels.begin(), channels.end(), [&](const Channel& o) { return o.name == name; }) == 1;
    b.mapping += (b.mapping.empty() ? "" : ",") + std::string(role_name(static_cast<Line>(i), i2c)) + "=" +
                 (unique ? name : channels[*c].path);
  }
  return b;
}

}  // namespace qel::trace
