// A fuzz input read as a script of calls to the module's public operations.
//
// Input format: a sequence of calls, at most kMaxCalls. Each call opens with an
// operation byte, taken modulo 64: 0-15 WriteString, 16-31 ClearLine, 32-47
// WriteValue, 48-63 WriteStringValue, except 58 Init and 59 Init with PIN_open
// failing. A start-up is the slowest call and the least interesting to repeat
// (the harness checks the first in full and holds later ones to it), so it gets
// one code each, away from 0x00 and 0xFF, the commonest bytes of mutated inputs.
// Its arguments follow, only those the operation takes, in this order:
//   line    1 byte
//   value   4 bytes, little-endian
//   base    1 byte
//   text    2-byte little-endian length n; 0xFFFF is NULL, otherwise n modulo
//           (kMaxTextLength + 1) bytes of text follow. A zero byte among them ends
//           the string there, as it would in C.
// An input that ends inside a call reads zeros for what is missing.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace qel::fuzz {

enum class CallKind : std::uint8_t {
  Init,              // QEL_LCD_Init
  InitOpenFails,     // QEL_LCD_Init with the next PIN_open made to fail
  WriteString,       // QEL_LCD_WriteString(text, line)
  ClearLine,         // QEL_LCD_ClearLine(line)
  WriteValue,        // QEL_LCD_WriteValue(value, base, line)
  WriteStringValue,  // QEL_LCD_WriteStringValue(text, value, base, line)
};

inline constexpr std::size_t kMaxCalls = 16;
inline constexpr std::size_t kMaxTextLength = 600;
inline constexpr std::uint16_t kNullText = 0xFFFF;

struct Call {
  CallKind kind = CallKind::Init;
  std::uint8_t line = 0;
  std::uint32_t value = 0;
  std::uint8_t base = 0;
  std::optional<std::string> text;  // nullopt: NULL; never holds a zero byte

  bool takes_line() const { return kind != CallKind::Init && kind != CallKind::InitOpenFails; }
  bool takes_value() const { return kind == CallKind::WriteValue || kind == CallKind::WriteStringValue; }
  bool takes_text() const { return kind == CallKind::WriteString || kind == CallKind::WriteStringValue; }
};

std::vector<Call> read_calls(const std::uint8_t* data, std::size_t size);

// "WriteString(line 7, 25-character text)" and the like, for failure reports.
std::string describe(const Call& call);

}  // namespace qel::fuzz
