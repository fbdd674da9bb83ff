// What the kit records between resets: the bytes as sent, the controller's notes,
// the pin waveform (read back through the VCD reader), the terminal view, and the
// isolation that a reset gives one test from the next. What used to pass silently
// is a note that names its call: a test that forgets QEL_LCD_Init or
// qel_panel_reset, calls the module leaves undone, text the panel does not show
// whole, and the controller's own notes. The findings: what the module's own
// start-up gives, a panel nothing reached, and the reader past the end.
#include <algorithm>
#include <cstdio>
#include <fstream>
#include <functional>
#include <iterator>
#include <string>
#include <vector>

#include "emulator/controller.h"
#include "kit_fixture.h"
#include "trace/capture_replay.h"
#include "trace/vcd_reader.h"
#include "view/text_readback.h"

namespace qel::kit_test {
namespace {

using Recording = KitTest;

// A reset connects a new, blank panel and forgets the recording; the module's pins
// stay open, so the next test's QEL_LCD_Init works as the first did.
TEST(Reset, IsolatesOneTestFromTheNext) {
  qel_panel_reset(nullptr);
  QEL_LCD_Init();
  const std::size_t startup = qel_panel_bytes(nullptr);
  EXPECT_EQ(startup, 1079U) << "the module's start-up, whose bytes are the module's tests'";
  QEL_LCD_WriteString(text("left over"), 2);
  QEL_LCD_WriteString(text("0123456789012345678901234"), 7);
  ASSERT_GT(qel_panel_note_count(), 0U);

  qel_panel_reset(nullptr);
  EXPECT_EQ(qel_panel_bytes(nullptr), 0U);
  EXPECT_EQ(qel_panel_note_count(), 0U);
  EXPECT_EQ(line(2), "");
  int lit = 0;
  for (unsigned y = 0; y < 64; ++y) {
    for (unsigned x = 0; x < 128; ++x) lit += qel_panel_pixel(x, y);
  }
  EXPECT_EQ(lit, 0) << "a new panel is dark until the module switches it on";

  QEL_LCD_Init();
  EXPECT_EQ(qel_panel_bytes(nullptr), startup);
  QEL_LCD_WriteString(text("fresh"), 2);
  EXPECT_EQ(line(2), "fresh");
}

// The waveform replayed into a second controller shows the same text; the
// plain ASCII view, for logs (the checks' failures draw the Unicode one; how
// each view draws is the view's test).
TEST_F(Recording, WaveformAndAsciiViewShowThePanel) {
  QEL_LCD_WriteStringValue(text("T="), 25, 10, 2);
  const std::string path = scratch("run.vcd");
  ASSERT_EQ(qel_panel_write_vcd(path.c_str()), 0) << qel_panel_error();
  emu::Controller replayed;
  std::ifstream in(path, std::ios::binary);
  trace::replay(trace::read_vcd(in, path), replayed);
  EXPECT_EQ(view::line_text(replayed, 2), "T= 25");
  EXPECT_EQ(view::line_text(replayed, 2), line(2));

  std::FILE* out = std::tmpfile();
  ASSERT_NE(out, nullptr);
  qel_panel_print_ascii(out);
  std::rewind(out);
  std::string shown;
  for (int c; (c = std::fgetc(out)) != EOF;) shown.push_back(static_cast<char>(c));
  std::fclose(out);
  EXPECT_NE(shown.find('#'), std::string::npos) << "a pair of lit pixels";
  EXPECT_TRUE(std::all_of(shown.begin(), shown.end(), [](char c) { return c > 0; })) << "ASCII only";
}

// The run as the program's report shows it, one frame per module call (what a
// frame holds is the program's tests'), and as a GIF. Without frames asked for,
// both say how to ask.
TEST(Report, OneFramePerModuleCall) {
  qel_panel_options options = {};
  options.frames = 1;
  qel_panel_reset(&options);
  QEL_LCD_Init();
  QEL_LCD_WriteString(text("ABCDEFGHIJKLMNOPQRSTUV"), 1);
  QEL_LCD_WriteValue(7, 16, 2);
  const std::string report = scratch("run.html"), gif = scratch("run.gif");
  ASSERT_EQ(qel_panel_write_report(report.c_str()), 0) << qel_panel_error();
  ASSERT_EQ(qel_panel_write_gif(gif.c_str()), 0) << qel_panel_error();
  std::ifstream in(report);
  const std::string html((std::istreambuf_iterator<char>(in)), {});
  std::size_t frames = 0;
  for (std::size_t at = html.find("<article class=\"frame\""); at != std::string::npos;
       at = html.find("<article class=\"frame\"", at + 1)) {
    ++frames;
  }
  EXPECT_EQ(frames, 3u);
  EXPECT_NE(html.find("Character 22 'V' starts at the panel's last column"), std::string::npos) << "the kit's notes";
  std::ifstream g(gif, std::ios::binary);
  EXPECT_EQ(std::string(std::istreambuf_iterator<char>(g), {}).substr(0, 6), "GIF89a");

  qel_panel_reset(nullptr);
  EXPECT_EQ(qel_panel_write_report(report.c_str()), -1);
  EXPECT_NE(std::string(qel_panel_error()).find("qel_panel_options.frames = 1"), std::string::npos);
  EXPECT_EQ(qel_panel_write_gif(nullptr), -1);
}

// A note names its call: the run's notes on the call's arguments (their wording
// is the run's tests') and the controller's, as they arise.
TEST(SilentNoOps, EachIsANoteThatNamesItsCall) {
  // clang-format off
  const struct {
    std::function<void()> test;  // runs after qel_panel_reset
    const char* note;            // the first note's start
  } cases[] = {
      // A blank line is 3 commands and 128 data bytes; "Hi" adds 3 + 6 bytes a character.
      {[] { QEL_LCD_WriteString(text("Hi"), 2); },
       "call 1, QEL_LCD_WriteString(line 2): byte 0: 149 bytes before the controller was reset"},
      {[] { QEL_LCD_Init(); QEL_LCD_WriteValue(10, 8, 1); },
       "call 2, QEL_LCD_WriteValue(line 1): Base 8 of QEL_LCD_WriteValue is not supported"},
      // Start-up: 28 commands, 8 blank lines of 131 bytes, 3 for the home position.
      {[] { QEL_LCD_Init(); QEL_LCD_ClearLine(8); },
       "call 2, QEL_LCD_ClearLine(line 8): byte 1079: Page command 0xB8 names no page"},
  };
  // clang-format on
  qel_panel_reset(nullptr);
  QEL_LCD_Init();  // the module's pins are open from here on, as in a test run after others
  for (const auto& c : cases) {
    qel_panel_reset(nullptr);
    c.test();
    const std::string first = qel_panel_note_count() != 0 ? qel_panel_note(0) : "no note";
    EXPECT_EQ(first.rfind(c.note, 0), 0u) << first;
  }
}

// After qel_panel_close, module calls reach no panel: the test that forgot its
// reset reads an empty panel, with one note and the error saying why; a reset
// starts again.
TEST(SilentNoOps, CallsWithNoPanelConnectedAreNoted) {
  qel_panel_reset(nullptr);
  QEL_LCD_Init();
  qel_panel_close();
  EXPECT_EQ(qel_panel_note_count(), 0u) << "a closed panel with no calls since has nothing to say";
  QEL_LCD_Init();
  QEL_LCD_WriteString(text("lost"), 1);
  EXPECT_EQ(line(1), "");
  EXPECT_EQ(qel_panel_bytes(nullptr), 0u) << "the module's pins reach no panel after close";
  const std::string expected =
      "2 module calls reached no panel: qel_panel_reset was not called after qel_panel_close, so this test reads an "
      "empty panel. Start each test with qel_panel_reset.";
  EXPECT_EQ(qel_panel_error(), expected);
  ASSERT_EQ(qel_panel_note_count(), 1u);
  EXPECT_EQ(qel_panel_note(0), expected);
  EXPECT_EQ(qel_panel_note(1), nullptr);
  qel_panel_close();  // twice is harmless
  qel_panel_reset(nullptr);
  EXPECT_EQ(qel_panel_note_count(), 0u);
  QEL_LCD_Init();
  QEL_LCD_WriteString(text("found"), 1);
  EXPECT_EQ(line(1), "found") << "a reset starts again";
}

std::vector<std::string> ids() {
  std::vector<std::string> out;
  for (std::size_t i = 0; i < qel_panel_finding_count(); ++i) out.emplace_back(qel_panel_finding(i).id);
  return out;
}

using KitFindings = KitTest;

// Column 0 is never written and each fill runs one byte past its page: the
// module's two warnings, and nothing else. (What they say is the findings' tests'.)
TEST_F(KitFindings, TheModuleGivesItsTwoWarnings) {
  QEL_LCD_WriteString(text("Sensor ready"), 0);
  ASSERT_EQ(ids(), (std::vector<std::string>{"page-overrun", "columns-never-written"}));
  EXPECT_STREQ(qel_panel_finding(0).severity, "warning");
  EXPECT_STREQ(qel_panel_finding(0).where, "byte 158");
  EXPECT_EQ(std::string(qel_panel_finding(1).sentence).rfind("Column 0 is never written", 0), 0u);
}

// Before the firmware starts the panel, nothing reached it: it stays dark.
TEST(KitFindingsBeforeStartUp, ThePanelStaysDark) {
  qel_panel_reset(nullptr);
  ASSERT_EQ(ids(), (std::vector<std::string>{"display-never-on", "columns-never-written"}));
  EXPECT_STREQ(qel_panel_finding(0).severity, "error");
  EXPECT_STREQ(qel_panel_finding(0).where, "end (0 bytes)");
  const qel_panel_finding_info past = qel_panel_finding(2);
  EXPECT_TRUE(past.id == nullptr && past.severity == nullptr && past.where == nullptr && past.sentence == nullptr);
}

}  // namespace
}  // namespace qel::kit_test
