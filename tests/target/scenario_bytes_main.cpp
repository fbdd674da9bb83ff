// qel-scenario-bytes: runs the shared scenario on the host and prints the bytes
// the module sends, in the simulator's byte-log format, so that the log can be
// compared byte for byte with the Cortex-M3 firmware's.
#include <cstdio>
#include <iostream>

#include "QEL_LCD.h"
#include "qel/pin_observer.h"
#include "run/byte_log.h"
#include "run/session.h"
#include "scenario.h"

namespace {

qel::run::Session* session = nullptr;

// The next call, as the scenario's source writes it, names the call the module reports.
void announce(const char* call) { session->name_next_call({}, call); }

}  // namespace

int main() {
  qel::run::ByteLog log(std::cout);
  qel::run::Session run(log);
  run.start({}, qel::view::RunKind::Script, "scenario", 100);
  session = &run;
  {
    qel::host::ScopedPinObserver scope(run);
    qel_scenario_run(announce);
  }
  if (run.controller().pending_bits() != 0) {
    std::fprintf(stderr, "The scenario left a byte unfinished.\n");
    return 1;
  }
  run.finish();
  return 0;
}
