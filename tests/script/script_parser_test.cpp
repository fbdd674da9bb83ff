// Script syntax: which C spellings of the module's calls are read, into which
// arguments, and where and how mistakes are reported; and scripts run against
// the real module, each call sending what the same call made from C sends.
// (What a call leaves undone is noted by the run: tests/run/module_calls_test.cpp.)
#include "script/script_parser.h"

#include <gtest/gtest.h>

#include <functional>
#include <optional>
#include <sstream>
#include <string>
#include <vector>

#include "QEL_LCD.h"
#include "emulator/controller.h"
#include "qel/pin_observer.h"
#include "script/script_error.h"
#include "script/script_runner.h"

namespace qel::script {
namespace {

using namespace std::string_literals;

// A text argument, or NULL (nullopt), or a number.
struct Expected {
  std::optional<std::string> text;
  std::uint32_t number = 0;
  bool is_text = false;
};
Expected str(std::string s) { return {std::move(s), 0, true}; }
Expected null() { return {std::nullopt, 0, true}; }
Expected num(std::uint32_t n) { return {std::nullopt, n, false}; }

struct SyntaxCase {
  const char* source;
  Function function;
  std::vector<Expected> args;
  friend void PrintTo(const SyntaxCase& c, std::ostream* os) { *os << c.source; }
};

using Fn = Function;

// clang-format off
const SyntaxCase kSyntax[] = {
    {"QEL_LCD_Init();", Fn::Init, {}},
    {"QEL_LCD_ClearLine(4)", Fn::ClearLine, {num(4)}},
    {"QEL_LCD_WriteValue(0xFFu, 16UL, 3LL);", Fn::WriteValue, {num(255), num(16), num(3)}},
    {"QEL_LCD_WriteValue(0XaBcD, 10lu, 0ull);", Fn::WriteValue, {num(0xABCD), num(10), num(0)}},
    {"QEL_LCD_WriteValue(4294967295U, 10, QEL_LCD_LINE7);", Fn::WriteValue, {num(4294967295U), num(10), num(7)}},
    {"QEL_LCD_WriteValue(017, 0, 255);", Fn::WriteValue, {num(15), num(0), num(255)}},
    {"QEL_LCD_WriteString((QEL_C *)\"T\", 2);", Fn::WriteString, {str("T"), num(2)}},
    {"QEL_LCD_WriteString((const QEL_C*)\"a\" \"b\" /* c */ \"c\", QEL_LCD_LINE_COUNT);", Fn::WriteString,
     {str("abc"), num(8)}},
    {R"(QEL_LCD_WriteString("\n\t\r\\\"\'", 0);)", Fn::WriteString, {str("\n\t\r\\\"'"), num(0)}},
    {R"(QEL_LCD_WriteString("\x41\101\0B\7", 0);)", Fn::WriteString, {str("AA\0B\7"s), num(0)}},
    {"QEL_LCD_WriteString(NULL, 9)", Fn::WriteString, {null(), num(9)}},
    {"QEL_LCD_WriteStringValue((const char *)NULL, 25U, (QEL_U8)10, (QEL_LCD_LINE)QEL_LCD_LINE2);",
     Fn::WriteStringValue, {null(), num(25), num(10), num(2)}},
    {"// comment\n  QEL_LCD_WriteStringValue(\"T=\",\n 25U, 10, 2) /* x */ ;", Fn::WriteStringValue,
     {str("T="), num(25), num(10), num(2)}},
    // Spellings pasted firmware uses: double casts, parentheses, C's integer types,
    // const in either place, void pointers, spliced strings, a byte order mark.
    {"QEL_LCD_ClearLine((QEL_U8)(QEL_U32)1);", Fn::ClearLine, {num(1)}},
    {"QEL_LCD_ClearLine(((1)));", Fn::ClearLine, {num(1)}},
    {"QEL_LCD_ClearLine((QEL_U8)(QEL_LCD_LINE3));", Fn::ClearLine, {num(3)}},
    {"QEL_LCD_WriteValue((unsigned long long)5ull, (unsigned char)10, (const uint8_t)2);", Fn::WriteValue,
     {num(5), num(10), num(2)}},
    {"QEL_LCD_WriteValue((long int)5LLU, (signed short)16uLL, (QEL_LCD_LINE)2Lu);", Fn::WriteValue,
     {num(5), num(16), num(2)}},
    {"QEL_LCD_WriteString((QEL_C const * const)\"x\", 1);", Fn::WriteString, {str("x"), num(1)}},
    {"QEL_LCD_WriteString((const void *)(const char *)(\"x\"), 1);", Fn::WriteString, {str("x"), num(1)}},
    {"QEL_LCD_WriteString((unsigned char *)(NULL), 1);", Fn::WriteString, {null(), num(1)}},
    {"QEL_LCD_WriteString(\"ab\\\ncd\" \"e\\\r\nf\", 0);", Fn::WriteString, {str("abcdef"), num(0)}},
    {"\xEF\xBB\xBFQEL_LCD_Init();", Fn::Init, {}},
};
// clang-format on

class ScriptSyntax : public ::testing::TestWithParam<SyntaxCase> {};

// Each spelling gives the one call with the argument values C would pass.
TEST_P(ScriptSyntax, ReadsTheCallWithItsArguments) {
  const SyntaxCase& c = GetParam();
  const std::vector<Call> calls = parse_script(c.source, "t.qel");
  ASSERT_EQ(calls.size(), 1u);
  EXPECT_EQ(calls[0].function, c.function);
  ASSERT_EQ(calls[0].args.size(), c.args.size());
  for (std::size_t i = 0; i < c.args.size(); ++i) {
    if (c.args[i].is_text) {
      EXPECT_EQ(calls[0].args[i].text, c.args[i].text) << "argument " << i;
    } else {
      EXPECT_EQ(calls[0].args[i].number, c.args[i].number) << "argument " << i;
    }
  }
}

INSTANTIATE_TEST_SUITE_P(Table, ScriptSyntax, ::testing::ValuesIn(kSyntax));

struct ErrorCase {
  const char* source;
  const char* location;  // "line:column"
  const char* message;
  friend void PrintTo(const ErrorCase& c, std::ostream* os) { *os << c.source; }
};

const ErrorCase kErrors[] = {
    {"QEL_LCD_WriteString(\"x\", 256);", "1:26", "Value '256' is out of range for the line of QEL_LCD_WriteString;"},
    {"QEL_LCD_WriteValue(4294967296, 10, 0)", "1:20",
     "Value '4294967296' is out of range for the value of QEL_LCD_WriteValue; expected an integer from 0 to "
     "4294967295."},
    {"QEL_LCD_WriteValue(99999999999999999999999, 10, 0)", "1:20", "out of range"},
    {"QEL_LCD_Foo();", "1:1", "Unknown function 'QEL_LCD_Foo'; expected QEL_LCD_Init"},
    {"QEL_LCD_Init()\n  QEL_LCD_ClearLine(1) QEL_LCD_ClearLine(2)", "2:24", "Unexpected 'QEL_LCD_ClearLine' after the"},
    {"QEL_LCD_WriteString(\"abc, 1);", "1:21", "Unterminated string; expected a closing '\"'"},
    {"QEL_LCD_WriteString(\"a\\q\", 1);", "1:23", "Unknown escape '\\q'"},
    {"QEL_LCD_ClearLine(1, 2)", "1:20", "QEL_LCD_ClearLine takes 1 argument; expected ')'."},
    {"QEL_LCD_WriteValue(1, 10)", "1:25", "QEL_LCD_WriteValue takes 3 arguments; expected ',' and the line."},
    {"QEL_LCD_WriteString(5, 1)", "1:21", "Unexpected '5' for the string of QEL_LCD_WriteString; expected a"},
    {"QEL_LCD_ClearLine(-1)", "1:19", "Unexpected character '-'"},
    {"QEL_LCD_Init();\n/* never closed", "2:1", "Unterminated comment"},
    {"QEL_LCD_ClearLine(12abc)", "1:19", "Bad integer literal '12abc'"},
    {"QEL_LCD_ClearLine(0x)", "1:19", "expected digits after '0x'"},
    {"QEL_LCD_WriteString((QEL_U8)\"x\", 1)", "1:21", "Cast '(QEL_U8)' before the string of QEL_LCD_WriteString;"},
    // Casts only to the types a firmware line would use.
    {"QEL_LCD_ClearLine((banana split sundae)1)", "1:19", "Cast '(banana split sundae)' names 'banana', which is no"},
    {"QEL_LCD_ClearLine((QEL_LCD_Init)1)", "1:19", "names 'QEL_LCD_Init', which is no type here"},
    {"QEL_LCD_WriteString((const *)\"x\", 1)", "1:21", "Cast '(const *)' names no type"},
    {"QEL_LCD_ClearLine((unsigned QEL_U8)1)", "1:19", "combines type names that C does not"},
    {"QEL_LCD_ClearLine((short long)1)", "1:19", "combines type names that C does not"},
    {"QEL_LCD_ClearLine((QEL_U8 QEL_U32)1)", "1:19", "names two types"},
    {"QEL_LCD_WriteString((QEL_U32 *)\"x\", 1)", "1:21", "expected a pointer to a character type"},
    {"QEL_LCD_WriteString((char **)\"x\", 1)", "1:21", "expected a pointer to a character type"},
    {"QEL_LCD_ClearLine((QEL_U8 *)1)", "1:19", "before the line of QEL_LCD_ClearLine; expected an integer type"},
    {"QEL_LCD_ClearLine((void)1)", "1:19", "expected an integer type"},
    {"QEL_LCD_ClearLine((QEL_U8)(QEL_U8 *)1)", "1:27", "expected an integer type"},
    {"QEL_LCD_ClearLine(((1))", "1:24", "Unexpected end of script in the call to QEL_LCD_ClearLine; expected ')'."},
    {"QEL_LCD_ClearLine(((((((((((((((((((((((((((((((((((1)))))))))))))))))))))))))))))))))))", "1:51",
     "Too many parentheses around the line of QEL_LCD_ClearLine"},
    // Suffixes as C reads them.
    {"QEL_LCD_ClearLine(5lL)", "1:19", "Bad integer literal '5lL'"},
    {"QEL_LCD_ClearLine(5uu)", "1:19", "Bad integer literal '5uu'"},
    {"QEL_LCD_ClearLine(5lul)", "1:19", "Bad integer literal '5lul'"},
    // A character the argument cannot start with: said in terms of the argument.
    {"QEL_LCD_ClearLine(1.5)", "1:19", "Unexpected literal '1.5' for the line of QEL_LCD_ClearLine; expected an"},
    {"QEL_LCD_ClearLine('a')", "1:19", "for the line of QEL_LCD_ClearLine; expected an integer from 0 to 255."},
    {"QEL_LCD_WriteValue(1e3, 10, 1)", "1:20", "Unexpected literal '1e3' for the value of QEL_LCD_WriteValue"},
    {"QEL_LCD_WriteString(\"x\", -1)", "1:26", "Unexpected character '-' for the line of QEL_LCD_WriteString;"},
    // User text in messages is escaped and cut short.
    {"QEL_LCD_Init();\n\x01", "2:1", "Unexpected character '\\x01'; expected a call"},
    {"\xEF\xBB\xBF\xEF\xBB\xBF", "1:1", "Unexpected character '\\xEF'; expected a call"},
    {"QEL_LCD_WriteString(\"x\", QEL_LCD_LINE_WITH_A_VERY_LONG_NAME_THAT_GOES_ON_AND_ON)", "1:26",
     "Unexpected 'QEL_LCD_LINE_WITH_A_VERY_LONG_NAME_THAT_...' (54 bytes) for the line"},
    {"QEL_LCD_Init(", "1:14", "Unexpected end of script in the call to QEL_LCD_Init; expected ')'."},
};

class ScriptErrors : public ::testing::TestWithParam<ErrorCase> {};

// A mistake names file, line and column, and says what was expected.
TEST_P(ScriptErrors, NameFileLineColumnAndWhatWasExpected) {
  const ErrorCase& c = GetParam();
  try {
    parse_script(c.source, "bad.qel");
    FAIL() << "no error for " << c.source;
  } catch (const ScriptError& e) {
    const std::string what = e.what();
    const std::string prefix = std::string("bad.qel:") + c.location + ": ";
    EXPECT_EQ(what.substr(0, prefix.size()), prefix) << what;
    EXPECT_NE(what.find(c.message), std::string::npos) << what;
  }
}

INSTANTIATE_TEST_SUITE_P(Table, ScriptErrors, ::testing::ValuesIn(kErrors));

// A long script streams: each call comes out whole with its own text, across
// the reader's chunk boundaries, before a mistake further on is even read, and
// that mistake is placed on its line.
TEST(CallReader, HandsOutCallsOneByOneAndRefusesMistakesAndSize) {
  const std::size_t kCalls = 20000;  // about 600 kB, many read chunks
  std::string text = "QEL_LCD_Init();\n";
  for (std::size_t i = 0; i < kCalls; ++i) text += "QEL_LCD_WriteValue(" + std::to_string(i) + ", 10, 3);\n";
  text += "QEL_LCD_ClearLine(1); @";
  std::istringstream in(text);
  CallReader reader(in, "long.qel");

  ASSERT_EQ(reader.next()->function, Function::Init);
  for (std::size_t i = 0; i < kCalls; ++i) {
    const std::optional<Call> c = reader.next();
    ASSERT_TRUE(c.has_value());
    ASSERT_EQ(c->source, "QEL_LCD_WriteValue(" + std::to_string(i) + ", 10, 3);");
    ASSERT_EQ(c->line, i + 2);
  }
  EXPECT_EQ(reader.next()->function, Function::ClearLine);
  try {
    reader.next();
    FAIL() << "no error for the stray character";
  } catch (const ScriptError& e) {
    EXPECT_EQ(e.line(), kCalls + 2);
    EXPECT_EQ(e.column(), 23u);
  }
  // A script over the size limit is refused.
  std::istringstream big("QEL_LCD_Init();\n" + std::string(5000, ' ') + "QEL_LCD_Init();\n");
  try {
    CallReader big_reader(big, "big.qel", 1000);
    while (big_reader.next()) {
    }
    FAIL() << "no error for a script over the limit";
  } catch (const ScriptError& e) {
    EXPECT_NE(std::string(e.what()).find("Script is larger than 1000 bytes"), std::string::npos) << e.what();
  }
}

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
