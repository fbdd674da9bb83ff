// Text from input, as the program prints it: script strings holding terminal
// control bytes, and file names holding them, reach standard output and
// standard error escaped (--stats, --bytes -, --commands -, the notes, the
// capture's figures and messages). That a call's line reads back as the same
// call is the script fuzzer's rule, which every seed of fuzz/seeds/script keeps.
#include <gtest/gtest.h>

#include <string>

#include "program_fixture.h"

namespace qel::tool::test {
namespace {

// Sets the window title, rings the bell and clears the screen.
const std::string kHostile = "\x1B]0;PWNED\x07\x1B[2J";
const std::string kEscaped = "\\x1B]0;PWNED\\x07\\x1B[2J";

// The first byte a terminal would act on (a control byte other than a line
// end), or none.
std::string control_byte_in(const std::string& text) {
  for (const char c : text) {
    if ((c >= 0 && c < 0x20 && c != '\n') || c == 0x7F) return "byte " + std::to_string(static_cast<int>(c));
  }
  return "none";
}

class EscapedOutput : public ProgramRun {};

// Script strings in --stats, --bytes - and --commands -; a capture's and a
// script's file names in the figures' title, the notes and the refusals (a
// capture on standard input is named so).
TEST_F(EscapedOutput, TextFromInputIsEscapedWherePrinted) {
  ASSERT_EQ(run("-e 'QEL_LCD_Init();' --vcd whole.vcd --no-term").status, 0);
  const std::string vcd = slurp(dir_ / "whole.vcd");
  const std::string name = "cap" + kHostile + ".vcd", shown = "cap" + kEscaped + ".vcd";
  file(name, vcd.substr(0, vcd.size() - 3));
  file("bad" + kHostile + ".vcd", "$var wire 1 ! sclk $end\n");
  file("s" + kHostile + ".qel", "QEL_LCD_ClearLine(1);\n");
  file("esc.qel", "QEL_LCD_Init();\nQEL_LCD_WriteString(\"" + kHostile + "\", 1);\n");
  const std::string call = "QEL_LCD_WriteString(\"" + kEscaped + "\", 1);";
  // clang-format off
  const struct { std::string args, out, err; } cases[] = {
      {"--script esc.qel --stats", "QEL_LCD_WriteString(\"\\x1B]0;PWNED\\x07\\x1B...       45      194       5975", ""},
      {"--script esc.qel --bytes -", "\n# " + call + "\n", ""},
      {"--script esc.qel --commands -", "esc.qel:2:1  # " + call + "\n", ""},
      {"--decode '" + name + "' --stats", "capture '" + shown + "' (VCD)\n", "note: " + shown + ":"},
      {"--decode - --stats <'" + name + "'", "capture on standard input (VCD)\n", "note: standard input:"},
      {"--decode 'bad" + kHostile + ".vcd'", "", "bad" + kEscaped + ".vcd:1: expected '$enddefinitions'"},
      {"--script 's" + kHostile + ".qel'", "", "note: s" + kEscaped + ".qel:1:1: QEL_LCD_ClearLine before"},
  };
  // clang-format on
  for (const auto& c : cases) {
    const Result r = run(c.args + " --no-term");
    EXPECT_NE(r.out.find(c.out), std::string::npos) << c.args << "\n" << r.out;
    EXPECT_NE(r.err.find(c.err), std::string::npos) << r.err;
    EXPECT_EQ(control_byte_in(r.out + r.err), "none") << r.out << r.err;
  }
}

}  // namespace
}  // namespace qel::tool::test
