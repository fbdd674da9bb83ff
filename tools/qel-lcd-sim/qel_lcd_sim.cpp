// qel-lcd-sim: runs QEL_LCD calls (a script, calls on the command line, or the
// built-in demo) against the controller emulator, or decodes a logic-analyzer
// capture, and writes the picture, byte log, waveform and costs asked for.
#include <iostream>

#include "cli_options.h"
#include "common/message_text.h"
#include "common/temporary_registry.h"
#include "run/execute.h"
#include "standard_streams.h"

int main(int argc, char** argv) {
  qel::tool::guard_standard_streams();
  qel::common::remove_temporaries_on_signals();
  const qel::tool::CommandLine cl = qel::tool::parse_command_line(argc, argv);
  if (cl.exit_now) return *cl.exit_now;
  const int status = qel::run::execute(cl.run, std::cout, std::cerr);
  if (status == 0 && cl.demo) {
    std::cerr << "Demo picture written to '" << qel::common::escaped_text(cl.run.png_path) << "'.\n";
  }
  return status;
}
