// The command line of qel-lcd-sim: one CLI11 options table that fills the run
// options and produces --help with example invocations.
#pragma once

#include <optional>

#include "run/request.h"

namespace qel::tool {

struct CommandLine {
  run::Request run;
  bool demo = false;            // no script, no call, no trace: the built-in demo runs
  std::optional<int> exit_now;  // set for --help, and for a bad command line (after the message)
};

// Parses argv; messages for --help and for mistakes go to standard output and
// standard error respectively. A bad command line gives exit status 2.
CommandLine parse_command_line(int argc, char** argv);

}  // namespace qel::tool
