// libFuzzer entry for the Saleae Logic 2 CSV reader: each input is a CSV
// export, its channels bound from their names.
// - The reader either accepts it or refuses it with a std::runtime_error
//   "fuzz.csv:N: ..." where N is a line of the file; a note that the file is
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
#include "trace/csv_reader.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string text(reinterpret_cast<const char*>(data), size);
  const qel::fuzz::CaptureOutcome first = qel::fuzz::read_text_capture(text, "fuzz.csv", qel::trace::read_csv);
  qel::fuzz::expect_same(first, qel::fuzz::read_text_capture(text, "fuzz.csv", qel::trace::read_csv));
  return 0;
}
