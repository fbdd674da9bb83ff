// The module's calls as the host build reports them (qel::ModuleCall): their
// text for listings and byte logs, a short label for notes, and what the module
// leaves undone or draws out of sight for a call, told before it runs.
//
// The module reports nothing, by design: a call it cannot carry out sends
// nothing or less than asked, and text longer than a line runs off the panel's
// right edge and on into the next line. call_notes() sees those calls coming,
// so that a run can note them and a strict run, or a test, can fail on them.
#pragma once

#include <string>
#include <vector>

#include "qel/pin_observer.h"

namespace qel::run {

// Character positions on a line: 21 show in full, the 22nd starts at the
// panel's last column, and the 23rd goes to the start of the next line.
inline constexpr std::size_t kFullCells = 21;
inline constexpr std::size_t kLinePositions = 22;

// "QEL_LCD_WriteString".
const char* operation_name(ModuleOperation operation);

// The call in C, as a script would write it: QEL_LCD_WriteString("Hi", 2); a
// long string is shortened, and bytes outside printable ASCII are escaped.
std::string call_text(const ModuleCall& call);

// "QEL_LCD_WriteString(line 9)", "QEL_LCD_Init()".
std::string call_label(const ModuleCall& call);

// What the module will leave undone for `call` (its pins not open, a line past
// the controller's pages, a base other than 10 or 16) or draw where it does not
// show whole (text past the 21st position, text spilling onto the next line).
std::vector<std::string> call_notes(const ModuleCall& call);

}  // namespace qel::run
