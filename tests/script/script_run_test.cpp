// Scripts executed against the real module: each call sends the bytes the same
// call made from C sends.
#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "QEL_LCD.h"
#include "emulator/controller.h"
#include "qel/pin_observer.h"
#include "script/script_parser.h"
#include "script/script_runner.h"

namespace qel::script {
namespace {

const QEL_C* text(const char* s) { return reinterpret_cast<const QEL_C*>(s); }

// The bytes `call` sends after a start-up.
std::vector<emu::WireByte> sent_after_startup(const std::function<void()>& call) {
  emu::Controller controller;
  emu::ControllerPins pins(controller);
  host::ScopedPinObserver scope(pins);
  QEL_LCD_Init();
  const auto startup = static_cast<std::ptrdiff_t>(controller.bytes().size());
  call();
  return {controller.bytes().begin() + startup, controller.bytes().end()};
}

TEST(ScriptRunner, EachCallSendsWhatTheSameCallFromCSends) {
  const struct {
    const char* script;
    void (*from_c)();
  } cases[] = {
      {"QEL_LCD_ClearLine(QEL_LCD_LINE1);", [] { QEL_LCD_ClearLine(1); }},
      {"QEL_LCD_WriteString(NULL, 4);", [] { QEL_LCD_WriteString(nullptr, 4); }},
      {"QEL_LCD_WriteString(\"A\\0B\", 1);", [] { QEL_LCD_WriteString(text("A"), 1); }},  // C stops at the NUL
      {"QEL_LCD_WriteValue(0xFFU, 16, 3);", [] { QEL_LCD_WriteValue(255, 16, 3); }},
      {"QEL_LCD_WriteStringValue(\"T=\", 25, 10, 2);", [] { QEL_LCD_WriteStringValue(text("T="), 25, 10, 2); }},
      {"QEL_LCD_WriteStringValue(NULL, 7, 16, 6);", [] { QEL_LCD_WriteStringValue(nullptr, 7, 16, 6); }},
  };
  for (const auto& c : cases) {
    const std::vector<Call> calls = parse_script(c.script, "t.qel");
    const std::vector<emu::WireByte> from_c = sent_after_startup(c.from_c);
    ASSERT_FALSE(from_c.empty());
    EXPECT_TRUE(sent_after_startup([&] { execute(calls.at(0)); }) == from_c) << c.script;
  }
}

// Calls the module carries out only in part, or not at all, get the runner's
// note, so a strict run fails on them; the rest get none.
TEST(ScriptRunner, NotesCallsThatSendLessThanTheySay) {
  const struct {
    const char* call;
    bool started;
    std::vector<const char*> notes;  // parts of each expected note
  } cases[] = {
      {"QEL_LCD_ClearLine(1)", false, {"QEL_LCD_ClearLine before QEL_LCD_Init"}},
      {"QEL_LCD_Init()", false, {}},
      {"QEL_LCD_ClearLine(15)", true, {}},  // page 0xBF: the controller's own note
      {"QEL_LCD_ClearLine(16)", true, {"Line 16 of QEL_LCD_ClearLine is past the controller's 16 pages"}},
      {"QEL_LCD_WriteString(\"x\", 255)", true, {"Line 255 of QEL_LCD_WriteString"}},
      {"QEL_LCD_WriteValue(1, 16, 2)", true, {}},
      {"QEL_LCD_WriteValue(1, 8, 2)", true, {"Base 8 of QEL_LCD_WriteValue is not supported"}},
      {"QEL_LCD_WriteStringValue(\"T\", 1, 0, 99)",
       false,
       {"before QEL_LCD_Init", "Line 99 of", "Base 0 of QEL_LCD_WriteStringValue"}},
  };
  for (const auto& c : cases) {
    const std::vector<std::string> notes = call_notes(parse_script(c.call, "t.qel").at(0), c.started);
    ASSERT_EQ(notes.size(), c.notes.size()) << c.call;
    for (std::size_t i = 0; i < notes.size(); ++i) EXPECT_NE(notes[i].find(c.notes[i]), std::string::npos) << notes[i];
  }
}

// Those calls really send nothing: the note is not a guess.
TEST(ScriptRunner, NotedLineAndEarlyCallsSendNothing) {
  emu::Controller controller;
  emu::ControllerPins pins(controller);
  host::ScopedPinObserver scope(pins);
  std::size_t noted = 0;
  bool started = false;
  const auto run = [&](const char* script) {
    for (const Call& call : parse_script(script, "t.qel")) {
      noted += call_notes(call, started).size();
      execute(call);
      started = started || call.function == Function::Init;
    }
  };
  run("QEL_LCD_ClearLine(1)\nQEL_LCD_Init()");
  const std::size_t after_startup = controller.bytes().size();
  ASSERT_GT(after_startup, 1000u);
  run("QEL_LCD_Init()\nQEL_LCD_WriteString(\"x\", 16)\nQEL_LCD_ClearLine(200)");

  EXPECT_EQ(controller.bytes().size(), 2 * after_startup);
  EXPECT_EQ(noted, 3u);
}

}  // namespace
}  // namespace qel::script
