// Executes parsed calls with the module's own operations; see script_runner.h.
#include "script/script_runner.h"

#include <cassert>

#include "QEL_LCD.h"

namespace qel::script {
namespace {

const QEL_C* text_of(const Argument& a) { return a.text ? reinterpret_cast<const QEL_C*>(a.text->c_str()) : nullptr; }
QEL_U8 byte_of(const Argument& a) { return static_cast<QEL_U8>(a.number); }

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

}  // namespace qel::script
