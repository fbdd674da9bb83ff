// libFuzzer entry for the text capture readers, built once per format:
// fuzz_vcd reads a value change dump with the streaming reader, as the program
// decodes a capture; fuzz_csv reads a Saleae Logic 2 CSV export. The channels
// are bound from their names (sclk, sdin, dc, res_n, cs and the analyzers').
// - The reader either accepts the input or refuses it with a std::runtime_error
//   "fuzz.<format>:N: ..." where N is a line of the file; a note that the file
//   is cut short names a line too. Any other exception, or a sanitizer report,
//   is a fault.
// - While it streams, the reader keeps the LineSink contract (capture_check.h)
//   and what it gives replays into the emulated controller.
// - Reading the same input a second time gives the same changes, notes, bytes
//   and refusal.
#include <cstddef>
#include <cstdint>
#include <string>

#include "capture_check.h"
#include "trace/csv_reader.h"
#include "trace/vcd_reader.h"

namespace {

#ifdef QEL_FUZZ_CSV
constexpr const char* kFile = "fuzz.csv";
constexpr qel::fuzz::TextReader kRead = qel::trace::read_csv;
#else
constexpr const char* kFile = "fuzz.vcd";
constexpr qel::fuzz::TextReader kRead = qel::trace::read_vcd;  // the streaming overload
#endif

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string text(reinterpret_cast<const char*>(data), size);
  const qel::fuzz::CaptureOutcome first = qel::fuzz::read_text_capture(text, kFile, kRead);
  qel::fuzz::expect_same(first, qel::fuzz::read_text_capture(text, kFile, kRead));
  return 0;
}
