// Scripts executed against the real module: each call sends the bytes the same
// call made from C sends. (What a call leaves undone is noted by the run:
// tests/run/module_calls_test.cpp.)
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

}  // namespace
}  // namespace qel::script
