// Helpers the text-input harnesses share: reporting a broken rule, and telling
// whether a reported position lies inside the input.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace qel::fuzz {

// Prints "Rule broken: <what>" (at most a few hundred characters) and aborts, so
// that libFuzzer keeps the input as a crash.
[[noreturn]] void rule_broken(const std::string& what);

// Lines of `text` as an editor counts them: every '\n' ends one, and text after
// the last '\n' is one more. An empty text has one (empty) line.
std::uint64_t line_count(std::string_view text);

// Whether line `line`, column `column` (both from 1, a column per byte) is a
// byte of `text` or the end of one of its lines.
bool is_position_in(std::string_view text, std::uint64_t line, std::uint64_t column);

// The number after `prefix` and before ':' at the start of `message` ("f.vcd:12: ..."
// gives 12 for prefix "f.vcd:"); 0 when there is none.
std::uint64_t number_after(std::string_view message, std::string_view prefix);

}  // namespace qel::fuzz
