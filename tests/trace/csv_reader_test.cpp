// Saleae CSV exports as RFC 4180 has them: quoted names holding commas, quote
// marks and line breaks, quoted values; times as decimals only, and the
// messages for a time that is no decimal or too large.
#include "trace/csv_reader.h"

#include <gtest/gtest.h>

#include <sstream>
#include <stdexcept>
#include <string>

#include "trace/captured_trace.h"

namespace qel::trace {
namespace {

struct Outcome {
  CapturedTrace trace;
  std::string error;
};

Outcome read(const std::string& text, const std::string& map = "") {
  std::istringstream in(text);
  TraceCollector sink;
  Outcome o;
  try {
    read_csv(in, "t.csv", map.empty() ? std::nullopt : std::optional<SignalMap>(parse_signal_map(map)), sink);
  } catch (const std::runtime_error& e) {
    o.error = e.what();
  }
  o.trace = sink.trace;
  return o;
}

// "C1@500 D1@500": each change as line letter, level and time in ns.
std::string changes(const CapturedTrace& t) {
  std::string out;
  for (const LineChange& c : t.changes) {
    out += std::string(out.empty() ? "" : " ") + "CDSRX"[static_cast<int>(c.line)] + (c.level ? "1@" : "0@") +
           std::to_string(c.time_ns);
  }
  return out;
}

// Headers whose names are quoted as RFC 4180 allows: each is read to the
// mapping shown (a name that needs it quoted as --map takes it back), and the
// first column after the time, rising, is the clock when the map says so.
TEST(CsvReader, ReadsQuotedNamesInTheHeader) {
  const std::string rows = "0.0,0,0,0,1\n0.0000005,1,0,1,1\n";
  const struct {
    std::string header, map, mapping, changes;
  } cases[] = {
      {"Time [s],\"Probe 6, spare\",CLK,MOSI,DC\n", "", "sclk=CLK,sdin=MOSI,dc=DC", "D1@500"},
      {"Time [s],\"Probe 6, spare\",CLK,MOSI,DC\n", "sclk='Probe 6, spare'", "sclk='Probe 6, spare',sdin=MOSI,dc=DC",
       "C1@500 D1@500"},
      {"\"Time [s]\",\"say \"\"hi\"\"\",\"CLK\",\"MOSI\",\"DC\"\n", "sclk='say \"hi\"'",
       "sclk=say \"hi\",sdin=MOSI,dc=DC", "C1@500 D1@500"},
      // a line break inside a quoted name
      {"Time [s],\"two\nlines\",CLK,MOSI,DC\n", "sclk=\"two\\nlines\"", "sclk='two\\nlines',sdin=MOSI,dc=DC",
       "C1@500 D1@500"},
      // blanks are part of a name, quoted or not, and the role is found all the same
      {"Time [s],x, CLK,\" MOSI\",DC\n", "", "sclk=' CLK',sdin=' MOSI',dc=DC", "D1@500"},
      {"Time [s], CLK,x,\" MOSI\",DC\n", "sclk=' CLK'", "sclk=' CLK',sdin=' MOSI',dc=DC", "C1@500 D1@500"},
  };
  for (const auto& c : cases) {
    const Outcome o = read(c.header + rows, c.map);
    EXPECT_EQ(o.error, "") << c.header;
    EXPECT_EQ(o.trace.start.mapping, c.mapping) << c.header;
    EXPECT_EQ(changes(o.trace), c.changes) << c.header;
  }
}

// Times are decimals: a sign, digits with a point, an exponent. Anything else
// is refused, and a time past about 285 years says it is too large.
TEST(CsvReader, TakesDecimalTimesOnly) {
  const std::string header = "Time [s],CLK,MOSI,DC\n0,0,0,1\n";
  const struct {
    const char* time;
    std::string result;  // the change at that time, or the message
  } cases[] = {
      {"0.0000005", "C1@500"},
      {"+.0000005", "C1@500"},
      {"5e-7", "C1@500"},
      {"5.0E-07", "C1@500"},
      {"\"0.0000005\"", "C1@500"},
      {"0x1e3", "t.csv:3: expected a time in seconds, got '0x1e3'."},
      {"1e", "t.csv:3: expected a time in seconds, got '1e'."},
      {"inf", "t.csv:3: expected a time in seconds, got 'inf'."},
      {"1.5.0", "t.csv:3: expected a time in seconds, got '1.5.0'."},
      {"- 1", "t.csv:3: expected a time in seconds, got '- 1'."},
      {".", "t.csv:3: expected a time in seconds, got '.'."},
      {"9999999999",
       "t.csv:3: time '9999999999' is too large; times within 9,000,000,000 s (about 285 years) of zero are read."},
      {"1e10", "t.csv:3: time '1e10' is too large; times within 9,000,000,000 s (about 285 years) of zero are read."},
      {"1e999", "t.csv:3: time '1e999' is too large; times within 9,000,000,000 s (about 285 years) of zero are read."},
  };
  for (const auto& c : cases) {
    const Outcome o = read(header + c.time + ",1,0,1\n");
    EXPECT_EQ(o.error.empty() ? changes(o.trace) : o.error, c.result) << c.time;
  }
}

// Quote marks that do not pair up are refused naming the line and the place.
TEST(CsvReader, RefusesQuoteMarksOutOfPlace) {
  const struct {
    std::string text, message;
  } cases[] = {
      {"Time [s],Pro\"be,CLK,MOSI,DC\n",
       "t.csv:1: expected a quote mark only around a whole field, got '\"be,CLK,MOSI,DC'."},
      {"Time [s],\"CLK\"x,MOSI,DC\n",
       "t.csv:1: expected ',' after the closing quote mark of a field, got 'x,MOSI,DC'."},
      {"Time [s],\"CLK,MOSI,DC\n0,0,0,1\n",
       "t.csv:2: expected a closing quote mark in the header, got the end of the file."},
      {"Time [s],CLK,MOSI,DC\n0,\"0,0,1\n0,1,0,1\n", "t.csv:2: expected a closing quote mark on the same line."},
  };
  for (const auto& c : cases) EXPECT_EQ(read(c.text).error, c.message);
}

}  // namespace
}  // namespace qel::trace
