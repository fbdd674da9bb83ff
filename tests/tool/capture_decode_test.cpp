// qel-lcd-sim --decode on captures as users bring them: a sigrok session with
// and without --map, the capture's own figures, a re-exported VCD, and the
// answers to files it cannot use.
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

#include "program_fixture.h"

namespace qel::tool::test {
namespace {

class Decode : public ProgramRun {
 protected:
  // A script's run written as a sigrok session and a VCD; returns its byte log without the call lines.
  std::string record() {
    const Result r = run("--script '" QEL_EXAMPLES_DIR
                         "/values.qel' --sr run.sr --vcd run.vcd --bytes run.txt "
                         "--png run.png --no-term");
    EXPECT_EQ(r.status, 0) << r.err;
    std::string bytes;
    std::istringstream in(slurp(dir_ / "run.txt"));
    for (std::string l; std::getline(in, l);) {
      if (l.rfind("# ", 0) != 0) bytes += l + "\n";
    }
    return bytes;
  }
};

// Without --map the channel names are recognised and the choice is printed; with
// --map the same bytes come out silently. Both give the run's picture.
TEST_F(Decode, SigrokSessionWithAndWithoutMap) {
  const std::string bytes = record();
  const struct {
    const char* map;
    const char* err;
  } cases[] = {
      {"", "Signal map found from the channel names: sclk=sclk,sdin=sdin,dc=dc,res_n=res_n (4-wire serial).\n"},
      {"--map sclk=sclk,sdin=sdin,dc=dc,res_n=res_n", ""}};
  for (const auto& c : cases) {
    const Result r =
        run(std::string("--decode run.sr ") + c.map + " --bytes decoded.txt --png decoded.png --no-term --strict");
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(without_findings(r.err), c.err);
    EXPECT_EQ(slurp(dir_ / "decoded.txt"), bytes);
    EXPECT_EQ(slurp(dir_ / "decoded.png"), slurp(dir_ / "run.png"));
  }
}

// --stats measures the capture: 3 pin writes of 100 ns per bit make a 300 ns
// clock period, and the 250 ms reset wait is the longest gap.
TEST_F(Decode, StatsUseTheCapturesOwnTimes) {
  const std::string bytes = record();
  const auto count = [&bytes](char kind) {
    std::size_t n = 0;
    for (std::size_t at = 0; (at = bytes.find(std::string(1, kind) + " ", at)) != std::string::npos; at += 2) ++n;
    return n;
  };
  for (const char* file : {"run.sr", "run.vcd"}) {
    const Result r = run(std::string("--decode ") + file + " --stats --no-term");
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_NE(r.out.find("  bytes        " + std::to_string(count('C') + count('D')) + " (" +
                         std::to_string(count('C')) + " command, " + std::to_string(count('D')) + " data)\n"),
              std::string::npos)
        << r.out;
    EXPECT_NE(r.out.find("  clock        3.333 MHz (median period 300 ns over "), std::string::npos) << r.out;
    EXPECT_NE(r.out.find("  longest gap  250.000 ms (from 0 ns)"), std::string::npos) << r.out;
  }
}

// --vcd in decode mode re-exports the mapped lines; that file decodes the same.
TEST_F(Decode, ReexportedVcdDecodesTheSame) {
  const std::string bytes = record();
  Result r = run("--decode run.sr --vcd again.vcd --no-term");
  ASSERT_EQ(r.status, 0) << r.err;
  r = run("--decode again.vcd --bytes again.txt --no-term --strict");
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(slurp(dir_ / "again.txt"), bytes);
}

// --decode - reads the capture from standard input: a VCD and a session (a
// file redirected there) give the run's bytes.
TEST_F(Decode, CaptureOnStandardInput) {
  const std::string bytes = record();
  for (const char* file : {"run.vcd", "run.sr"}) {
    const Result r = run("--decode - --bytes decoded.txt --no-term --strict", slurp(dir_ / file));
    ASSERT_EQ(r.status, 0) << file << "\n" << r.err;
    EXPECT_EQ(slurp(dir_ / "decoded.txt"), bytes) << file;
  }
}

// Files it cannot use exit 2 naming the file and what was expected; a file cut
// short is decoded up to the cut with a note; a session needs a file to go to.
TEST_F(Decode, AnswersFilesItCannotUse) {
  record();
  fs::create_directories(dir_ / "folder");
  file("noise.vcd",
       "\x7f"
       "ELF garbage");
  file("two.csv", "Time [s],CLK,SCK,MOSI,DC\n0,0,0,0,0\n");
  const std::string vcd = slurp(dir_ / "run.vcd");
  file("cut.vcd", vcd.substr(0, vcd.size() * 2 / 3));
  const struct {
    std::string args;
    int status;
    std::string err;
  } cases[] = {
      {"--decode folder", 2, "Cannot read capture 'folder': it is a folder; expected a file.\n"},
      {"--decode noise.vcd", 2, "Cannot read capture 'noise.vcd': expected a VCD file"},
      {"--decode two.csv", 2, "two.csv:1: cannot tell which channel is which line: 2 channels fit sclk."},
      {"--decode run.sr --map sclk=CLK", 2, "'run.sr': no signal 'CLK' (sclk) in the file; it declares 'sclk', "},
      {"--decode cut.vcd --strict", 1, ": the file is cut short: its last line stops without a line end"},
      {"-e 'QEL_LCD_Init()' --sr -", 2, "Cannot write sigrok session '-': a session is a ZIP archive"},
      {"-e 'QEL_LCD_Init()' --sr no/dir/s.sr", 2,
       "Cannot write sigrok session 'no/dir/s.sr': No such file or directory."},
  };
  for (const auto& c : cases) {
    const Result r = run(c.args + " --no-term");
    EXPECT_EQ(r.status, c.status) << c.args << "\n" << r.err;
    EXPECT_NE(r.err.find(c.err), std::string::npos) << c.args << "\n" << r.err;
  }
}

// A capture full of mistakes prints its first notes and counts the rest, so a
// long capture cannot flood the terminal or the memory.
TEST_F(Decode, NotesAreCappedWithACount) {
  std::string calls = "-e 'QEL_LCD_Init()'";
  for (int i = 0; i < 60; ++i) calls += " -e 'QEL_LCD_WriteString(\"x\", 8)'";  // page 8 is no page
  ASSERT_EQ(run(calls + " --vcd bad.vcd --no-term").status, 0);
  const Result r = run("--decode bad.vcd --no-term");
  ASSERT_EQ(r.status, 0) << r.err;
  std::size_t notes = 0;
  std::istringstream in(r.err);
  std::string line, last;
  for (; std::getline(in, line);) {
    if (line.rfind("note: ", 0) == 0) {
      ++notes;
      last = line;
    }
  }
  EXPECT_EQ(notes, 101u);
  EXPECT_TRUE(last.find(" more notes not shown.") != std::string::npos) << last;
}

}  // namespace
}  // namespace qel::tool::test
