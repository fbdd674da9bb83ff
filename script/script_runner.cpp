// Executes parsed calls with the module's own operations; see script_runner.h.
#include "script/script_runner.h"

#include <cassert>

#include "QEL_LCD.h"

namespace qel::script {
namespace {

// The controller has 16 page commands (0xB0-0xBF); the module sends nothing
// for a line past them.
constexpr std::uint32_t kPageCommands = 16;

const QEL_C* text_of(const Argument& a) { return a.text ? reinterpret_cast<const QEL_C*>(a.text->c_str()) : nullptr; }
QEL_U8 byte_of(const Argument& a) { return static_cast<QEL_U8>(a.number); }

// Positions of the line and base arguments, or -1.
int line_arg(Function f) {
  switch (f) {
    case Function::Init:
      return -1;
    case Function::WriteString:
      return 1;
    case Function::ClearLine:
      return 0;
    case Function::WriteValue:
      return 2;
    case Function::WriteStringValue:
      return 3;
  }
  return -1;
}
int base_arg(Function f) { return f == Function::WriteValue ? 1 : f == Function::WriteStringValue ? 2 : -1; }

}  // namespace

void execute(const Call& call) {
  const std::vector<Argument>& a = call.args;
  switch (call.function) {
    case Function::Init:
      assert(a.empty());
      QEL_LCD_Init();
      return;
    case Function::WriteString:
      assert(a.size() == 2);
      QEL_LCD_WriteString(text_of(a[0]), byte_of(a[1]));
      return;
    case Function::ClearLine:
      assert(a.size() == 1);
      QEL_LCD_ClearLine(byte_of(a[0]));
      return;
    case Function::WriteValue:
      assert(a.size() == 3);
      QEL_LCD_WriteValue(a[0].number, byte_of(a[1]), byte_of(a[2]));
      return;
    case Function::WriteStringValue:
      assert(a.size() == 4);
      QEL_LCD_WriteStringValue(text_of(a[0]), a[1].number, byte_of(a[2]), byte_of(a[3]));
      return;
  }
  assert(false && "unknown function");
}

std::vector<std::string> call_notes(const Call& call, bool started) {
  std::vector<std::string> notes;
  const char* name = function_name(call.function);
  if (call.function != Function::Init && !started) {
    notes.push_back(std::string(name) + " before QEL_LCD_Init; the module's pins are not open, so it sends nothing.");
  }
  const int line = line_arg(call.function);
  if (line >= 0 && call.args.at(static_cast<std::size_t>(line)).number >= kPageCommands) {
    notes.push_back("Line " + std::to_string(call.args[static_cast<std::size_t>(line)].number) + " of " + name +
                    " is past the controller's 16 pages; the module sends nothing for it.");
  }
  const int base = base_arg(call.function);
  if (base >= 0) {
    const std::uint32_t b = call.args.at(static_cast<std::size_t>(base)).number;
    if (b != 10 && b != 16) {
      notes.push_back("Base " + std::to_string(b) + " of " + name +
                      " is not supported (10 or 16); the module shows no digits.");
    }
  }
  return notes;
}

}  // namespace qel::script
