// --map lists: names in quote marks with the escapes messages use, the column
// and message of a badly quoted name, and names written back as a map reads them.
#include "trace/signal_map.h"

#include <gtest/gtest.h>

#include <string>

namespace qel::trace {
namespace {

// "sclk=<name>|sdin=<name>" for the named roles, or the message.
std::string parsed(const std::string& text) {
  try {
    const SignalMap map = parse_signal_map(text);
    std::string out;
    for (int i = 0; i < emu::kLineCount; ++i) {
      const auto line = static_cast<emu::Line>(i);
      if (map.is_named(line)) out += (out.empty() ? "" : "|") + std::string(role_name(line)) + "=" + map.name_of(line);
    }
    return out;
  } catch (const SignalMapError& e) {
    return std::to_string(e.column()) + ": " + e.what();
  }
}

TEST(SignalMap, ReadsQuotedNames) {
  const std::string bad = "Bad signal mapping item ";
  // clang-format off
  const struct { std::string text, expected; } cases[] = {
      {" sclk = D0 , sdin=la.D1", "sclk=D0|sdin=la.D1"},
      {"sclk=' CLK'", "sclk= CLK"},
      {"sclk=\"Probe 6, spare\",sdin=D1", "sclk=Probe 6, spare|sdin=D1"},
      {"sclk='it\\'s' ,dc=\"\\\"q\\\\\"", "sclk=it's|dc=\"q\\"},
      {"cs='\\x1B[2J\\t\\n'", "cs=\x1B[2J\t\n"},
      {"sclk=' CLK", "1: " + bad + "'sclk=\\' CLK' at column 1: expected a closing ' after the name."},
      {"sdin=D1, sclk='a'b,dc=x", "10: " + bad + "'sclk=\\'a\\'b' at column 10: expected ',' after the quoted name."},
      {"sclk='\\q'", "1: " + bad + "'sclk=\\'\\\\q\\'' at column 1: expected an escape of \\\\, \\', \\\", \\n, \\t, "
                     "\\r, \\0 or \\xHH in the quoted name."},
      {"sclk='\\x1'", "1: " + bad + "'sclk=\\'\\\\x1\\'' at column 1: expected two hex digits after \\x in the quoted "
                      "name."},
      {"sclk=''", "1: " + bad + "'sclk=\\'\\'' at column 1: expected role=name with a role of sclk, sdin, dc, res_n, "
                  "cs, scl or sda."},
  };
  // clang-format on
  for (const auto& c : cases) EXPECT_EQ(parsed(c.text), c.expected) << c.text;
}

// A name is written plain when it reads back so, and quoted otherwise; either
// way the map reads back the same name.
TEST(SignalMap, NamesAreWrittenAsAMapReadsThem) {
  // clang-format off
  const struct { std::string name, written; } cases[] = {
      {"D0", "D0"},
      {"la.probes.D1", "la.probes.D1"},
      {"x=y", "x=y"},
      {"say \"hi\"", "say \"hi\""},
      {" CLK", "' CLK'"},
      {"CLK ", "'CLK '"},
      {"Probe 6, spare", "'Probe 6, spare'"},
      {"'quoted'", "'\\'quoted\\''"},
      {"\x1B]0;PWNED\x07\x1B[2J", "'\\x1B]0;PWNED\\x07\\x1B[2J'"},
      {"K\xC3\xA4nal", "'K\\xC3\\xA4nal'"},
  };
  // clang-format on
  for (const auto& c : cases) {
    EXPECT_EQ(map_name(c.name), c.written);
    EXPECT_EQ(parsed("sclk=" + map_name(c.name)), "sclk=" + c.name) << c.written;
  }
}

}  // namespace
}  // namespace qel::trace
