// Findings as a user of qel-lcd-sim meets them: on standard error after the
// notes, in the --findings file, in the report, and in the exit status with
// --strict.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "bus_waveform.h"
#include "program_fixture.h"

namespace qel::tool::test {
namespace {

class Findings : public ProgramRun {};

// The module never writes column 0 and fills each page with 128 bytes from
// column 1: on every example these are the only two findings, both warnings,
// so they do not fail a --strict run. (Their sentences are the findings' tests'.)
TEST_F(Findings, TheModuleExamplesGiveTheModulesTwoWarnings) {
  EXPECT_EQ(run("--no-term --strict").status, 0);
  for (const char* example : {"demo", "values", "wrap", "build-up"}) {
    const std::string script = std::string(QEL_EXAMPLES_DIR) + "/" + example + ".qel";
    const Result r = run("--script '" + script + "' --findings found.tsv --no-term");
    ASSERT_EQ(r.status, 0) << r.err;
    const std::vector<std::string> lines = lines_of(slurp(dir_ / "found.tsv"));
    ASSERT_EQ(lines.size(), 2u) << example;
    EXPECT_EQ(lines[0].rfind("page-overrun\twarning\tbyte 158, " + script + ":", 0), 0u) << lines[0];
    EXPECT_EQ(lines[1].rfind("columns-never-written\twarning\tend (", 0), 0u) << lines[1];
  }
}

// Notes come as they arise, findings after them; the same lines go to the file.
TEST_F(Findings, FollowTheNotesOnStandardError) {
  file("s.qel", "QEL_LCD_Init();\nQEL_LCD_WriteValue(7, 2, 1);\n");
  const Result r = run("--script s.qel --findings - --no-term");
  ASSERT_EQ(r.status, 0) << r.err;
  const std::vector<std::string> err = lines_of(r.err);
  ASSERT_EQ(err.size(), 3u) << r.err;
  EXPECT_EQ(err[0].rfind("note: s.qel:2:1: Base 2", 0), 0u);
  EXPECT_EQ(err[1].rfind("finding: page-overrun (warning) at byte 158, s.qel:1:1: 9 runs of display data", 0), 0u);
  EXPECT_EQ(err[2].rfind("finding: columns-never-written (warning) at end (1210 bytes): Column 0", 0), 0u);
  EXPECT_EQ(lines_of(r.out).size(), 2u) << "--findings - takes standard output, and the panel is not drawn";
}

// A capture whose display is on without the charge pump: an error finding, which
// fails the run only with --strict (its files are still written, as with a note);
// the report lists it first, linked to its frame.
TEST_F(Findings, AnErrorFailsStrictRunsAndLeadsTheReport) {
  qel::emu::test::Spi4Wave wave;
  wave.bytes({{0xAF, false}, {0xB0, false}, {0x00, false}, {0x10, false}});
  file("dark.vcd", as_vcd(wave, {"sclk", "sdin", "dc", "", ""}));
  EXPECT_EQ(run("--decode dark.vcd --no-term").status, 0);
  const Result strict = run("--decode dark.vcd --no-term --strict --report r.html");
  EXPECT_EQ(strict.status, 1) << strict.err;
  EXPECT_NE(strict.err.find("finding: charge-pump-off (error) at end (4 bytes), "), std::string::npos) << strict.err;

  const std::string html = slurp(dir_ / "r.html");
  const std::size_t findings = html.find("<section id=\"findings\">");
  ASSERT_NE(findings, std::string::npos);
  EXPECT_LT(findings, html.find("<section id=\"final\">"));
  EXPECT_NE(html.find("<li class=\"error\"><strong>error</strong> <code>charge-pump-off</code> <a href=\"#frame-1\">"),
            findings);
  EXPECT_NE(html.find("<code>columns-never-written</code>"), std::string::npos);
}

// The demo's first fill overruns its page inside the first call; the columns
// never written are about the whole run, linked to its last frame.
TEST_F(Findings, ReportLinksEachFindingToItsFrame) {
  ASSERT_EQ(run("--report r.html --no-term").status, 0);
  const std::string html = slurp(dir_ / "r.html");
  EXPECT_NE(html.find("<code>page-overrun</code> <a href=\"#frame-1\">byte 158, examples/demo.qel:3:1</a>"),
            std::string::npos);
  EXPECT_NE(html.find("<code>columns-never-written</code> <a href=\"#frame-10\">end ("), std::string::npos);
}

}  // namespace
}  // namespace qel::tool::test
