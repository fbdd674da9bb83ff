// Role names of the serial lines and the parser of user signal mappings.
#include "trace/signal_map.h"

#include <algorithm>
#include <stdexcept>

#include "common/message_text.h"
#include "trace/quoted_name.h"

namespace qel::trace {
namespace {

constexpr std::array<std::string_view, emu::kLineCount> kRoleNames = {"sclk", "sdin", "dc", "res_n", "cs"};

constexpr std::size_t kLongestQuotedName = 1024;

std::size_t skip_blanks(std::string_view s, std::size_t at) {
  while (at < s.size() && (s[at] == ' ' || s[at] == '\t')) ++at;
  return at;
}

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

std::string map_name(std::string_view name) {
  const bool plain = !name.empty() && name.front() != ' ' && name.front() != '\'' && name.front() != '"' &&
                     name.back() != ' ' &&
                     std::all_of(name.begin(), name.end(), [](char c) { return c >= 0x20 && c < 0x7F && c != ','; });
  if (plain) return std::string(name);
  // Whole, so that it reads back, unless too long to be worth showing.
  return common::quoted_excerpt(name, name.size() <= kLongestQuotedName ? name.size() : common::kExcerptChars);
}

SignalMap parse_signal_map(std::string_view text) {
  const std::string expected = "expected role=name with a role of sclk, sdin, dc, res_n, cs, scl or sda.";
  SignalMap map;
  std::size_t at = 0;
  while (true) {
    const std::size_t start = skip_blanks(text, at);
    const std::size_t column = start + 1;
    std::size_t end = std::min(text.find(',', start), text.size());  // of the item
    std::string_view item = trim(text.substr(start, end - start));
    const auto refuse = [&](const std::string& what) {
      throw SignalMapError(column, "Bad signal mapping item " + common::quoted_excerpt(item) + " at column " +
                                       std::to_string(column) + ": " + what);
    };
    const std::size_t equals = std::min(text.find('=', start), end);
    if (equals == end) refuse(expected);
    const std::string_view role_text = trim(text.substr(start, equals - start));
    const auto role = role_of_name(role_text);
    std::string name;
    const std::size_t name_start = skip_blanks(text, equals + 1);
    if (name_start < end && (text[name_start] == '\'' || text[name_start] == '"')) {
      // A quoted name may hold commas: the item ends after its closing mark.
      QuotedName quoted = read_quoted_name(text, name_start);
      end = skip_blanks(text, quoted.end);
      item = trim(text.substr(start, std::min(text.find(',', end), text.size()) - start));
      if (!quoted.problem.empty()) refuse(quoted.problem);
      if (end < text.size() && text[end] != ',') refuse("expected ',' after the quoted name.");
      name = std::move(quoted.name);
    } else {
      name = std::string(trim(text.substr(equals + 1, end - equals - 1)));
    }
    if (!role || name.empty()) refuse(expected);
    const auto index = static_cast<std::size_t>(*role);
    if (map.named[index]) refuse("the " + std::string(role_name(*role)) + " line is mapped twice.");
    for (std::size_t other = 0; other < map.name.size(); ++other) {
      if (map.named[other] && map.name[other] == name) {
        refuse("signal " + common::quoted_excerpt(name) + " is already mapped to " +
               std::string(role_name(static_cast<emu::Line>(other))) + ".");
      }
    }
    if (role_text == "scl" || role_text == "sda") map.i2c_roles = true;
    map.name[index] = std::move(name);
    map.named[index] = true;
    if (end >= text.size()) return map;
    at = end + 1;
  }
}

}  // namespace qel::trace
