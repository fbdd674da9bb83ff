// Makes parsed calls on the real module, and says beforehand what the module
// will leave undone for a call.
//
// The module reports nothing, by design: a call it cannot carry out sends
// nothing, or less than asked. call_notes() sees those calls coming, so that a
// run can note them and a strict run can fail on them.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

#include "script/script_parser.h"

namespace qel::script {

// Makes the module call that `call` describes.
void execute(const Call& call);

// What the module will leave undone for `call`, or empty; `started`: whether
// QEL_LCD_Init has been called before.
std::vector<std::string> call_notes(const Call& call, bool started);

}  // namespace qel::script
