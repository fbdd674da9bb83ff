// libFuzzer entry for the VCD reader: each input is a value change dump, read
// with the default signal names (sclk, sdin, dc, res_n, cs).
// - The reader either accepts it or refuses it with a std::runtime_error
//   "fuzz.vcd:N: ..." where N is a line of the file; any other exception, or a
//   sanitizer report, is a fault.
// - An accepted trace keeps time order, changes only lines the file carries,
//   and replays into the emulated controller without fault.
#include <cstddef>
#include <cstdint>
#include <exception>
#include <sstream>
#include <stdexcept>
#include <string>
#include <string_view>

#include "emulator/controller.h"
#include "input_text.h"
#include "trace/capture_replay.h"
#include "trace/vcd_reader.h"

namespace {

using qel::fuzz::rule_broken;

constexpr const char* kFile = "fuzz.vcd";

void expect_sound(const qel::trace::CapturedTrace& trace) {
  std::uint64_t last = 0;
  for (const qel::trace::LineChange& change : trace.changes) {
    if (change.time_ns < last) rule_broken("changes out of time order");
    if (!trace.has(change.line)) rule_broken("a change of a line the file does not carry");
    last = change.time_ns;
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string text(reinterpret_cast<const char*>(data), size);
  qel::trace::CapturedTrace trace;
  try {
    std::istringstream in(text);
    trace = qel::trace::read_vcd(in, kFile);
  } catch (const std::runtime_error& e) {
    const std::uint64_t line = qel::fuzz::number_after(e.what(), std::string(kFile) + ":");
    if (line == 0 || line > qel::fuzz::line_count(text)) {
      rule_broken(std::string("refusal without a line of the file: ") + e.what());
    }
    return 0;
  } catch (const std::exception& e) {
    rule_broken(std::string("refused with an exception that is not a user error: ") + e.what());
  }
  expect_sound(trace);
  qel::emu::ControllerOptions options;
  options.keep_history = false;
  qel::emu::Controller controller(options);
  qel::trace::replay(trace, controller);
  return 0;
}
