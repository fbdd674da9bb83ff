// libFuzzer entry for the signal map of --map: each input is a "role=name,..." list.
// - It is either accepted or refused with a SignalMapError whose column is a
//   place in the list; any other exception, or a sanitizer report, is a fault.
// - An accepted map names each role given once, with a name that is not
//   empty, leaves the other roles unnamed (they are found from the capture's
//   channel names), and reads back the same from its own "role=name,..." form,
//   names written by map_name (quoted where a name needs it; one of over
//   1 KiB that needs quoting is written cut and not read back).
#include <cstddef>
#include <cstdint>
#include <exception>
#include <string>
#include <string_view>

#include "input_text.h"
#include "trace/signal_map.h"

namespace {

using qel::fuzz::rule_broken;
using qel::trace::SignalMap;

std::string written(const SignalMap& map) {
  std::string out;
  for (int i = 0; i < qel::emu::kLineCount; ++i) {
    const auto line = static_cast<qel::emu::Line>(i);
    if (!map.is_named(line)) continue;
    out += (out.empty() ? "" : ",") + std::string(qel::trace::role_name(line)) + "=" +
           qel::trace::map_name(map.name_of(line));
  }
  return out;
}

void expect_sound(const SignalMap& map) {
  for (int i = 0; i < qel::emu::kLineCount; ++i) {
    const auto line = static_cast<qel::emu::Line>(i);
    const std::string& name = map.name_of(line);
    if (!map.is_named(line)) {
      if (!name.empty()) rule_broken("an unnamed role with a name");
      continue;
    }
    if (name.empty()) rule_broken("role '" + std::string(qel::trace::role_name(line)) + "' mapped to no name");
  }
}

// A name of over 1 KiB that needs quoting is written cut, as messages cut it.
bool written_whole(const SignalMap& map) {
  for (const std::string& name : map.name) {
    if (name.size() > 1024 && qel::trace::map_name(name).front() == '\'') return false;
  }
  return true;
}

bool same(const SignalMap& a, const SignalMap& b) { return a.name == b.name && a.named == b.named; }

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  SignalMap map;
  try {
    map = qel::trace::parse_signal_map(text);
  } catch (const qel::trace::SignalMapError& e) {
    if (e.column() == 0 || e.column() > text.size() + 1) {
      rule_broken("refused at column " + std::to_string(e.column()) + ", outside the map: " + e.what());
    }
    return 0;
  } catch (const std::exception& e) {
    rule_broken(std::string("refused with an exception that is not a map error: ") + e.what());
  }
  expect_sound(map);
  if (!written_whole(map)) return 0;
  try {
    if (!same(qel::trace::parse_signal_map(written(map)), map)) rule_broken("the map reads back differently");
  } catch (const std::exception& e) {
    rule_broken("the map's own form '" + written(map) + "' is refused: " + e.what());
  }
  return 0;
}
