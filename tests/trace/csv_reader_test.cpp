// Saleae CSV exports as RFC 4180 has them: quoted names holding commas, quote
// marks and line breaks, quoted values; times as decimals only, and the
// messages for a time that is no decimal or too large.
#include "trace/csv_reader.h"

#include <gtest/gtest.h>

#include <string>

#include "trace_test_support.h"

namespace qel::trace {
namespace {

using test::changes_text;
using test::Outcome;

Outcome read(const std::string& text, const std::string& map = "") {
  return test::read_text(read_csv, "t.csv", text, map);
}

// Headers whose names are quoted as RFC 4180 allows: each is read to the
// mapping shown (a name that needs it quoted as --map takes it back), and the
// first column after the time, rising, is the clock when the map names it.
TEST(CsvReader, ReadsQuotedNamesInTheHeader) {
  const std::string rows = "0.0,0,0,0,1\n0.0000005,1,0,1,1\n";
  // clang-format off
  const struct { std::string header, map, mapping; } cases[] = {
      {"Time [s],\"Probe 6, spare\",CLK,MOSI,DC\n", "", "sclk=CLK,sdin=MOSI,dc=DC"},
      {"Time [s],\"Probe 6, spare\",CLK,MOSI,DC\n", "sclk='Probe 6, spare'", "sclk='Probe 6, spare',sdin=MOSI,dc=DC"},
      {"\"Time [s]\",\"say \"\"hi\"\"\",\"CLK\",MOSI,\"DC\"\n", "sclk='say \"hi\"'", "sclk=say \"hi\",sdin=MOSI,dc=DC"},
      // a line break inside a quoted name
      {"Time [s],\"two\nlines\",CLK,MOSI,DC\n", "sclk=\"two\\nlines\"", "sclk='two\\nlines',sdin=MOSI,dc=DC"},
      // blanks are part of a name, quoted or not, and the role is found all the same
      {"Time [s],x, CLK,\" MOSI\",DC\n", "", "sclk=' CLK',sdin=' MOSI',dc=DC"},
      {"Time [s], CLK,x,\" MOSI\",DC\n", "sclk=' CLK'", "sclk=' CLK',sdin=' MOSI',dc=DC"},
  };
  // clang-format on
  for (const auto& c : cases) {
    const Outcome o = read(c.header + rows, c.map);
    EXPECT_EQ(o.error, "") << c.header;
    EXPECT_EQ(o.trace.start.mapping, c.mapping) << c.header;
    EXPECT_EQ(changes_text(o.trace), c.map.empty() ? "D1@500" : "C1@500 D1@500") << c.header;
  }
}

// Times are decimals: a sign, digits with a point, an exponent. Anything else
// is refused, and a time past about 285 years says it is too large; times as
// far apart as that either side of zero are counted exactly from the first row.
// Quote marks that do not pair up, and an empty file, are refused naming the
// line and the place.
TEST(CsvReader, TakesDecimalTimesOnlyAndQuoteMarksInPlace) {
  const std::string head = "Time [s],CLK,MOSI,DC\n", row = "0,0,0,1\n", too_large = "' is too large; times within";
  // clang-format off
  const struct { std::string text, result; } cases[] = {  // the changes, or the start of the message
      {head + "-8999999999.999999999,0,0,1\n8999999999.999999999,1,0,1\n", "C1@17999999999999999998"},
      {head + row + "0.0000005,1,0,1\n", "C1@500"},
      {head + row + "+.0000005,1,0,1\n", "C1@500"},
      {head + row + "5e-7,1,0,1\n", "C1@500"},
      {head + row + "5.0E-07,1,0,1\n", "C1@500"},
      {head + row + "\"0.0000005\",1,0,1\n", "C1@500"},
      {head + row + "0x1e3,1,0,1\n", "t.csv:3: expected a time in seconds, got '0x1e3'."},
      {head + row + "1e,1,0,1\n", "t.csv:3: expected a time in seconds, got '1e'."},
      {head + row + "inf,1,0,1\n", "t.csv:3: expected a time in seconds, got 'inf'."},
      {head + row + "1.5.0,1,0,1\n", "t.csv:3: expected a time in seconds, got '1.5.0'."},
      {head + row + "- 1,1,0,1\n", "t.csv:3: expected a time in seconds, got '- 1'."},
      {head + row + ".,1,0,1\n", "t.csv:3: expected a time in seconds, got '.'."},
      {head + row + "9999999999,1,0,1\n", "t.csv:3: time '9999999999" + too_large + " 9,000,000,000 s (about 285"},
      {head + row + "1e10,1,0,1\n", "t.csv:3: time '1e10" + too_large},
      {head + row + "1e999,1,0,1\n", "t.csv:3: time '1e999" + too_large},
      {"", "t.csv:1: expected the header 'Time [s],<channel>,...', got an empty file."},
      {"Time [s],Pro\"be,CLK,MOSI,DC\n", "t.csv:1: expected a quote mark only around a whole field, got '\"be,"},
      {"Time [s],\"CLK\"x,MOSI,DC\n", "t.csv:1: expected ',' after the closing quote mark of a field, got 'x,"},
      {"Time [s],\"CLK,MOSI,DC\n0,0,0,1\n", "t.csv:2: expected a closing quote mark in the header, got the end"},
      {head + "0,\"0,0,1\n0,1,0,1\n", "t.csv:2: expected a closing quote mark on the same line."},
  };
  // clang-format on
  for (const auto& c : cases) {
    const Outcome o = read(c.text);
    const std::string got = o.error.empty() ? changes_text(o.trace) : o.error;
    EXPECT_TRUE(o.error.empty() ? got == c.result : got.rfind(c.result, 0) == 0) << c.text << "\n" << got;
  }
}

}  // namespace
}  // namespace qel::trace
