// qel-lcd-sim: runs QEL_LCD calls (a script, calls on the command line, or the
// built-in demo) against the controller emulator, or replays a captured trace,
// and writes the picture, byte log, waveform and costs asked for.
#include <iostream>

#include "cli_options.h"
#include "simulation.h"
#include "standard_streams.h"

int main(int argc, char** argv) {
  qel::tool::guard_standard_streams();
  const qel::tool::CommandLine cl = qel::tool::parse_command_line(argc, argv);
  if (cl.exit_now) return *cl.exit_now;
  const int status = qel::tool::run_simulation(cl.run, std::cout, std::cerr);
  if (status == 0 && cl.demo) std::cerr << "Demo picture written to '" << cl.run.png_path << "'.\n";
  return status;
}
