// VCD reader: timescales, scopes, value-change forms and signal mappings, and the
// messages for broken files and bad mappings.
#include "trace/vcd_reader.h"

#include <gtest/gtest.h>

#include <functional>
#include <sstream>
#include <stdexcept>
#include <string>

namespace qel::trace {
namespace {

const std::string kThreeWires =
    "$scope module top $end\n$var wire 1 ! sclk $end\n$var wire 1 \" sdin $end\n$var wire 1 # dc $end\n"
    "$upscope $end\n$enddefinitions $end\n";

CapturedTrace read(const std::string& text, const std::string& map = "") {
  std::istringstream in(text);
  return read_vcd(in, "t.vcd", map.empty() ? std::nullopt : std::optional<SignalMap>(parse_signal_map(map)));
}

// "start 10-1- C0@30000 D1@2": start levels of sclk, sdin, dc, res_n, cs ('-'
// unknown), then each change as line letter, level and time in ns.
std::string describe(const CapturedTrace& trace) {
  std::string out = "start ";
  for (const auto& level : trace.start.initial) out += level ? (*level ? '1' : '0') : '-';
  for (const auto& c : trace.changes) {
    out += std::string(" ") + "CDSRX"[static_cast<int>(c.line)] + (c.level ? "1@" : "0@") + std::to_string(c.time_ns);
  }
  return out;
}

// Each form of input yields the listed start levels and changes.
TEST(VcdReader, ReadsEachFormOfInput) {
  const struct {
    std::string text, map, expected;
  } cases[] = {
      // timescale 10 us; the last level at the first time is the start level
      {"$timescale 10 us $end\n" + kThreeWires + "#0 0! 1!\n#3 0!\n", "", "start 1---- C0@30000"},
      // a UTF-8 byte order mark; timescale 100ps as one word
      {"\xEF\xBB\xBF$timescale\n 100ps\n$end\n" + kThreeWires + "#0 0\"\n#25 1\"\n", "", "start -0--- D1@2"},
      // several changes on one line; x and z leave the level
      {kThreeWires + "#0 $dumpvars 0! 0\" x# $end #5 1! 1\" z# #7 X! 1# #9 0!\n", "",
       "start 00--- C1@5 D1@5 S1@7 C0@9"},
      // repeated levels and $dumpall change nothing; a level first known later is a change
      {kThreeWires + "#1 1! #2 $dumpall 1! 0\" 0# $end #3 1!\n", "", "start 1---- D0@2 S0@2"},
      // vectors and reals skipped (a one-digit vector is a level), comments ignored
      {"$var wire 8 % bus $end\n$var real 64 & v $end\n" + kThreeWires +
           "$comment probe 1 $end\n#4 b1010 % r1.5 & b1 ! 1#\n#6 b0 !\n",
       "", "start 1-1-- C0@6"},
      // analyzer names in nested scopes, mapped by name and by path, 1 ps
      {"$timescale 1 ps $end\n$scope module la $end\n$scope module probes $end\n$var wire 1 a D0 $end\n"
       "$var wire 1 b D1 [1] $end\n$var wire 1 c D2 $end\n$var wire 1 d D3 $end\n$upscope $end\n$upscope $end\n"
       "$enddefinitions $end\n#0 0a 0b 0c 1d\n#2500 1a #4000 0d\n",
       "sclk=D0, sdin = la.probes.D1,dc=D2,res_n=D3", "start 0001- C1@2 R0@4"},
      // signals sharing an identifier code
      {"$var wire 1 ! clk $end\n$var wire 1 ! clk_copy $end\n$var wire 1 \" d $end\n$enddefinitions $end\n"
       "#1 1!\n#2 0!\n",
       "sclk=clk,sdin=d,dc=clk_copy", "start 1-1-- C0@2 S0@2"},
  };
  for (const auto& c : cases) EXPECT_EQ(describe(read(c.text, c.map)), c.expected) << c.text;
}

std::string error_of(const std::function<void()>& run) {
  try {
    run();
  } catch (const std::runtime_error& e) {
    return e.what();
  }
  return "no error";
}

std::string many_wires(int n) {
  std::string text;
  for (int i = 0; i < n; ++i) text += "$var wire 1 w" + std::to_string(i) + " probe" + std::to_string(i) + " $end\n";
  return text + "$enddefinitions $end\n";
}

// Broken input and bad mappings are refused with the file, the line and what
// was expected; each message holds the listed text.
TEST(VcdReader, NamesFileLineAndProblem) {
  const struct {
    std::string text, map, message;
  } cases[] = {
      {"$timescale 1 ns foo $end\n", "", "t.vcd:1: expected '$end' after '$timescale', got 'foo'."},
      {"\n$timescale 3 ns $end\n", "",
       "t.vcd:2: expected a timescale of 1, 10 or 100 and a unit of s, ms, us, ns, ps or fs, got '3 ns'."},
      {"$timescale 1 ns $end\n$timescale 1 us $end\n", "",
       "t.vcd:2: got a second '$timescale'; the first is on line 1."},
      {"$var wire 1 ! sclk $end\n$var wire 1 \" sdin $end\n$enddefinitions $end\n", "",
       "t.vcd:3: cannot tell which channel is which line: no channel fits dc. Channels: 'sclk', 'sdin'."},
      {kThreeWires, "res_n=RST,cs=CS",
       "t.vcd:6: no signal 'RST' (res_n), 'CS' (cs) in the file; it declares 'top.sclk', 'top.sdin', 'top.dc'."},
      {many_wires(12), "sclk=CLK",
       "it declares 'probe0', 'probe1', 'probe2', 'probe3', 'probe4', 'probe5', 'probe6', 'probe7', 'probe8', "
       "'probe9' and 2 more."},
      {"$var wire 4 * bus $end\n" + kThreeWires, "sclk=bus",
       "t.vcd:7: signal 'bus' for sclk is 4 bits wide; expected a 1-bit signal."},
      {kThreeWires + "#0 1?\n", "", "t.vcd:7: got undeclared identifier code '?'."},
      {kThreeWires + "#10\n#5\n", "", "t.vcd:8: time '#5' is before the previous time '#10'."},
      {kThreeWires + "#18446744073709551615\n#18446744073709551616\n", "",
       "t.vcd:8: time '#18446744073709551616' is too large; times up to 64 bits are read."},
      {"$timescale 1 ms $end\n" + kThreeWires + "#18446744073709551\n", "",
       "t.vcd:8: time '#18446744073709551' is too large to count in nanoseconds."},
      {kThreeWires + "hello\n", "", "t.vcd:7: expected a time or a value change, got 'hello'."},
      {kThreeWires + std::string(100, 'y') + "\n", "",
       "got 'yyyyyyyyyyyyyyyyyyyyyyyyyyyyyyyyyyyyyyyy...' (100 bytes)."},
      {kThreeWires + "\x01\x02\n", "", "got '\\x01\\x02'."},
      {kThreeWires + "#0\n" + std::string(3 << 20, ' ') + "#1\n", "",
       "t.vcd:8: expected a line of at most 1 MiB, got a longer one."},
      {"$comment never closed\n", "",
       "t.vcd:1: expected '$end' to close '$comment' from line 1, got the end of the file."},
      {"$var wire 1 ! sclk $end\n", "", "t.vcd:1: expected '$enddefinitions', got the end of the file."},
      {kThreeWires, "sclk",
       "Bad signal mapping item 'sclk' at column 1: expected role=name with a role of sclk, sdin, dc, res_n, cs, scl "
       "or sda."},
      {kThreeWires, "sclk=D0,clk=D1", "Bad signal mapping item 'clk=D1' at column 9: expected role=name"},
      {kThreeWires, "cs=A,cs=B", "Bad signal mapping item 'cs=B' at column 6: the cs line is mapped twice."},
      {kThreeWires, "sclk=CLK,sdin=CLK",
       "Bad signal mapping item 'sdin=CLK' at column 10: signal 'CLK' is already mapped to sclk."},
  };
  for (const auto& c : cases) {
    const std::string error = error_of([&] { read(c.text, c.map); });
    EXPECT_NE(error.find(c.message), std::string::npos) << c.text << "\n" << error;
  }
}

// Names from the file reach the printed map and the messages escaped: a scope
// named with terminal control sequences (set the title, clear the screen)
// shows as \x escapes, in a form --map takes back.
TEST(VcdReader, NamesFromTheFileAreEscapedWherePrinted) {
  const std::string kHostile = "\x1B]0;PWNED\x07\x1B[2J";
  const std::string two_clocks = "$scope module " + kHostile + " $end\n$var wire 1 ! CLK $end\n$upscope $end\n" +
                                 "$scope module b $end\n$var wire 1 ! CLK $end\n$upscope $end\n" +
                                 "$var wire 1 \" MOSI $end\n$var wire 1 # DC $end\n";
  const std::string escaped = "\\x1B]0;PWNED\\x07\\x1B[2J";
  const struct {
    std::string text, map, printed;
  } cases[] = {
      // one signal under two paths: the path is printed, the first one
      {two_clocks + "$enddefinitions $end\n#0 0!\n", "", "sclk='" + escaped + ".CLK',sdin=MOSI,dc=DC"},
      {two_clocks + "$enddefinitions $end\n#0 0!\n", "sclk='" + escaped + ".CLK'",
       "sclk='" + escaped + ".CLK',sdin=MOSI,dc=DC"},
      {"$var wire 1 ! " + kHostile + " $end\n$var wire 1 \" MOSI $end\n$var wire 1 # DC $end\n$enddefinitions $end\n",
       "sclk='" + escaped + "'", "sclk='" + escaped + "',sdin=MOSI,dc=DC"},
      // refusals list candidates and channels escaped
      {"$scope module " + kHostile + " $end\n$var wire 1 ! CLK $end\n$var wire 1 % SCK $end\n$upscope $end\n" +
           "$var wire 1 \" MOSI $end\n$var wire 1 # DC $end\n$enddefinitions $end\n",
       "",
       "t.vcd:7: cannot tell which channel is which line: 2 channels fit sclk. Channels: '" + escaped + ".CLK', '" +
           escaped + ".SCK', 'MOSI', 'DC'."},
      {"$scope module " + kHostile + " x $end\n", "",
       "t.vcd:1: expected '$end' after '$scope module " + escaped + "', got 'x'."},
  };
  for (const auto& c : cases) {
    std::string printed;
    try {
      printed = read(c.text, c.map).start.mapping;
    } catch (const std::runtime_error& e) {
      printed = e.what();
    }
    EXPECT_EQ(printed.substr(0, c.printed.size()), c.printed);
    EXPECT_EQ(printed.find_first_of("\x1B\x07"), std::string::npos) << printed;
  }
}

// A file that stops mid-line or inside a block is read up to there, and a note says it is cut short.
TEST(VcdReader, NotesAFileCutShort) {
  const struct {
    std::string text, expected, note;
  } cases[] = {
      // a time cut short is left out, not taken for an earlier time
      {kThreeWires + "#0 0!\n#10 1!\n#2", "start 0---- C1@10",
       "t.vcd:9: the file is cut short: its last line stops without a line end, and its last word '#2' is left out."},
      {kThreeWires + "#0 0!\n#10 1!\n$dumpall 0!", "start 0---- C1@10",
       "t.vcd:9: the file is cut short inside '$dumpall' from line 9."},
      {kThreeWires + "#0 b1 ", "start -----", "the file is cut short after the value 'b1'."},
  };
  for (const auto& c : cases) {
    const CapturedTrace trace = read(c.text);
    EXPECT_EQ(describe(trace), c.expected);
    ASSERT_FALSE(trace.notes.empty()) << c.text;
    EXPECT_NE(trace.notes.front().find(c.note), std::string::npos) << trace.notes.front();
    EXPECT_TRUE(trace.ended);
  }
  EXPECT_TRUE(read(kThreeWires + "#0 0!\n").notes.empty());
}

}  // namespace
}  // namespace qel::trace
