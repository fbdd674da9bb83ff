// VCD reader: timescales, scopes, value-change forms, signal mappings, and the
// messages for broken files; the parser of "role=name" mappings.
#include "vcd_reader.h"

#include <gtest/gtest.h>

#include <sstream>
#include <stdexcept>
#include <string>
#include <vector>

namespace qel::sim {
namespace {

constexpr Line C = Line::Clock, D = Line::Data, S = Line::DataCommand, R = Line::Reset;

const std::string kThreeWires =
    "$scope module top $end\n$var wire 1 ! sclk $end\n$var wire 1 \" sdin $end\n$var wire 1 # dc $end\n"
    "$upscope $end\n$enddefinitions $end\n";

VcdTrace read(const std::string& text, const std::string& map = "") {
  std::istringstream in(text);
  return read_vcd(in, "t.vcd", map.empty() ? default_signal_map() : parse_signal_map(map));
}

struct GoodCase {
  const char* what;
  std::string text;
  std::string map;
  std::string initial;  // sclk, sdin, dc, res_n, cs: '0', '1' or '-' for unknown
  std::vector<LineChange> changes;
};

std::string initial_of(const VcdTrace& trace) {
  std::string out;
  for (const auto& level : trace.initial) out += level ? (*level ? '1' : '0') : '-';
  return out;
}

class VcdReaderGood : public ::testing::TestWithParam<GoodCase> {};

// Each form of input yields the listed start levels and changes, in nanoseconds.
TEST_P(VcdReaderGood, YieldsTheExpectedLevels) {
  const auto trace = read(GetParam().text, GetParam().map);
  EXPECT_EQ(initial_of(trace), GetParam().initial);
  ASSERT_EQ(trace.changes.size(), GetParam().changes.size());
  for (std::size_t i = 0; i < trace.changes.size(); ++i) {
    const auto& got = trace.changes[i];
    const auto& want = GetParam().changes[i];
    EXPECT_TRUE(got == want) << "change " << i << ": got t=" << got.time_ns << " line " << static_cast<int>(got.line)
                             << " level " << got.level << ", want t=" << want.time_ns << " line "
                             << static_cast<int>(want.line) << " level " << want.level;
  }
}

INSTANTIATE_TEST_SUITE_P(
    Forms, VcdReaderGood,
    ::testing::Values(
        GoodCase{"timescale 10 us; the last level at the first time is the start level",
                 "$timescale 10 us $end\n" + kThreeWires + "#0 0! 1!\n#3 0!\n",
                 "",
                 "1----",
                 {{30'000, C, false}}},
        GoodCase{"timescale 100ps written as one word",
                 "$timescale\n 100ps\n$end\n" + kThreeWires + "#0 0\"\n#25 1\"\n",
                 "",
                 "-0---",
                 {{2, D, true}}},
        GoodCase{"several changes on one line, x and z unchanged",
                 kThreeWires + "#0 $dumpvars 0! 0\" x# $end #5 1! 1\" z# #7 X! 1# #9 0!\n",
                 "",
                 "00---",
                 {{5, C, true}, {5, D, true}, {7, S, true}, {9, C, false}}},
        GoodCase{"repeated levels and $dumpall give no change; later first levels are changes",
                 kThreeWires + "#1 1! #2 $dumpall 1! 0\" 0# $end #3 1!\n",
                 "",
                 "1----",
                 {{2, D, false}, {2, S, false}}},
        GoodCase{"vectors and reals skipped, comments ignored",
                 "$var wire 8 % bus $end\n$var real 64 & v $end\n" + kThreeWires +
                     "$comment probe 1 $end\n#4 b1010 % r1.5 & b1 ! 1#\n#6 b0 !\n",
                 "",
                 "1-1--",
                 {{6, C, false}}},
        GoodCase{"analyzer names in nested scopes, by name and by path",
                 "$timescale 1 ps $end\n$scope module la $end\n$scope module probes $end\n"
                 "$var wire 1 a D0 $end\n$var wire 1 b D1 [1] $end\n$var wire 1 c D2 $end\n$var wire 1 d D3 $end\n"
                 "$upscope $end\n$upscope $end\n$enddefinitions $end\n#0 0a 0b 0c 1d\n#2500 1a #4000 0d\n",
                 "sclk=D0,sdin=la.probes.D1,dc=D2,res_n=D3",
                 "0001-",
                 {{2, C, true}, {4, R, false}}},
        GoodCase{"signals sharing an identifier code",
                 "$var wire 1 ! clk $end\n$var wire 1 ! clk_copy $end\n$var wire 1 \" d $end\n"
                 "$enddefinitions $end\n#1 1!\n#2 0!\n",
                 "sclk=clk,sdin=d,dc=clk_copy",
                 "1-1--",
                 {{2, C, false}, {2, S, false}}}),
    [](const auto& info) {
      std::string name = info.param.what;
      for (char& c : name) c = std::isalnum(static_cast<unsigned char>(c)) ? c : '_';
      return name;
    });

// Optional lines are reported present only when the file has them.
TEST(VcdReader, ReportsWhichLinesArePresent) {
  const auto without = read(kThreeWires);
  EXPECT_TRUE(without.has(C) && without.has(D) && without.has(S));
  EXPECT_FALSE(without.has(R) || without.has(Line::ChipSelect));
  const auto with = read("$var wire 1 $ res_n $end\n$var wire 1 % cs $end\n" + kThreeWires);
  EXPECT_TRUE(with.has(R) && with.has(Line::ChipSelect));
}

struct BadCase {
  std::string text;
  std::string map;
  std::string message;
};

class VcdReaderBad : public ::testing::TestWithParam<BadCase> {};

// Broken input is refused with the file, the line and what was expected.
TEST_P(VcdReaderBad, NamesFileLineAndProblem) {
  try {
    read(GetParam().text, GetParam().map);
    FAIL() << "no error for: " << GetParam().text;
  } catch (const std::runtime_error& e) {
    EXPECT_EQ(std::string(e.what()), GetParam().message);
  }
}

INSTANTIATE_TEST_SUITE_P(
    Errors, VcdReaderBad,
    ::testing::Values(
        BadCase{"$timescale 1 ns foo $end\n", "", "t.vcd:1: expected '$end' after '$timescale', got 'foo'."},
        BadCase{"\n$timescale 3 ns $end\n", "",
                "t.vcd:2: expected a timescale of 1, 10 or 100 and a unit of s, ms, us, ns, ps or fs, got '3 ns'."},
        BadCase{"$var wire 1 ! sclk $end\n$var wire 1 \" sdin $end\n$enddefinitions $end\n", "",
                "t.vcd:3: no signal 'dc' (dc) in the file; it declares 'sclk', 'sdin'."},
        BadCase{kThreeWires, "res_n=RST,cs=CS",
                "t.vcd:6: no signal 'RST' (res_n), 'CS' (cs) in the file; it declares 'top.sclk', 'top.sdin', "
                "'top.dc'."},
        BadCase{"$var wire 4 * bus $end\n" + kThreeWires, "sclk=bus",
                "t.vcd:7: signal 'bus' for sclk is 4 bits wide; expected a 1-bit signal."},
        BadCase{kThreeWires + "#0 1?\n", "", "t.vcd:7: got undeclared identifier code '?'."},
        BadCase{kThreeWires + "#10\n#5\n", "", "t.vcd:8: time '#5' is before the previous time '#10'."},
        BadCase{kThreeWires + "#1x\n", "", "t.vcd:7: expected a time after '#', got '#1x'."},
        BadCase{kThreeWires + "hello\n", "", "t.vcd:7: expected a time or a value change, got 'hello'."},
        BadCase{kThreeWires + "$dumpvars 0!\n", "",
                "t.vcd:7: expected '$end' to close '$dumpvars' from line 7, got the end of the file."},
        BadCase{"$upscope $end\n", "", "t.vcd:1: got '$upscope' without an open '$scope'."},
        BadCase{"$comment never closed\n", "",
                "t.vcd:1: expected '$end' to close '$comment' from line 1, got the end of the file."},
        BadCase{"$var wire 1 ! sclk $end\n", "", "t.vcd:1: expected '$enddefinitions', got the end of the file."}));

TEST(VcdReader, MissingFileIsNamed) {
  EXPECT_THROW(
      {
        try {
          read_vcd_file("no-such-dir/trace.vcd");
        } catch (const std::runtime_error& e) {
          EXPECT_STREQ(e.what(), "Cannot open VCD file 'no-such-dir/trace.vcd': No such file or directory.");
          throw;
        }
      },
      std::runtime_error);
}

// Mapping strings: named roles take the given signals, the rest keep their own names.
TEST(SignalMap, ParsesRoleNamePairs) {
  const auto map = parse_signal_map("sclk=D0, sdin = D1,res_n=Reset line");
  EXPECT_EQ(map.name_of(C), "D0");
  EXPECT_EQ(map.name_of(D), "D1");
  EXPECT_EQ(map.name_of(R), "Reset line");
  EXPECT_EQ(map.name_of(S), "dc");
  EXPECT_TRUE(map.is_named(R));
  EXPECT_FALSE(map.is_named(S));
}

TEST(SignalMap, RefusesBadItemsNamingThem) {
  const struct {
    const char* text;
    const char* message;
  } cases[] = {
      {"sclk", "Bad signal mapping item 'sclk': expected role=name with a role of sclk, sdin, dc, res_n or cs."},
      {"sclk=D0,clk=D1",
       "Bad signal mapping item 'clk=D1': expected role=name with a role of sclk, sdin, dc, res_n or cs."},
      {"dc=", "Bad signal mapping item 'dc=': expected role=name with a role of sclk, sdin, dc, res_n or cs."},
      {"cs=A,cs=B", "Bad signal mapping item 'cs=B': role 'cs' is mapped twice."},
  };
  for (const auto& c : cases) {
    try {
      parse_signal_map(c.text);
      ADD_FAILURE() << "no error for " << c.text;
    } catch (const std::runtime_error& e) {
      EXPECT_STREQ(e.what(), c.message);
    }
  }
}

}  // namespace
}  // namespace qel::sim
