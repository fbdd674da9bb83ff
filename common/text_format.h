// Numbers as every message, listing and log of the project writes them: byte
// values in upper-case hexadecimal ("3C", or "0x3C" in sentences), and times.
#pragma once

#include <cstdint>
#include <string>

namespace qel::common {

inline constexpr char kHexDigits[] = "0123456789ABCDEF";

// Appends the two hex digits of `value` ("3C"); inline, for byte logs that write one per byte.
inline void append_hex_digits(std::string& out, std::uint8_t value) {
  out += kHexDigits[value >> 4];
  out += kHexDigits[value & 0x0F];
}

// "3C".
inline std::string hex_digits(std::uint8_t value) {
  std::string out;
  append_hex_digits(out, value);
  return out;
}

// "0x3C": a byte-sized value in a sentence. Values above 0xFF keep all their digits.
std::string hex_byte(unsigned value);

// How a time is written. Units are s, ms, us and ns.
enum class TimeStyle {
  Exact,         // "3 us", "250 ns": whole microseconds when exact, else nanoseconds (limits in notes)
  Figure,        // "12.346 ms", "250 ns": three decimals in the largest unit that fits (measured figures)
  Label,         // "12.3 ms": three significant digits in the largest unit that fits (axis labels)
  Milliseconds,  // "12.345678 ms": nanoseconds written as milliseconds (capture times, wire time)
};

std::string time_text(std::uint64_t ns, TimeStyle style);

}  // namespace qel::common
