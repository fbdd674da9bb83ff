// qel-lcd-sim end to end: the built program run as a user runs it, its outputs
// and exit status read back.
#include <gtest/gtest.h>

#include <regex>
#include <string>
#include <vector>

#include "../emulator/controller_feed.h"
#include "bus_waveform.h"
#include "common/text_format.h"
#include "program_fixture.h"
#include "startup_stream.h"

namespace qel::tool::test {
namespace {

class Program : public ProgramRun {};

// --bytes - prints "# call" and one "C XX"/"D XX" line per byte, and nothing
// else: the start-up stream, then a call written over two lines, on one. (The
// bytes themselves are the module's tests'.)
TEST_F(Program, ByteLogOnStandardOutputIsExact) {
  file("s.qel", "QEL_LCD_Init();\nQEL_LCD_WriteValue(0xF,\n  16, 3)  // fifteen\n");
  const Result r = run("--script s.qel --bytes -");
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(without_findings(r.err), "");
  std::vector<std::string> expected = {"# QEL_LCD_Init();"};
  for (const emu::WireByte& b : qel::test::startup_bytes()) {
    expected.push_back((b.is_data ? "D " : "C ") + common::hex_digits(b.value));
  }
  expected.push_back("# QEL_LCD_WriteValue(0xF, 16, 3)");
  const std::vector<std::string> lines = lines_of(r.out);
  ASSERT_EQ(lines.size(), expected.size() + 140) << "a line's blanking and one glyph: 131 and 9 bytes";
  EXPECT_EQ(std::vector<std::string>(lines.begin(), lines.begin() + static_cast<long>(expected.size())), expected);
}

// User mistakes exit 2 with a message naming what was wrong; notes exit 1 only
// with --strict. An output that would replace an input or another output is
// refused before anything is written: the inputs keep their bytes and no output
// appears. A full disk or a closed standard output is an error, not a silent
// loss. A row's redirections say what standard input and output are ("-" is
// the file standard input or output actually is).
struct StatusCase {
  const char* args;
  int status;
  const char* err_contains;
  friend void PrintTo(const StatusCase& c, std::ostream* os) { *os << c.args; }
};

const StatusCase kStatus[] = {
    {"--script bad.qel", 2, "bad.qel:2:19: Value '256' is out of range for the line of QEL_LCD_ClearLine; expected"},
    {"--script missing.qel", 2, "Cannot open script file 'missing.qel': No such file or directory."},
    {"--decode missing.vcd", 2, "Cannot open capture file 'missing.vcd': No such file or directory."},
    {"-e 'QEL_LCD_Init(' --no-term", 2, "-e#1:1:14: Unexpected end of script"},
    {"--rotate 90", 2, "--rotate"},
    {"--bytes - --vcd -", 2, "Cannot write both the byte log and the VCD file to standard output"},
    {"--commands - --vcd - -e 'QEL_LCD_Init()'", 2, "to standard output"},
    {"-e 'QEL_LCD_Init()' -e 'QEL_LCD_WriteString(\"x\", 8)' --no-term --strict", 1, "-e#2:1:1: byte "},  // page 0xB8
    {"-e 'QEL_LCD_Init()' -e 'QEL_LCD_WriteString(\"x\", 8)' --no-term", 0, "note: "},
    {"-e 'QEL_LCD_Init()' -e 'QEL_LCD_WriteString(\"x\", 7)' --no-term --strict", 0, ""},
    {"--bus i2c -e 'QEL_LCD_Init()'", 2, "Option --bus 'i2c' needs --decode: scripts always drive the 4-wire"},
    {"--bus spi4 -e 'QEL_LCD_Init()' --no-term --strict", 0, ""},
    {"-e 'QEL_LCD_Init()' --sr /dev/null --no-term", 0, ""},  // a device takes a session
    {"-e 'QEL_LCD_ClearLine(1)' --no-term --strict", 1, "-e#1:1:1: QEL_LCD_ClearLine before QEL_LCD_Init"},
    {"--script ''", 2, "--script: the name is empty; expected a file name or '-'."},
    {"--decode ''", 2, "--decode: the name is empty"},
    {"--png '' -e 'QEL_LCD_Init()'", 2, "--png: the name is empty"},
    {"-e 'QEL_LCD_Init()' --expect-text ''", 2, "--expect-text: the name is empty; expected a file name."},
    {"-e 'QEL_LCD_Init()' --expect-png ''", 2, "--expect-png: the name is empty"},
    {"-e 'QEL_LCD_Init()' --expect-png bad.qel --diff-png ''", 2, "--diff-png: the name is empty"},
    {"-e 'QEL_LCD_Init()' --text ''", 2, "--text: the name is empty; expected a file name or '-'."},
    {"-e 'QEL_LCD_Init()' --frames ''", 2, "--frames: the name is empty; expected a folder name."},
    {"-e 'QEL_LCD_Init()' -e ''", 2, "-e: the call is empty; expected a call"},
    {"--decode v.vcd --map ''", 2, "--map: the value is empty"},
    {"--script .", 2, "Cannot read script file '.': it is a folder; expected a file."},
    {"--decode .", 2, "Cannot read capture '.': it is a folder"},
    {"--decode bad.qel", 2, "Cannot read capture 'bad.qel': expected a VCD file"},
    {"--script bad.qel --png .", 2, "Cannot write PNG file '.': it is a folder."},
    {"--pgn x.png", 2, "Did you mean --png for '--pgn'?"},
    {"--scael=3", 2, "Did you mean --scale for '--scael=3'?"},
    {"--expect-txt t.txt", 2, "Did you mean --expect-text for '--expect-txt'?"},
    {"--script s.qel --bytes s.qel", 2, "The byte log 's.qel' is the script file"},
    {"--script s.qel --png ./s.qel", 2, "The PNG file './s.qel' is the script file"},
    {"--script s.qel --vcd link.qel", 2, "The VCD file 'link.qel' is the script file"},  // a second name for it
    {"--decode v.vcd --bytes v.vcd", 2, "The byte log 'v.vcd' is the capture"},
    {"--decode v.vcd --png sub/../v.vcd", 2, "The PNG file 'sub/../v.vcd' is the capture"},
    {"--script s.qel --bytes x --vcd x", 2, "The VCD file and the byte log are the same file 'x'"},
    {"--script s.qel --bytes x --png sub/../x", 2, "The PNG file and the byte log are the same file"},
    {"--script s.qel --bytes - --png -", 2, "Cannot write both the byte log and the PNG file to standard output"},
    {"--script s.qel --text - --bytes -", 2, "Cannot write both the byte log and the text file to standard output"},
    {"--script s.qel --text s.qel", 2, "The text file 's.qel' is the script file"},
    {"--script s.qel --expect-png x --diff-png x", 2, "The diff image 'x' is the golden PNG"},
    {"--script s.qel --sr x --bytes x", 2, "are the same file 'x'"},
    {"--script s.qel --sr s.qel", 2, "The sigrok session 's.qel' is the script file"},
    {"--script s.qel --sr -", 2, "Cannot write sigrok session '-': a session is a ZIP archive"},
    {"--script s.qel --png /dev/stdout --bytes - >>out.txt", 2, "Cannot write both the byte log and the PNG file"},
    {"--script - --bytes s.qel >>out.txt <s.qel", 2, "The byte log 's.qel' is the script file"},
    {"--script s.qel --vcd out.txt --bytes - >>out.txt", 2, "Cannot write both the byte log and the VCD file"},
    {"--script - --text out.txt >/dev/null <out.txt", 2, "The text file 'out.txt' is the script file"},
    {"-e 'QEL_LCD_Init()' >/dev/full", 2, "standard output"},
    {"-e 'QEL_LCD_Init()' --stats --no-term >/dev/full", 2, "standard output"},
    {"-e 'QEL_LCD_Init()' --bytes - >/dev/full", 2, "standard output"},
    {"-e 'QEL_LCD_Init()' --png - >&-", 2, "standard output"},
    {"-e 'QEL_LCD_Init()' >&-", 2, "standard output"},
    {"-e 'QEL_LCD_Init()' --no-term --bytes b.txt >&-", 0, ""},  // nothing for standard output
    {"-e 'QEL_LCD_Init()' --no-term >/dev/full", 0, ""},
    {"--decode v.vcd --live", 2, "Option --live needs a terminal on standard output"},
    {"--decode v.vcd --live --bytes -", 2, "Option --live draws the panel on standard output, which --bytes -"},
};

class ProgramStatus : public Program, public ::testing::WithParamInterface<StatusCase> {};

TEST_P(ProgramStatus, ExitStatusAndMessage) {
  const std::string script = "QEL_LCD_Init();\n", capture = "$timescale 1ns $end\n$enddefinitions $end\n";
  file("bad.qel", "QEL_LCD_Init();\nQEL_LCD_ClearLine(256);\n");
  file("s.qel", script);
  file("v.vcd", capture);
  fs::create_directory(dir_ / "sub");
  fs::create_symlink("s.qel", dir_ / "link.qel");
  file("out.txt", "keep");
  const Result r = run(GetParam().args);
  EXPECT_EQ(r.status, GetParam().status) << r.err;
  EXPECT_NE(r.err.find(GetParam().err_contains), std::string::npos) << r.err;
  if (GetParam().err_contains[0] == '\0') {
    EXPECT_EQ(without_findings(r.err), "");
  }
  EXPECT_EQ(slurp(dir_ / "s.qel"), script);
  EXPECT_EQ(slurp(dir_ / "v.vcd"), capture);
  EXPECT_EQ(slurp(dir_ / "out.txt"), "keep");
  EXPECT_FALSE(fs::exists(dir_ / "x"));
  EXPECT_EQ(r.out, "");
  if (fs::exists(dir_ / "b.txt")) {
    EXPECT_EQ(slurp(dir_ / "b.txt").rfind("# QEL_LCD_Init()\nC AE\n", 0), 0u) << "the byte log went to its file";
  }
}

INSTANTIATE_TEST_SUITE_P(Table, ProgramStatus, ::testing::ValuesIn(kStatus));

// --png - writes the same picture to standard output as --png FILE to a file;
// --text -, --version and --stats write there too, the figures' totals for
// start-up being 55 commands, 1024 data bytes, 25 writes per byte plus the clock
// and two reset writes, and the 250 ms reset wait.
TEST_F(Program, PngTextVersionAndFiguresOnStandardOutput) {
  const Result to_file = run("-e 'QEL_LCD_Init()' -e 'QEL_LCD_WriteString(\"Hi\", 1)' --png p.png --no-term");
  const Result to_stdout = run("-e 'QEL_LCD_Init()' -e 'QEL_LCD_WriteString(\"Hi\", 1)' --png -");
  ASSERT_EQ(to_file.status, 0) << to_file.err;
  ASSERT_EQ(to_stdout.status, 0) << to_stdout.err;
  EXPECT_EQ(to_stdout.out, slurp(dir_ / "p.png"));  // the terminal view is off
  EXPECT_FALSE(fs::exists(dir_ / "-"));
  EXPECT_EQ(run("-e 'QEL_LCD_Init();' -e 'QEL_LCD_WriteString(\"Hi\", 1);' --text - --no-term").out,
            "\nHi\n\n\n\n\n\n\n");
  EXPECT_EQ(run("--version").out, "qel-lcd-sim 1.1.0\n");
  const std::regex total(R"(total \(1000 ns per pin write\)\s+55\s+1024\s+26978\s+250\s+276\.978000 ms)");
  EXPECT_TRUE(std::regex_search(run("-e 'QEL_LCD_Init()' --stats --no-term --pin-write-ns 1000").out, total));
}

// The panel checks: text lines written and compared, a golden picture compared,
// with exit status 1 for a difference and 2 for a file that cannot be used.
TEST_F(Program, PanelChecksAndTheirOutcome) {
  const std::string same =
      "-e 'QEL_LCD_Init();' -e 'QEL_LCD_WriteString(\"Menu\", 0);' -e 'QEL_LCD_WriteValue(42, 10, 7);'";
  const std::string other =
      "-e 'QEL_LCD_Init();' -e 'QEL_LCD_WriteString(\"Menu\", 0);' -e 'QEL_LCD_WriteValue(43, 10, 7);'";
  // The golden text and picture of one screen, made by the program itself.
  ASSERT_EQ(run(same + " --text golden.txt --png golden.png --scale 2 --color blue --no-term").status, 0);
  // clang-format off
  const struct { const char* name; std::string args; int status; const char* in_err; } cases[] = {
      {"same text", same + " --expect-text golden.txt", 0, ""},
      {"same picture", same + " --expect-png golden.png", 0, ""},
      {"other text", other + " --expect-text golden.txt", 1, "golden.txt:8: line 7 differs: expected '42', got '43'."},
      {"other picture", other + " --expect-png golden.png --diff-png diff.png", 1, "golden.png' in "},
      {"missing golden text", same + " --expect-text none.txt", 2, "Cannot open expected text file 'none.txt'"},
      {"golden text too long", same + " --expect-text nine.txt", 2, "nine.txt:9: expected at most 8 lines"},
      {"golden picture not a PNG", same + " --expect-png golden.txt", 2, "Cannot read PNG file 'golden.txt'"},
      {"diff without golden", same + " --diff-png diff.png", 2, "--expect-png"},
      {"golden text is a folder", same + " --expect-text sub", 2, "expected text file 'sub': it is a folder"},
      {"golden picture is a folder", same + " --expect-png sub", 2, "Cannot read golden PNG 'sub': it is a folder"},
      {"golden text without end", same + " --expect-text /dev/zero", 2, "/dev/zero:1: line longer than 256 bytes"},
      {"golden text of long lines", same + " --expect-text long.txt", 2, "long.txt:2: line longer than 256 bytes"},
      // A short file's missing lines are empty: a difference there cites no line of the file.
      {"short golden text", other + " --expect-text short.txt", 1, "short.txt: line 7 differs: expected an empty line"},
      {"golden text with a byte order mark", same + " --expect-text bom.txt", 0, ""},
  };
  // clang-format on
  file("short.txt", "Menu\n");
  file("bom.txt", "\xEF\xBB\xBFMenu\n\n\n\n\n\n\n42\n");
  file("nine.txt", "1\n2\n3\n4\n5\n6\n7\n8\n9\n");
  file("long.txt", "Menu\n" + std::string(300, 'x') + "\n");
  fs::create_directory(dir_ / "sub");
  for (const auto& c : cases) {
    fs::remove(dir_ / "diff.png");
    const Result r = run(c.args + " --no-term");
    EXPECT_EQ(r.status, c.status) << c.name << ": " << r.err;
    EXPECT_NE(r.err.find(c.in_err), std::string::npos) << c.name << ": " << r.err;
    EXPECT_EQ(fs::exists(dir_ / "diff.png"), c.args.find("--diff-png") != std::string::npos && c.status == 1)
        << c.name << ": a diff image only for a picture that differs";
  }
}

// --bus and the channel names choose the decoder: captures of the same bytes on
// 3-wire and I2C decode to the 4-wire one's byte log, with the I2C traffic for
// another device one note. (Every framing and fault of each bus is the
// emulator's tests'; which names make a capture I2C, the trace tests'.)
TEST_F(Program, ThreeWireAndI2cCapturesDecodeToTheSameBytes) {
  const std::vector<emu::WireByte> bytes = emu::test::bytes_of("C 8D 14 AF B3 D 7F 08 C A7");
  qel::emu::test::Spi4Wave spi4;
  spi4.bytes(bytes);
  qel::emu::test::Spi3Wave spi3;
  spi3.select(true);
  spi3.bytes(bytes);
  spi3.select(false);
  qel::emu::test::I2cWave i2c;
  i2c.script("S A0 01 02 P");  // another device at 0x50
  i2c.runs(bytes);
  file("spi4.vcd", as_vcd(spi4, {"sclk", "sdin", "dc", "", ""}));
  file("spi3.vcd", as_vcd(spi3, {"sclk", "sdin", "", "res_n", "cs"}));
  file("i2c.vcd", as_vcd(i2c, {"SCL", "SDA", "", "", ""}, 2000));  // under 400 kHz

  const Result four = run("--decode spi4.vcd --bytes - --strict");
  ASSERT_EQ(four.status, 0) << four.err;
  EXPECT_EQ(four.out, "C 8D\nC 14\nC AF\nC B3\nD 7F\nD 08\nC A7\n");
  EXPECT_EQ(run("--decode spi3.vcd --bus spi3 --bytes - --strict").out, four.out);
  EXPECT_EQ(run("--decode spi3.vcd --bytes -").status, 2) << "without --bus it lacks its data/command line";
  const Result two = run("--decode i2c.vcd --bytes -");
  EXPECT_EQ(two.out, four.out);
  EXPECT_EQ(without_findings(two.err),
            "Signal map found from the channel names: scl=SCL,sda=SDA (I2C).\n"
            "note: i2c.vcd: byte 7: 1 transfer to another address (0x50) was ignored.\n");
}

// A script on standard input; the ASCII view; --rotate 180 turns the picture.
TEST_F(Program, StandardInputScriptAndRotation) {
  const std::string script = "QEL_LCD_Init()\nQEL_LCD_WriteString(\"#\", 0)\n";
  const Result upright = run("--script - --ascii", script);
  const Result turned = run("--script - --ascii --rotate 180", script);
  ASSERT_EQ(upright.status, 0) << upright.err;
  ASSERT_EQ(turned.status, 0) << turned.err;
  const auto up = lines_of(upright.out), down = lines_of(turned.out);
  ASSERT_TRUE(up.size() == 34u && down.size() == 34u);  // 32 text lines of two pixel rows, and the frame
  EXPECT_NE(up[1].find_first_not_of(" |"), std::string::npos) << "text at the top";
  EXPECT_EQ(down[1].find_first_not_of(" |"), std::string::npos);
  EXPECT_NE(down[32].find_first_not_of(" |"), std::string::npos) << "text at the bottom";
}

}  // namespace
}  // namespace qel::tool::test
