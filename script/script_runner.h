// Makes parsed calls on the real module. What the module leaves undone for a
// call is told by the run that hears it (run/module_calls.h).
#pragma once

#include <cstddef>
#include <string>
#include <vector>

#include "script/script_parser.h"

namespace qel::script {

// Makes the module call that `call` describes.
void execute(const Call& call);

}  // namespace qel::script
