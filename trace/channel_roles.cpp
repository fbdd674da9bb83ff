// Channel-to-line binding: the user's map first, then the common channel names.
#include "trace/channel_roles.h"

#include <algorithm>
#include <cctype>
#include <stdexcept>
#include <string_view>

#include "common/message_text.h"

namespace qel::trace {
namespace {

using emu::Line;

struct RoleNames {
  Line line;
  std::vector<std::string_view> names;  // lower case, as compared
  const char* shown;                    // for messages
  // Names taken only when no channel has one of the names above: an analyzer's
  // default name (PulseView calls the channels D0, D1... until renamed), and
  // SCL for the clock of a board that labels its serial pins like I2C ones
  // (this is reached only when the user chose a serial bus).
  std::vector<std::string_view> fallback = {};
};

const std::vector<std::string_view> kDataCommandNames = {"dc", "d/c", "a0", "rs"};

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

bool among(const std::vector<std::string_view>& names, std::string_view name) {
  return std::find(names.begin(), names.end(), name) != names.end();
}

// Lower case, without blanks at either end or the marks of an active-low
// signal: "/CS", "CS#", "res_n".
// Written into `s`, which is reused from channel to channel.
std::string_view normalised(const std::string& name, std::string& s) {
  s.clear();
  std::string_view n(name);
  while (!n.empty() && (n.front() == ' ' || n.front() == '\t')) n.remove_prefix(1);
  while (!n.empty() && (n.back() == ' ' || n.back() == '\t')) n.remove_suffix(1);
  if (n.size() > 16) return {};  // longer than any common name with its marks
  for (const char c : n) s += static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  n = s;
  if (!n.empty() && (n.front() == '/' || n.front() == '!' || n.front() == '~')) n.remove_prefix(1);
  if (!n.empty() && n.back() == '#') n.remove_suffix(1);
  if (n.size() > 2 && n.substr(n.size() - 2) == "_n") n.remove_suffix(2);
  return n;
}

bool required(Line line, emu::Bus bus) {
  if (line == Line::Clock || line == Line::Data) return true;
  return line == Line::DataCommand && bus == emu::Bus::Spi4;
}

class Binder {
 public:
  Binder(const std::vector<Channel>& channels, const ScopeTree& scopes, const std::optional<SignalMap>& map)
      : channels_(channels), scopes_(scopes), map_(map) {}

  RoleBinding bind() {
    choose_bus();
    bind_named();
    bind_from_names();
    write_mapping();
    return b_;
  }

 private:
  std::string path(std::size_t k) const { return scopes_.path(channels_[k].scope, channels_[k].name); }

  // "'a', 'b' and 3 more": at most the listed number of paths is spelled out.
  template <typename Index>
  std::string listed(std::size_t count, Index index) const {
    if (count == 0) return "none";
    std::vector<std::string> paths;
    for (std::size_t i = 0; i < count && i < common::kListedNames; ++i) paths.push_back(path(index(i)));
    std::string out = common::quoted_list(paths);
    if (count > paths.size()) out += " and " + std::to_string(count - paths.size()) + " more";
    return out;
  }
  std::string all_listed() const {
    return listed(channels_.size(), [](std::size_t i) { return i; });
  }

  void choose_bus() {
    bool i2c = map_ && (map_->bus ? *map_->bus == emu::Bus::I2c : map_->i2c_roles);
    if (!i2c && !(map_ && map_->bus)) {
      // An SCL channel makes the capture I2C, unless the user mapped the clock or
      // there is a data/command line: many 4-wire boards label their clock SCL.
      bool dc_named = map_ && map_->is_named(Line::DataCommand), scl_named = false;
      for (const Channel& c : channels_) {
        const std::string_view n = normalised(c.name, scratch_);
        dc_named = dc_named || among(kDataCommandNames, n);
        scl_named = scl_named || n == "scl";
      }
      i2c = !(map_ && map_->is_named(Line::Clock)) && !dc_named && scl_named;
    }
    i2c_ = i2c;
    b_.bus = map_ && map_->bus ? *map_->bus : i2c ? emu::Bus::I2c : emu::Bus::Spi4;
  }

  // The one signal the user's name fits, by name or path; a name fitting two
  // different signals is refused.
  std::optional<std::size_t> find_named(const std::string& wanted, Line line) const {
    std::optional<std::size_t> found;
    for (std::size_t k = 0; k < channels_.size(); ++k) {
      const Channel& c = channels_[k];
      if (c.name != wanted && !scopes_.path_is(c.scope, c.name, wanted)) continue;
      if (found && channels_[*found].signal != c.signal) {
        throw std::runtime_error(
            "signal " + common::quoted_excerpt(wanted) + " for " + std::string(role_name(line, i2c_)) +
            " is ambiguous: " + common::quoted_excerpt(path(*found)) + " or " + common::quoted_excerpt(path(k)));
      }
      if (!found) found = k;
    }
    return found;
  }

  void bind_named() {
    std::vector<std::string> missing;
    for (int i = 0; i < emu::kLineCount; ++i) {
      const auto line = static_cast<Line>(i);
      if (!map_ || !map_->is_named(line)) continue;
      const auto found = find_named(map_->name_of(line), line);
      if (!found) {
        missing.push_back(common::quoted_excerpt(map_->name_of(line)) + " (" + std::string(role_name(line, i2c_)) +
                          ")");
        continue;
      }
      b_.channel[static_cast<std::size_t>(i)] = found;
      taken_.push_back(channels_[*found].signal);
    }
    if (!missing.empty()) {
      std::string list;
      for (std::size_t i = 0; i < missing.size(); ++i) list += (i ? ", " : "") + missing[i];
      throw std::runtime_error("no signal " + list + " in the file; it declares " + all_listed());
    }
  }

  // The channels whose names fit a role (its own names, or failing those its
  // fallback names), one per signal.
  struct Fits {
    std::vector<std::size_t> channels;
    std::vector<bool> signals;  // the signals already among them

    void add(std::size_t k, std::size_t signal, std::size_t count) {
      if (signals.empty()) signals.resize(count);
      if (signals[signal]) return;
      signals[signal] = true;
      channels.push_back(k);
    }
  };

  bool taken(std::size_t signal) const { return std::find(taken_.begin(), taken_.end(), signal) != taken_.end(); }

  void bind_from_names() {
    const std::vector<RoleNames>& roles = i2c_ ? i2c_names() : spi_names();
    std::vector<Fits> first(roles.size()), fallback(roles.size());
    for (std::size_t k = 0; k < channels_.size(); ++k) {
      const Channel& c = channels_[k];
      if (taken(c.signal)) continue;
      const std::string_view n = normalised(c.name, scratch_);
      if (n.empty()) continue;
      for (std::size_t r = 0; r < roles.size(); ++r) {
        if (among(roles[r].names, n)) first[r].add(k, c.signal, channels_.size());
        if (among(roles[r].fallback, n)) fallback[r].add(k, c.signal, channels_.size());
      }
    }
    std::string problems, candidates;
    for (std::size_t r = 0; r < roles.size(); ++r) {
      const RoleNames& role = roles[r];
      const auto index = static_cast<std::size_t>(role.line);
      if (b_.channel[index]) continue;
      if (b_.bus == emu::Bus::Spi3 && role.line == Line::DataCommand) continue;  // 3-wire has no such line
      const std::vector<std::size_t>& found = first[r].channels.empty() ? fallback[r].channels : first[r].channels;
      const std::string role_text(role_name(role.line, i2c_));
      candidates += "\n  " + role_text + " (" + role.shown +
                    "): " + listed(found.size(), [&found](std::size_t i) { return found[i]; });
      if (found.size() > 1) {
        problems += (problems.empty() ? "" : "; ") + std::to_string(found.size()) + " channels fit " + role_text;
      } else if (found.empty() && required(role.line, b_.bus)) {
        problems += (problems.empty() ? "" : "; ") + std::string("no channel fits ") + role_text;
      } else if (found.size() == 1) {
        b_.channel[index] = found.front();
        b_.automatic = true;
      }
    }
    if (!problems.empty()) {
      throw std::runtime_error("cannot tell which channel is which line: " + problems + ". Channels: " + all_listed() +
                               ". Candidates for each line:" + candidates +
                               "\nGive the signals with --map, e.g. --map sclk=D0,sdin=D1,dc=D2");
    }
  }

  void write_mapping() {
    for (int i = 0; i < emu::kLineCount; ++i) {
      const auto& c = b_.channel[static_cast<std::size_t>(i)];
      if (!c) continue;
      // The name alone where no other channel has it, as a user would write it.
      const std::string& name = channels_[*c].name;
      const bool unique =
          std::count_if(channels_.begin(), channels_.end(), [&](const Channel& o) { return o.name == name; }) == 1;
      b_.mapping += (b_.mapping.empty() ? "" : ",") + std::string(role_name(static_cast<Line>(i), i2c_)) + "=" +
                    map_name(unique ? name : path(*c));
    }
  }

  const std::vector<Channel>& channels_;
  const ScopeTree& scopes_;
  const std::optional<SignalMap>& map_;
  RoleBinding b_;
  bool i2c_ = false;
  std::vector<std::size_t> taken_;  // the signals the user mapped
  std::string scratch_;
};

}  // namespace

RoleBinding bind_roles(const std::vector<Channel>& channels, const ScopeTree& scopes,
                       const std::optional<SignalMap>& map) {
  return Binder(channels, scopes, map).bind();
}

RoleBinding bind_roles(const std::vector<Channel>& channels, const std::optional<SignalMap>& map) {
  static const ScopeTree kNoScopes;
  return bind_roles(channels, kNoScopes, map);
}

}  // namespace qel::trace
