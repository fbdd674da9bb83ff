// VCD reader: timescales, scopes, value-change forms and signal mappings, and the
// messages for broken files and bad mappings.
#include "trace/vcd_reader.h"

#include <gtest/gtest.h>

#include <string>

#include "trace_test_support.h"

namespace qel::trace {
namespace {

const std::string kWires =
    "$scope module top $end\n$var wire 1 ! sclk $end\n$var wire 1 \" sdin $end\n$var wire 1 # dc $end\n"
    "$upscope $end\n$enddefinitions $end\n";

// "start 10-1- C0@30000 D1@2": start levels of sclk, sdin, dc, res_n, cs ('-'
// unknown), then the changes.
std::string describe(const CapturedTrace& trace) {
  std::string out = "start ";
  for (const auto& level : trace.start.initial) out += level ? (*level ? '1' : '0') : '-';
  return trace.changes.empty() ? out : out + " " + test::changes_text(trace);
}

// Each form of input yields the listed start levels and changes.
TEST(VcdReader, ReadsEachFormOfInput) {
  const std::string nested =
      "$timescale 1 ps $end\n$scope module la $end\n$scope module probes $end\n$var wire 1 a D0 $end\n"
      "$var wire 1 b D1 [1] $end\n$var wire 1 c D2 $end\n$var wire 1 d D3 $end\n$upscope $end\n$upscope $end\n"
      "$enddefinitions $end\n#0 0a 0b 0c 1d\n#2500 1a #4000 0d\n";
  const std::string shared = "$var wire 1 ! clk $end\n$var wire 1 ! clk_copy $end\n$var wire 1 \" d $end\n";
  // clang-format off
  const struct { std::string text, map, expected; } cases[] = {
      // timescale 10 us; the last level at the first time is the start level
      {"$timescale 10 us $end\n" + kWires + "#0 0! 1!\n#3 0!\n", "", "start 1---- C0@30000"},
      // a UTF-8 byte order mark; timescale 100ps as one word
      {"\xEF\xBB\xBF$timescale\n 100ps\n$end\n" + kWires + "#0 0\"\n#25 1\"\n", "", "start -0--- D1@2"},
      // several changes on one line; x and z leave the level
      {kWires + "#0 $dumpvars 0! 0\" x# $end #5 1! 1\" z# #7 X! 1# #9 0!\n", "", "start 00--- C1@5 D1@5 S1@7 C0@9"},
      // repeated levels and $dumpall change nothing; a level first known later is a change
      {kWires + "#1 1! #2 $dumpall 1! 0\" 0# $end #3 1!\n", "", "start 1---- D0@2 S0@2"},
      // vectors and reals skipped (a one-digit vector is a level), comments ignored
      {"$var wire 8 % bus $end\n$var real 64 & v $end\n" + kWires +
           "$comment probe 1 $end\n#4 b1010 % r1.5 & b1 ! 1#\n#6 b0 !\n", "", "start 1-1-- C0@6"},
      // analyzer names in nested scopes, mapped by name and by path, 1 ps
      {nested, "sclk=D0, sdin = la.probes.D1,dc=D2,res_n=D3", "start 0001- C1@2 R0@4"},
      // signals sharing an identifier code
      {shared + "$enddefinitions $end\n#1 1!\n#2 0!\n", "sclk=clk,sdin=d,dc=clk_copy", "start 1-1-- C0@2 S0@2"},
  };
  // clang-format on
  for (const auto& c : cases) {
    const test::Outcome o = test::read_text(read_vcd, "t.vcd", c.text, c.map);
    EXPECT_EQ(o.error.empty() ? describe(o.trace) : o.error, c.expected) << c.text;
  }
}

std::string many_wires(int n) {
  std::string text;
  for (int i = 0; i < n; ++i) text += "$var wire 1 w" + std::to_string(i) + " probe" + std::to_string(i) + " $end\n";
  return text + "$enddefinitions $end\n";
}

// Broken input and bad mappings are refused with the file, the line and what
// was expected; each message (or the printed map) holds the listed text. Names
// from the file reach both escaped: a scope named with terminal control
// sequences (set the title, clear the screen) shows as \x escapes, in a form
// --map takes back.
TEST(VcdReader, NamesFileLineAndProblemEscaped) {
  const std::string hostile = "\x1B]0;PWNED\x07\x1B[2J", escaped = "\\x1B]0;PWNED\\x07\\x1B[2J";
  const std::string two_signals = "$var wire 1 \" MOSI $end\n$var wire 1 # DC $end\n$enddefinitions $end\n";
  const std::string two_clocks = "$scope module " + hostile + " $end\n$var wire 1 ! CLK $end\n$upscope $end\n" +
                                 "$scope module b $end\n$var wire 1 ! CLK $end\n$upscope $end\n" + two_signals;
  // clang-format off
  const struct { std::string text, map, message; } cases[] = {
      {"$timescale 1 ns foo $end\n", "", "t.vcd:1: expected '$end' after '$timescale', got 'foo'."},
      {"\n$timescale 3 ns $end\n", "", "t.vcd:2: expected a timescale of 1, 10 or 100 and a unit of s, ms, us,"},
      {"$timescale 1ns $end\n$timescale 1us $end\n", "", "t.vcd:2: got a second '$timescale'; the first is on line 1"},
      {"$var wire 1 ! sclk $end\n$var wire 1 \" sdin $end\n$enddefinitions $end\n", "",
       "t.vcd:3: cannot tell which channel is which line: no channel fits dc. Channels: 'sclk', 'sdin'."},
      {kWires, "res_n=RST,cs=CS", "t.vcd:6: no signal 'RST' (res_n), 'CS' (cs) in the file; it declares 'top."},
      {many_wires(12), "sclk=CLK", "it declares 'probe0', 'probe1', 'probe2', 'probe3', 'probe4', 'probe5', 'probe6', "
                                   "'probe7', 'probe8', 'probe9' and 2 more."},
      {"$var wire 4 * bus $end\n" + kWires, "sclk=bus", "t.vcd:7: signal 'bus' for sclk is 4 bits wide; expected"},
      {kWires + "#0 1?\n", "", "t.vcd:7: got undeclared identifier code '?'."},
      {kWires + "#10\n#5\n", "", "t.vcd:8: time '#5' is before the previous time '#10'."},
      {kWires + "#18446744073709551615\n#18446744073709551616\n", "",
       "t.vcd:8: time '#18446744073709551616' is too large; times up to 64 bits are read."},
      {"$timescale 1ms $end\n" + kWires + "#18446744073709551\n", "",
       "t.vcd:8: time '#18446744073709551' is too large to count in nanoseconds."},
      {kWires + "hello\n", "", "t.vcd:7: expected a time or a value change, got 'hello'."},
      {kWires + std::string(100, 'y') + "\n", "", "got 'yyyyyyyyyyyyyyyyyyyyyyyyyyyyyyyyyyyyyyyy...' (100 bytes)"},
      {kWires + "\x01\x02\n", "", "got '\\x01\\x02'."},
      {kWires + "#0\n" + std::string(3 << 20, ' ') + "#1\n", "", "t.vcd:8: expected a line of at most 1 MiB"},
      {"$comment never closed\n", "", "t.vcd:1: expected '$end' to close '$comment' from line 1, got the end of the"},
      {"$var wire 1 ! sclk $end\n", "", "t.vcd:1: expected '$enddefinitions', got the end of the file."},
      {kWires, "sclk", "Bad signal mapping item 'sclk' at column 1: expected role=name with a role of sclk,"},
      {kWires, "sclk=D0,clk=D1", "Bad signal mapping item 'clk=D1' at column 9: expected role=name"},
      {kWires, "cs=A,cs=B", "Bad signal mapping item 'cs=B' at column 6: the cs line is mapped twice."},
      {kWires, "sclk=CLK,sdin=CLK", "item 'sdin=CLK' at column 10: signal 'CLK' is already mapped to sclk."},
      // one signal under two paths: the path is printed, the first one
      {two_clocks, "", "sclk='" + escaped + ".CLK',sdin=MOSI,dc=DC"},
      {two_clocks, "sclk='" + escaped + ".CLK'", "sclk='" + escaped + ".CLK',sdin=MOSI,dc=DC"},
      {"$var wire 1 ! " + hostile + " $end\n" + two_signals, "sclk='" + escaped + "'", "sclk='" + escaped + "',sdin"},
      {"$scope module " + hostile + " $end\n$var wire 1 ! CLK $end\n$var wire 1 % SCK $end\n$upscope $end\n" +
           two_signals, "", "t.vcd:7: cannot tell which channel is which line: 2 channels fit sclk. Channels: '" +
           escaped},
      {"$scope module " + hostile + " x $end\n", "", "t.vcd:1: expected '$end' after '$scope module " + escaped},
  };
  // clang-format on
  for (const auto& c : cases) {
    const test::Outcome o = test::read_text(read_vcd, "t.vcd", c.text, c.map);
    const std::string printed = o.error.empty() ? o.trace.start.mapping : o.error;
    EXPECT_NE(printed.find(c.message), std::string::npos) << c.text << "\n" << printed;
    EXPECT_EQ(printed.find_first_of("\x1B\x07"), std::string::npos) << printed;
  }
}

}  // namespace
}  // namespace qel::trace
