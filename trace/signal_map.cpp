// Role names of the serial lines and the parser of user signal mappings.
#include "trace/signal_map.h"

#include <algorithm>
#include <stdexcept>

#include "common/message_text.h"

namespace qel::trace {
namespace {

constexpr std::array<std::string_view, emu::kLineCount> kRoleNames = {"sclk", "sdin", "dc", "res_n", "cs"};

std::string_view trim(std::string_view s) {
  const auto first = s.find_first_not_of(" \t");
  if (first == std::string_view::npos) return {};
  const auto last = s.find_last_not_of(" \t");
  return s.substr(first, last - first + 1);
}

}  // namespace

std::string_view role_name(emu::Line line, bool i2c) {
  if (i2c && line == emu::Line::Clock) return "scl";
  if (i2c && line == emu::Line::Data) return "sda";
  return kRoleNames[static_cast<std::size_t>(line)];
}

std::optional<emu::Line> role_of_name(std::string_view role) {
  if (role == "scl") return emu::Line::Clock;
  if (role == "sda") return emu::Line::Data;
  for (std::size_t i = 0; i < kRoleNames.size(); ++i) {
    if (kRoleNames[i] == role) return static_cast<emu::Line>(i);
  }
  return std::nullopt;
}

SignalMap parse_signal_map(std::string_view text) {
  SignalMap map;
  std::size_t start = 0;
  while (start <= text.size()) {
    const auto comma = std::min(text.find(',', start), text.size());
    const std::string_view raw = text.substr(start, comma - start);
    const std::string_view item = trim(raw);
    const std::size_t column = start + 1 + std::min(raw.find_first_not_of(" \t"), raw.size());
    const auto refuse = [&](const std::string& what) {
      throw SignalMapError(column, "Bad signal mapping item " + common::quoted_excerpt(item) + " at column " +
                                       std::to_string(column) + ": " + what);
    };
    start = comma + 1;

    const auto equals = item.find('=');
    const std::string_view role_text = equals == std::string_view::npos ? item : trim(item.substr(0, equals));
    const auto role = equals == std::string_view::npos ? std::nullopt : role_of_name(role_text);
    const auto name = equals == std::string_view::npos ? std::string_view{} : trim(item.substr(equals + 1));
    if (!role || name.empty()) refuse("expected role=name with a role of sclk, sdin, dc, res_n, cs, scl or sda.");
    const auto index = static_cast<std::size_t>(*role);
    if (map.named[index]) refuse("the " + std::string(role_name(*role)) + " line is mapped twice.");
    for (std::size_t other = 0; other < map.name.size(); ++other) {
      if (map.named[other] && map.name[other] == name) {
        refuse("signal " + common::quoted_excerpt(name) + " is already mapped to " +
               std::string(role_name(static_cast<emu::Line>(other))) + ".");
      }
    }
    if (role_text == "scl" || role_text == "sda") map.i2c_roles = true;
    map.name[index] = std::string(name);
    map.named[index] = true;
  }
  return map;
}

}  // namespace qel::trace
