// qel-lcd-sim --decode on captures as users bring them: the sessions and VCDs a
// run writes (to a file or into a pipe), read back with and without --map, from
// standard input and re-exported; the capture's own figures; and the answers to
// files it cannot use.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <algorithm>
#include <string>
#include <vector>

#include "program_fixture.h"

namespace qel::tool::test {
namespace {

class Decode : public ProgramRun {
 protected:
  // A script's run written as a sigrok session and a VCD; returns its byte log without the call lines.
  std::string record() {
    const Result r = run("--script '" QEL_EXAMPLES_DIR
                         "/values.qel' --sr run.sr --vcd run.vcd --bytes run.txt --png run.png --no-term");
    EXPECT_EQ(r.status, 0) << r.err;
    return byte_lines(slurp(dir_ / "run.txt"));
  }
};

// Every way back from a run's capture gives the run's bytes and picture: the
// channel names are recognised (and the choice printed) unless --map names them.
TEST_F(Decode, CapturesOfARunDecodeToItsBytesAndPicture) {
  const std::string bytes = record();
  ASSERT_GT(bytes.size(), 5000u);
  ASSERT_EQ(::mkfifo((dir_ / "pipe.sr").c_str(), 0600), 0);
  // A session into a pipe is made elsewhere and copied in; the pipe stays a pipe.
  const Result piped =
      run(Launch("--script '" QEL_EXAMPLES_DIR "/values.qel' --no-term --sr pipe.sr", "cat pipe.sr >piped.sr & exec"));
  ASSERT_EQ(piped.status, 0) << piped.err;
  EXPECT_TRUE(fs::is_fifo(dir_ / "pipe.sr"));
  ASSERT_EQ(run("--decode run.sr --vcd again.vcd --no-term").status, 0) << "re-exported";

  const std::string found =
      "Signal map found from the channel names: sclk=sclk,sdin=sdin,dc=dc,res_n=res_n (4-wire serial).\n";
  const std::string map = " --map sclk=sclk,sdin=sdin,dc=dc,res_n=res_n";
  // clang-format off
  const struct { std::string args, err; } cases[] = {
      {"--decode run.vcd --map sclk=sclk,dc=dc", found},
      {"--decode run.sr", found},
      {"--decode run.sr" + map, ""},
      {"--decode piped.sr" + map, ""},
      {"--decode again.vcd", found},
      {"--decode - <run.vcd", found},
      {"--decode - <run.sr", found},
  };
  // clang-format on
  for (const auto& c : cases) {
    const Result r = run(c.args + " --bytes decoded.txt --png decoded.png --no-term --strict");
    ASSERT_EQ(r.status, 0) << c.args << "\n" << r.err;
    EXPECT_EQ(without_findings(r.err), c.err) << c.args;
    EXPECT_EQ(slurp(dir_ / "decoded.txt"), bytes) << c.args;
    EXPECT_EQ(slurp(dir_ / "decoded.png"), slurp(dir_ / "run.png")) << c.args;
  }
}

// --stats measures the capture: 3 pin writes of 100 ns per bit make a 300 ns
// clock period, and the 250 ms reset wait is the longest gap. (A session's
// times are the VCD's: the trace tests.)
TEST_F(Decode, StatsUseTheCapturesOwnTimes) {
  const std::vector<std::string> bytes = lines_of(record());
  const auto commands = std::count_if(bytes.begin(), bytes.end(), [](const std::string& l) { return l[0] == 'C'; });
  const Result r = run("--decode run.vcd --stats --no-term");
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_NE(r.out.find("  bytes        " + std::to_string(bytes.size()) + " (" + std::to_string(commands) +
                       " command, " + std::to_string(bytes.size() - commands) + " data)\n"),
            std::string::npos)
      << r.out;
  EXPECT_NE(r.out.find("  clock        3.333 MHz (median period 300 ns over "), std::string::npos) << r.out;
  EXPECT_NE(r.out.find("  longest gap  250.000 ms (from 0 ns)"), std::string::npos) << r.out;
}

// A file cut short is decoded up to the cut with a note, which --strict makes
// status 1. (The readers' own messages are the trace tests'; a file that is no
// capture is a status row of program_test.)
TEST_F(Decode, AFileCutShortIsANoteThatStrictFails) {
  record();
  const std::string vcd = slurp(dir_ / "run.vcd");
  file("cut.vcd", vcd.substr(0, vcd.size() * 2 / 3));
  const Result r = run("--decode cut.vcd --strict --no-term");
  EXPECT_EQ(r.status, 1) << r.err;
  EXPECT_NE(r.err.find("note: cut.vcd:"), std::string::npos) << r.err;
  EXPECT_NE(r.err.find(": the file is cut short: its last line stops without a line end"), std::string::npos) << r.err;
}

// A capture full of mistakes prints its first notes and counts the rest, so a
// long capture cannot flood the terminal or the memory.
TEST_F(Decode, NotesAreCappedWithACount) {
  std::string calls = "-e 'QEL_LCD_Init()'";
  for (int i = 0; i < 60; ++i) calls += " -e 'QEL_LCD_WriteString(\"x\", 8)'";  // page 8 is no page
  ASSERT_EQ(run(calls + " --vcd bad.vcd --no-term").status, 0);
  const Result r = run("--decode bad.vcd --no-term");
  ASSERT_EQ(r.status, 0) << r.err;
  std::vector<std::string> notes;
  for (const std::string& l : lines_of(r.err)) {
    if (l.rfind("note: ", 0) == 0) notes.push_back(l);
  }
  ASSERT_EQ(notes.size(), 101u);
  EXPECT_NE(notes.back().find(" more notes not shown."), std::string::npos) << notes.back();
}

}  // namespace
}  // namespace qel::tool::test
