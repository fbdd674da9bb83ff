// Number formatting; see text_format.h.
#include "common/text_format.h"

#include <cstdio>

namespace qel::common {

std::string hex_byte(unsigned value) {
  char text[16];
  std::snprintf(text, sizeof text, "0x%02X", value);
  return text;
}

std::string time_text(std::uint64_t ns, TimeStyle style) {
  char text[48];
  const auto count = [](std::uint64_t n) { return static_cast<unsigned long long>(n); };
  switch (style) {
    case TimeStyle::Exact:
      if (ns >= 1000 && ns % 1000 == 0) return std::to_string(ns / 1000) + " us";
      return std::to_string(ns) + " ns";
    case TimeStyle::Milliseconds:
      std::snprintf(text, sizeof text, "%llu.%06llu ms", count(ns / 1'000'000), count(ns % 1'000'000));
      return text;
    case TimeStyle::Figure:
    case TimeStyle::Label:
      break;
  }
  struct Unit {
    std::uint64_t ns;
    const char* name;
  };
  static constexpr Unit kUnits[] = {{1'000'000'000, "s"}, {1'000'000, "ms"}, {1'000, "us"}};
  for (const Unit& unit : kUnits) {
    if (ns < unit.ns) continue;
    const double value = static_cast<double>(ns) / static_cast<double>(unit.ns);
    std::snprintf(text, sizeof text, style == TimeStyle::Figure ? "%.3f %s" : "%.3g %s", value, unit.name);
    return text;
  }
  return std::to_string(ns) + " ns";
}

}  // namespace qel::common
