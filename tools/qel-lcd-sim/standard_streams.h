// Guards against a closed standard input, output or error: the descriptor is
// taken by a stand-in at start, so no file the run opens lands on it (a closed
// standard output would otherwise receive the byte log meant for a file). A
// closed standard output gets /dev/full, so anything written to it fails and the
// run reports it.
#pragma once

namespace qel::tool {

void guard_standard_streams();

}  // namespace qel::tool
