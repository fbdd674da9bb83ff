// What a run notes for a module call before it runs, from the call's arguments:
// calls the module leaves undone (pins not open, a line past the controller's
// pages, an unsupported base) and text that does not show whole (past the 21st
// character, spilling onto the next line). How the notes reach a test is the
// kit's (tests/kit/kit_recording_test.cpp).
#include "run/module_calls.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace qel::run {
namespace {

using Op = ModuleOperation;

ModuleCall call(Op op, const char* text, std::uint32_t value, std::uint8_t base, std::uint8_t line,
                bool pins_open = true) {
  return ModuleCall{op, reinterpret_cast<const std::uint8_t*>(text), value, base, line, pins_open};
}

TEST(ModuleCalls, NotesWhatACallLeavesUndoneOrOutOfSight) {
  const char* const k22 = "ABCDEFGHIJKLMNOPQRSTUV";  // the 22nd is V
  const char* const k25 = "ABCDEFGHIJKLMNOPQRSTUVWXY";
  const char* const k21sp = "ABCDEFGHIJKLMNOPQRSTU    ";  // only blanks past the 21st
  const char* const k49 = "0123456789012345678901234567890123456789012345678";
  // clang-format off
  const struct {
    const char* name;
    ModuleCall call;
    std::vector<const char*> notes;  // a part of each note, in order
  } cases[] = {
      {"init", call(Op::Init, nullptr, 0, 0, 0, false), {}},
      {"before init", call(Op::ClearLine, nullptr, 0, 0, 1, false), {"QEL_LCD_ClearLine before QEL_LCD_Init"}},
      {"page 15 is the controller's to note", call(Op::ClearLine, nullptr, 0, 0, 15), {}},
      {"line 16", call(Op::ClearLine, nullptr, 0, 0, 16), {"Line 16 of QEL_LCD_ClearLine is past"}},
      {"base 16", call(Op::WriteValue, nullptr, 1, 16, 2), {}},
      {"base 8", call(Op::WriteValue, nullptr, 1, 8, 2), {"Base 8 of QEL_LCD_WriteValue is not supported"}},
      {"all three", call(Op::WriteStringValue, "T", 1, 0, 99, false), {"before QEL_LCD_Init", "Line 99", "Base 0"}},
      {"21 characters fit", call(Op::WriteString, "ABCDEFGHIJKLMNOPQRSTU", 0, 0, 3), {}},
      {"22nd at the edge", call(Op::WriteString, k22, 0, 0, 3), {"Character 22 'V' starts at the panel's last column"}},
      {"spill", call(Op::WriteString, k25, 0, 0, 3), {"Character 22 'V'", "Characters 23 to 25 continue on line 4,"}},
      {"blanks past the edge draw nothing", call(Op::WriteString, k21sp, 0, 0, 3), {}},
      {"spill over two lines", call(Op::WriteString, k49, 0, 0, 0),
       {"Character 22 '1'", "Characters 23 to 49 continue on line 1 to 2,"}},
      {"label and value past the edge (24 characters)", call(Op::WriteStringValue, "Temperature outside", 1234, 10, 5),
       {"Character 22 '2'", "Characters 23 to 24 continue on line 6"}},
      {"nothing drawn on a line past the pages", call(Op::WriteString, k25, 0, 0, 16), {"Line 16"}},
      {"nothing drawn before init", call(Op::WriteString, k25, 0, 0, 1, false), {"before QEL_LCD_Init"}},
  };
  // clang-format on
  for (const auto& c : cases) {
    const std::vector<std::string> notes = call_notes(c.call);
    ASSERT_EQ(notes.size(), c.notes.size()) << c.name << (notes.empty() ? "" : ": " + notes[0]);
    for (std::size_t i = 0; i < notes.size(); ++i) {
      EXPECT_NE(notes[i].find(c.notes[i]), std::string::npos) << c.name << ": " << notes[i];
    }
  }
}

TEST(ModuleCalls, TextAndLabelWriteTheCallOut) {
  const char* const k43 = "0123456789012345678901234567890123456789xyz";
  // clang-format off
  const struct { ModuleCall call; const char *text, *label; } cases[] = {
      {call(Op::Init, nullptr, 0, 0, 0), "QEL_LCD_Init();", "QEL_LCD_Init()"},
      {call(Op::WriteString, "Say \"hi\"\x01" "A", 0, 0, 9), "QEL_LCD_WriteString(\"Say \\\"hi\\\"\\x01\" \"A\", 9);",
       "QEL_LCD_WriteString(line 9)"},
      {call(Op::WriteString, nullptr, 0, 0, 2), "QEL_LCD_WriteString(NULL, 2);", "QEL_LCD_WriteString(line 2)"},
      {call(Op::ClearLine, nullptr, 0, 0, 7), "QEL_LCD_ClearLine(7);", "QEL_LCD_ClearLine(line 7)"},
      {call(Op::WriteValue, nullptr, 4294967295U, 16, 3), "QEL_LCD_WriteValue(4294967295U, 16, 3);",
       "QEL_LCD_WriteValue(line 3)"},
      {call(Op::WriteStringValue, "T=", 25, 10, 2), "QEL_LCD_WriteStringValue(\"T=\", 25U, 10, 2);",
       "QEL_LCD_WriteStringValue(line 2)"},
      {call(Op::WriteString, k43, 0, 0, 0), "QEL_LCD_WriteString(\"0123456789012345678901234567890123456789...\", 0);",
       "QEL_LCD_WriteString(line 0)"},
  };
  // clang-format on
  for (const auto& c : cases) {
    EXPECT_EQ(call_text(c.call), c.text);
    EXPECT_EQ(call_label(c.call), c.label);
  }
}

}  // namespace
}  // namespace qel::run
