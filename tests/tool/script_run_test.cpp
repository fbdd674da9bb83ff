// Scripts executed against the real module: the bytes the controller receives
// for each call are the ones the call in C would send.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "controller.h"
#include "qel/pin_observer.h"
#include "script_parser.h"
#include "script_runner.h"

namespace qel::sim {
namespace {

WireByte C(std::uint8_t v) { return {v, false}; }
WireByte D(std::uint8_t v) { return {v, true}; }

// Blanking a page: page command, column 1 (low nibble 1, high nibble 0), 128 zeros.
std::vector<WireByte> blank(std::uint8_t page) {
  std::vector<WireByte> out = {C(static_cast<std::uint8_t>(0xB0 + page)), C(0x01), C(0x10)};
  out.insert(out.end(), 128, D(0x00));
  return out;
}

std::vector<WireByte> operator+(std::vector<WireByte> a, const std::vector<WireByte>& b) {
  a.insert(a.end(), b.begin(), b.end());
  return a;
}

const std::vector<WireByte> kGlyphF = {D(0x00), D(0x7F), D(0x09), D(0x09), D(0x09), D(0x01)};
const std::vector<WireByte> kGlyphA = {D(0x00), D(0x7C), D(0x12), D(0x11), D(0x12), D(0x7C)};

struct BytesCase {
  const char* call;
  std::vector<WireByte> expected;  // after start-up
  friend void PrintTo(const BytesCase& c, std::ostream* os) { *os << c.call; }
};

const BytesCase kBytes[] = {
    {"QEL_LCD_ClearLine(QEL_LCD_LINE0);", blank(0)},
    {"QEL_LCD_WriteString(\"\", 4);", blank(4)},
    {"QEL_LCD_WriteString(NULL, 4);", blank(4)},
    {"QEL_LCD_WriteString((const QEL_C *)\"\\x41\" \"\\101\", 1);",
     blank(1) + std::vector<WireByte>{C(0xB1), C(0x10), C(0x01)} + kGlyphA +
         std::vector<WireByte>{C(0xB1), C(0x10), C(0x07)} + kGlyphA},
    {"QEL_LCD_WriteString(\"A\\0A\", 1);", blank(1) + std::vector<WireByte>{C(0xB1), C(0x10), C(0x01)} + kGlyphA},
    {"QEL_LCD_WriteValue(0xFFU, 16, 3);", blank(3) + std::vector<WireByte>{C(0xB3), C(0x10), C(0x01)} + kGlyphF +
                                              std::vector<WireByte>{C(0xB3), C(0x10), C(0x07)} + kGlyphF},
    {"QEL_LCD_WriteValue(7, 8, 5);", blank(5)},
    {"QEL_LCD_ClearLine(16);", {}},  // in range for QEL_U8, passed on; the module leaves pages from 16 alone
};

class ScriptBytes : public ::testing::TestWithParam<BytesCase> {};

// The call reaches the module with the arguments as C would pass them.
TEST_P(ScriptBytes, CallSendsTheModulesBytes) {
  const std::vector<Call> calls = parse_script(std::string("QEL_LCD_Init();\n") + GetParam().call, "t.qel");
  Controller controller;
  ControllerPins pins(controller);
  host::ScopedPinObserver scope(pins);
  execute(calls.at(0));
  const std::size_t after_init = controller.bytes().size();
  execute(calls.at(1));

  const std::vector<WireByte> sent(controller.bytes().begin() + static_cast<std::ptrdiff_t>(after_init),
                                   controller.bytes().end());
  ASSERT_EQ(sent.size(), GetParam().expected.size());
  for (std::size_t i = 0; i < sent.size(); ++i) EXPECT_EQ(sent[i], GetParam().expected[i]) << "byte " << i;
}

INSTANTIATE_TEST_SUITE_P(Table, ScriptBytes, ::testing::ValuesIn(kBytes));

// The listener sees each call start and end around the call's own bytes.
TEST(ScriptRunner, ReportsEachCallAroundItsBytes) {
  struct Cuts : CallListener {
    const Controller* c = nullptr;
    std::vector<std::size_t> starts, ends;
    void on_call_start(std::size_t, const Call&) override { starts.push_back(c->bytes().size()); }
    void on_call_end(std::size_t, const Call&) override { ends.push_back(c->bytes().size()); }
  } cuts;
  Controller controller;
  cuts.c = &controller;
  ControllerPins pins(controller);
  host::ScopedPinObserver scope(pins);
  run_calls(parse_script("QEL_LCD_Init()\nQEL_LCD_ClearLine(2)\nQEL_LCD_ClearLine(3)", "t.qel"), cuts);

  ASSERT_EQ(cuts.starts.size(), 3u);
  EXPECT_EQ(cuts.starts[1], cuts.ends[0]);
  EXPECT_EQ(cuts.ends[1] - cuts.starts[1], 131u);  // one blanked page
  EXPECT_EQ(cuts.ends[2] - cuts.starts[2], 131u);
}

}  // namespace
}  // namespace qel::sim
