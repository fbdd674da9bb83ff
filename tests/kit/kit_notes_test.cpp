// What used to pass silently is now a note that names its call: a test that
// forgets QEL_LCD_Init or qel_panel_reset, calls the module leaves undone, text
// the panel does not show whole, and the controller's own notes.
#include <functional>
#include <string>
#include <vector>

#include "kit_fixture.h"

namespace qel::kit_test {
namespace {

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
