// Numbers as every message, listing and log of the project writes them: byte
// values in upper-case hexadecimal ("3C", or "0x3C" in sentences).
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

}  // namespace qel::common
