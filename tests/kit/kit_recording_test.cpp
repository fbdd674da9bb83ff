// What the kit records between resets: the bytes as sent, the controller's notes,
// the pin waveform (read back through the VCD reader), the terminal view, and the
// isolation that a reset gives one test from the next. What used to pass silently
// is a note that names its call: a test that forgets QEL_LCD_Init or
// qel_panel_reset, calls the module leaves undone, text the panel does not show
// whole, and the controller's own notes.
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

std::size_t data_bytes() {
  const qel_panel_byte* bytes = nullptr;
  std::size_t data = 0;
  for (std::size_t i = 0, n = qel_panel_bytes(&bytes); i < n; ++i) data += bytes[i].is_data;
  return data;
}

// Start-up: display off first, display on last, then the home position; the
// blanking is 8 pages of 128 data bytes.
TEST_F(Recording, StartUpBytesAsSent) {
  const qel_panel_byte* bytes = nullptr;
  const std::size_t n = qel_panel_bytes(&bytes);
  ASSERT_GT(n, 4U);
  EXPECT_EQ(bytes[0].value, 0xAE);
  EXPECT_EQ(bytes[0].is_data, 0);
  EXPECT_EQ(data_bytes(), 8U * 128U);
  const unsigned char home[] = {0xB0, 0x10, 0x01};
  for (int i = 0; i < 3; ++i) {
    EXPECT_EQ(bytes[n - 3 + i].value, home[i]);
    EXPECT_EQ(bytes[n - 3 + i].is_data, 0);
  }
  EXPECT_EQ(qel_panel_note_count(), 0U);
  EXPECT_EQ(qel_panel_note(0), nullptr);
}

// A reset connects a new, blank panel and forgets the recording; the module's pins
// stay open, so the next test's QEL_LCD_Init works as the first did.
TEST(Reset, IsolatesOneTestFromTheNext) {
  qel_panel_reset(nullptr);
  QEL_LCD_Init();
  const std::size_t startup = qel_panel_bytes(nullptr);
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

// The waveform replayed into a second controller shows the same text.
TEST_F(Recording, WaveformReplaysToTheSamePanel) {
  QEL_LCD_WriteStringValue(text("T="), 25, 10, 2);
  const std::string path = scratch("run.vcd");
  ASSERT_EQ(qel_panel_write_vcd(path.c_str()), 0) << qel_panel_error();
  emu::Controller replayed;
  std::ifstream in(path, std::ios::binary);
  trace::replay(trace::read_vcd(in, path), replayed);
  EXPECT_EQ(view::line_text(replayed, 2), "T= 25");
  EXPECT_EQ(view::line_text(replayed, 2), line(2));
}

// The plain ASCII view, for logs (the checks' failures draw the Unicode one).
TEST_F(Recording, PrintAsciiShowsThePanelInPlainAscii) {
  QEL_LCD_WriteString(text("###"), 0);
  std::FILE* out = std::tmpfile();
  ASSERT_NE(out, nullptr);
  qel_panel_print_ascii(out);
  std::rewind(out);
  std::string shown;
  for (int c; (c = std::fgetc(out)) != EOF;) shown.push_back(static_cast<char>(c));
  std::fclose(out);
  EXPECT_NE(shown.find('#'), std::string::npos) << "a pair of lit pixels";
  EXPECT_EQ(std::count(shown.begin(), shown.end(), '\n'), 34) << "32 rows of pixel pairs in a frame";
  EXPECT_TRUE(std::all_of(shown.begin(), shown.end(), [](char c) { return c > 0; })) << "ASCII only";
}

// The run as the program's report shows it: one frame per module call, each with
// its call and notes, the findings at the top; the same frames as a GIF. Without frames asked for, both
// say how to ask.
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
  EXPECT_NE(html.find("QEL_LCD_WriteValue(7U, 16, 2);"), std::string::npos);
  EXPECT_NE(html.find("Character 22 'V' starts at the panel's last column"), std::string::npos);
  EXPECT_NE(html.find("columns-never-written"), std::string::npos) << "the findings head the report";
  std::ifstream g(gif, std::ios::binary);
  EXPECT_EQ(std::string(std::istreambuf_iterator<char>(g), {}).substr(0, 6), "GIF89a");

  qel_panel_reset(nullptr);
  EXPECT_EQ(qel_panel_write_report(report.c_str()), -1);
  EXPECT_NE(std::string(qel_panel_error()).find("qel_panel_options.frames = 1"), std::string::npos);
  EXPECT_EQ(qel_panel_write_gif(nullptr), -1);
}

std::vector<std::string> notes() {
  std::vector<std::string> all;
  for (std::size_t i = 0; i < qel_panel_note_count(); ++i) all.emplace_back(qel_panel_note(i));
  return all;
}

TEST(SilentNoOps, EachIsANoteThatNamesItsCall) {
  const struct {
    const char* name;
    std::function<void()> test;  // runs after qel_panel_reset
    const char* note;            // the whole first note
  } cases[] = {
      // A blank line is 3 commands and 128 data bytes; "Hi" adds 3 + 6 bytes a character.
      {"Init forgotten after a reset", [] { QEL_LCD_WriteString(text("Hi"), 2); },
       "call 1, QEL_LCD_WriteString(line 2): byte 0: 149 bytes before the controller was reset were ignored."},
      {"unsupported base, inside WriteValue's own WriteString",
       [] {
         QEL_LCD_Init();
         QEL_LCD_WriteValue(10, 8, 1);
       },
       "call 2, QEL_LCD_WriteValue(line 1): Base 8 of QEL_LCD_WriteValue is not supported (10 or 16); the module shows "
       "no digits."},
      {"22nd character",
       [] {
         QEL_LCD_Init();
         QEL_LCD_WriteString(text("ABCDEFGHIJKLMNOPQRSTUV"), 0);
       },
       "call 2, QEL_LCD_WriteString(line 0): Character 22 'V' starts at the panel's last column on line 0: only one "
       "of its six pixel columns fits (21 characters fit on a line)."},
      {"controller note during a call",
       [] {
         QEL_LCD_Init();
         QEL_LCD_ClearLine(8);
       },
       // Start-up: 28 commands, 8 blank lines of 131 bytes, 3 for the home position.
       "call 2, QEL_LCD_ClearLine(line 8): byte 1079: Page command 0xB8 names no page; taken as page 0."},
  };
  qel_panel_reset(nullptr);
  QEL_LCD_Init();  // the module's pins are open from here on, as in a test run after others
  for (const auto& c : cases) {
    qel_panel_reset(nullptr);
    c.test();
    const std::vector<std::string> all = notes();
    ASSERT_FALSE(all.empty()) << c.name;
    EXPECT_EQ(all[0], c.note) << c.name;
  }
}

// Text past a line's end continues on the next one without blanking it: the
// note says where, and the old text to the right is still there.
TEST(SilentNoOps, SpillOntoTheNextLineIsNoted) {
  qel_panel_reset(nullptr);
  QEL_LCD_Init();
  QEL_LCD_WriteString(text("old old old old old"), 4);
  QEL_LCD_WriteString(text("This sentence is too long."), 3);
  EXPECT_EQ(line(4), "ong.old old old old");
  ASSERT_EQ(qel_panel_note_count(), 2u);
  EXPECT_EQ(std::string(qel_panel_note(1)),
            "call 3, QEL_LCD_WriteString(line 3): Characters 23 to 26 continue on line 4, which the call does not "
            "blank first.");
}

// After qel_panel_close, module calls reach no panel: the test that forgot its
// reset reads an empty panel, with one note and the error saying why.
TEST(SilentNoOps, CallsWithNoPanelConnectedAreNoted) {
  qel_panel_reset(nullptr);
  QEL_LCD_Init();
  qel_panel_close();
  EXPECT_EQ(qel_panel_note_count(), 0u) << "a closed panel with no calls since has nothing to say";
  QEL_LCD_Init();
  QEL_LCD_WriteString(text("lost"), 1);
  EXPECT_EQ(line(1), "");
  const std::string expected =
      "2 module calls reached no panel: qel_panel_reset was not called after qel_panel_close, so this test reads an "
      "empty panel. Start each test with qel_panel_reset.";
  EXPECT_EQ(qel_panel_error(), expected);
  ASSERT_EQ(qel_panel_note_count(), 1u);
  EXPECT_EQ(qel_panel_note(0), expected);
  EXPECT_EQ(qel_panel_note(1), nullptr);
  qel_panel_reset(nullptr);
  EXPECT_EQ(qel_panel_note_count(), 0u);
}

}  // namespace
}  // namespace qel::kit_test
