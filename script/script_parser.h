// Reads a script of the module's own calls in C syntax, e.g.
//   QEL_LCD_Init();
//   QEL_LCD_WriteStringValue((const QEL_C *)"T=", 25U, 10, QEL_LCD_LINE2);
// into a list of calls with checked arguments. Knows the five operations and
// their C argument types; needs nothing of the module itself.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace qel::script {

enum class Function { Init, WriteString, ClearLine, WriteValue, WriteStringValue };

// The C name of the operation, e.g. "QEL_LCD_WriteString".
const char* function_name(Function f);

struct Argument {
  std::optional<std::string> text;  // a text argument: the bytes, or nullopt for NULL
  std::uint32_t number = 0;         // a number argument (line, base or value)
};

struct Call {
  Function function = Function::Init;
  std::vector<Argument> args;  // in the operation's own order
  std::string source;          // the call as written, on one line
  std::string file;
  int line = 1;
  int column = 1;
};

// Parses a whole script. `file` names it in error messages. Throws ScriptError.
std::vector<Call> parse_script(std::string_view source, const std::string& file);

}  // namespace qel::script
