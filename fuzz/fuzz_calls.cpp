// libFuzzer entry: each input is a script of public calls (see call_script.h),
// run on a fresh module with every rule of harness.h checked after each call.
// A broken rule aborts, so libFuzzer keeps the input as a crash.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>

#include "call_script.h"
#include "harness.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const auto broken = qel::fuzz::run_calls(qel::fuzz::read_calls(data, size));
  if (broken) {
    std::fprintf(stderr, "Rule broken: %s\n", broken->c_str());
    std::abort();
  }
  return 0;
}
