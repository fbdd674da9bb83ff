// One run of the simulator, script or capture, from request to files: the
// outputs are opened (and refused) first, the input streams through a Session
// to the recorders asked for, then the final picture, terminal view and panel
// checks, and every output is put in place only when all of it succeeded.
#pragma once

#include <ostream>

#include "run/request.h"

namespace qel::run {

// Exit status: 0 done; 1 when `strict` and anything was noted, or when a panel
// check found a difference; 2 for a user error (bad script, option or file, a
// failed write), reported on `err` in one sentence.
int execute(const Request& request, std::ostream& out, std::ostream& err);

}  // namespace qel::run
