// --commands, --report, --gif and the findings as a user runs them: on a script
// and on a capture; findings on standard error after the notes, in the
// --findings file, in the report, and in the exit status with --strict.
#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

#include "bus_waveform.h"
#include "program_fixture.h"

namespace qel::tool::test {
namespace {

std::size_t count_of(const std::string& text, const std::string& part) {
  std::size_t n = 0;
  for (std::size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + 1)) ++n;
  return n;
}

// A capture with chip select: each byte is eight 100 ns clock periods starting
// at the given time (ns); "release" raises and lowers chip select.
std::string capture_vcd(const std::vector<std::pair<std::uint64_t, std::string>>& steps) {
  std::string vcd =
      "$timescale 1ns $end\n$scope module cap $end\n$var wire 1 ! sclk $end\n$var wire 1 \" sdin $end\n"
      "$var wire 1 # dc $end\n$var wire 1 $ cs $end\n$upscope $end\n$enddefinitions $end\n"
      "#0\n$dumpvars\n1!\n0\"\n0#\n0$\n$end\n";
  for (const auto& [t, what] : steps) {
    if (what == "release") {
      vcd += "#" + std::to_string(t) + "\n1$\n#" + std::to_string(t + 50) + "\n0$\n";
      continue;
    }
    const bool data = what[0] == 'D';
    const int value = std::stoi(what.substr(2), nullptr, 16);
    vcd += "#" + std::to_string(t) + "\n" + (data ? "1#" : "0#") + "\n";
    for (int i = 0; i < 8; ++i) {
      const std::uint64_t bit = t + static_cast<std::uint64_t>(i) * 100;
      vcd += "#" + std::to_string(bit + 10) + "\n0!\n" + (((value >> (7 - i)) & 1) ? "1\"" : "0\"") + "\n";
      vcd += "#" + std::to_string(bit + 60) + "\n1!\n";
    }
  }
  return vcd;
}

// The listing of a script: each call's heading, then its lines, each with the
// call's place. (What each line says is the listing's own test.)
TEST_F(ProgramRun, CommandListingOfAScript) {
  const Result r = run("-e 'QEL_LCD_Init()' -e 'QEL_LCD_WriteValue(0xF, 16, 3)' --commands -");
  ASSERT_EQ(r.status, 0) << r.err;
  const std::vector<std::string> lines = lines_of(r.out);
  EXPECT_EQ(std::vector<std::string>(lines.begin(), lines.begin() + 2),
            (std::vector<std::string>{"-e#1:1:1  # QEL_LCD_Init()", "-e#1:1:1  AE        display off"}));
  auto call = std::find(lines.begin(), lines.end(), "-e#2:1:1  # QEL_LCD_WriteValue(0xF, 16, 3)");
  ASSERT_EQ(lines.end() - call, 9) << "3 commands and a run of data, twice: " << r.out;
  EXPECT_EQ(call[1], "-e#2:1:1  B3        page start 3");
  for (; call != lines.end(); ++call) EXPECT_TRUE(call->rfind("-e#2:1:1  ", 0) == 0 && (*call)[10] != ' ') << *call;
}

// A capture: lines carry the time of their first clock edge; frames end at a
// 1 ms idle and at chip-select release.
TEST_F(ProgramRun, CaptureListingReportAndGif) {
  file("cap.vcd",
       capture_vcd({{1000, "C AF"}, {3000000, "D FF"}, {3000800, "D 81"}, {3002000, "release"}, {3003000, "C A7"}}));
  const Result r =
      run("--decode cap.vcd --map sclk=sclk,sdin=sdin,dc=dc,cs=cs --commands - --report r.html --gif r.gif");
  ASSERT_EQ(r.status, 0) << r.err;
  const std::vector<std::string> expected = {
      "     0.001060 ms  AF        display on",
      "     3.000060 ms  2 data bytes, page 0, columns 0-1",
      "     3.003060 ms  A7        inverse",
  };
  EXPECT_EQ(lines_of(r.out), expected);
  const std::string html = slurp(dir_ / "r.html");
  EXPECT_NE(html.find("3 bursts, 3 frames"), std::string::npos);
  EXPECT_NE(html.find("id=\"frame-3\" data-subject=\"3.003060 ms - 3.003760 ms\""), std::string::npos);
  EXPECT_EQ(slurp(dir_ / "r.gif").substr(0, 6), "GIF89a");
}

// Without a script the demo runs: panel.png appears, the panel is drawn, and
// its report has one frame per call (frame 3 is the third call), fetches
// nothing from elsewhere and stays well under 1 MB. The demo's first fill
// overruns its page inside the first call; the columns never written are about
// the whole run, linked to its last frame.
TEST_F(ProgramRun, DemoAndItsSelfContainedReport) {
  const Result r = run("--report r.html");
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_TRUE(fs::exists(dir_ / "panel.png"));
  EXPECT_NE(r.out.find("\u2580"), std::string::npos);  // upper half block
  const std::string html = slurp(dir_ / "r.html");
  EXPECT_LT(html.size(), 1000000u);
  EXPECT_EQ(count_of(html, "<article class=\"frame\" id=\"frame-"), 10u);
  EXPECT_NE(html.find("id=\"frame-3\" data-subject=\"QEL_LCD_WriteString(&quot;Sensor: ready (OK!)&quot;, "
                      "QEL_LCD_LINE1);\""),
            std::string::npos);
  EXPECT_NE(html.find("content=\"default-src 'none'"), std::string::npos);
  // Every src and href is inline data or a link within the page.
  EXPECT_EQ(count_of(html, " src=\"data:image/png;base64,"), 11u);  // the final panel and one per frame
  for (const char* attribute : {" src=\"", " href=\""}) {
    for (std::size_t at = html.find(attribute); at != std::string::npos; at = html.find(attribute, at + 1)) {
      const std::size_t from = at + std::strlen(attribute);
      const std::string target = html.substr(from, html.find('"', from) - from);
      EXPECT_TRUE(target.rfind("data:image/png;base64,", 0) == 0 || target.rfind("#frame-", 0) == 0) << target;
    }
  }
  for (const char* fetch : {"http:", "https:", "url(", "@import"}) EXPECT_EQ(count_of(html, fetch), 0u) << fetch;
  // Start-up: its waveform stops after 64 bytes, and the reset wait is a short break.
  EXPECT_NE(html.find("Showing the first 64 bytes; 1015 later bytes"), std::string::npos);
  EXPECT_NE(html.find(">250 ms</text>"), std::string::npos);
  EXPECT_NE(html.find("<code>page-overrun</code> <a href=\"#frame-1\">byte 158, examples/demo.qel:3:1</a>"),
            std::string::npos);
  EXPECT_NE(html.find("<code>columns-never-written</code> <a href=\"#frame-10\">end ("), std::string::npos);
}

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
  const Result r = run("--script s.qel --findings - --no-term --report r.html");
  ASSERT_EQ(r.status, 0) << r.err;
  const std::vector<std::string> err = lines_of(r.err);
  ASSERT_EQ(err.size(), 3u) << r.err;
  EXPECT_EQ(err[0].rfind("note: s.qel:2:1: Base 2", 0), 0u);
  EXPECT_EQ(err[1].rfind("finding: page-overrun (warning) at byte 158, s.qel:1:1: 9 runs of display data", 0), 0u);
  EXPECT_EQ(err[2].rfind("finding: columns-never-written (warning) at end (1210 bytes): Column 0", 0), 0u);
  EXPECT_EQ(lines_of(r.out).size(), 2u) << "--findings - takes standard output, and the panel is not drawn";
  // The report's notes at the top link to the frame of the call they arose in.
  EXPECT_NE(slurp(dir_ / "r.html").find("<li><a href=\"#frame-2\">frame 2</a>: Base 2 of QEL_LCD_WriteValue"),
            std::string::npos);
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

}  // namespace
}  // namespace qel::tool::test
