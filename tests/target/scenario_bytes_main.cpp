// qel-scenario-bytes: runs the shared scenario on the host and prints the bytes
// the module sends, in the simulator's byte-log format, so that the log can be
// compared byte for byte with the Cortex-M3 firmware's.
#include <cstdio>
#include <iostream>
#include <optional>

#include "QEL_LCD.h"
#include "qel/pin_observer.h"
#include "run/byte_log.h"
#include "run/session.h"
#include "scenario.h"

namespace {

qel::run::Session* session = nullptr;
std::optional<qel::run::CallInfo> current;
std::size_t calls = 0;

// Ends the call before, then begins the next one.
void announce(const char* call) {
  if (current) session->end_call(*current);
  current = qel::run::CallInfo{calls++, {}, call};
  session->begin_call(*current);
}

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
  if (current) run.end_call(*current);
  if (run.controller().pending_bits() != 0) {
    std::fprintf(stderr, "The scenario left a byte unfinished.\n");
    return 1;
  }
  run.finish();
  return 0;
}
