// libFuzzer entry for the VCD reader: each input is a value change dump, its
// signals bound from their names (sclk, sdin, dc, res_n, cs and the analyzers'
// names), read by the streaming reader as the program decodes a capture.
// - The reader either accepts it or refuses it with a std::runtime_error
//   "fuzz.vcd:N: ..." where N is a line of the file; a note that the file is
//   cut short names a line too. Any other exception, or a sanitizer report, is
//   a fault.
// - While it streams, the reader keeps the LineSink contract (capture_check.h)
//   and what it gives replays into the emulated controller.
// - Reading the same input a second time gives the same changes, notes, bytes
//   and refusal.
#include <cstddef>
#include <cstdint>
#include <string>

#include "capture_check.h"
#include "trace/vcd_reader.h"

namespace {

// The streaming overload (the other one returns the whole trace).
constexpr qel::fuzz::TextReader kReadVcd = qel::trace::read_vcd;

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string text(reinterpret_cast<const char*>(data), size);
  const qel::fuzz::CaptureOutcome first = qel::fuzz::read_text_capture(text, "fuzz.vcd", kReadVcd);
  qel::fuzz::expect_same(first, qel::fuzz::read_text_capture(text, "fuzz.vcd", kReadVcd));
  return 0;
}
