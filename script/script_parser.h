// Reads a script of the module's own calls in C syntax, e.g.
//   QEL_LCD_Init();
//   QEL_LCD_WriteStringValue((const QEL_C *)"T=", 25U, 10, QEL_LCD_LINE2);
// into calls with checked arguments, one call at a time. Knows the five
// operations, their C argument types and the casts a firmware line would put
// in front of an argument; needs nothing of the module itself.
#pragma once

#include <cstdint>
#include <istream>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "script/script_lexer.h"

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
  std::string source;          // the call as written, on one line, printable (source_line.h)
  std::string file;
  std::uint64_t line = 1;
  std::uint64_t column = 1;
};

// Reads calls from a stream one by one, holding only the current call's text.
class CallReader {
 public:
  // `in` must outlive the reader; `file` names the script in messages.
  CallReader(std::istream& in, std::string file, std::uint64_t max_bytes = kMaxScriptBytes);
  ~CallReader();
  CallReader(const CallReader&) = delete;
  CallReader& operator=(const CallReader&) = delete;

  // The next call, or nullopt at the end of the script. Throws ScriptError.
  std::optional<Call> next();

 private:
  class Parser;
  std::unique_ptr<Parser> parser_;
};

// Parses a whole script held in memory. Throws ScriptError.
std::vector<Call> parse_script(std::string_view source, const std::string& file);

}  // namespace qel::script
