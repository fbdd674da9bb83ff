// libFuzzer entry for the Saleae Logic 2 CSV reader: each input is a CSV
// export, its channels bound from their names.
// - The reader either accepts it or refuses it with a std::runtime_error
//   "fuzz.csv:N: ..." where N is a line of the file; any other exception, or a
//   sanitizer report, is a fault.
// - While it streams, the reader keeps the LineSink contract (capture_check.h)
//   and what it gives replays into the emulated controller.
// - Reading the same input a second time gives the same changes, notes, bytes
//   and refusal.
#include <cstddef>
#include <cstdint>
#include <exception>
#include <sstream>
#include <stdexcept>
#include <string>

#include "capture_check.h"
#include "input_text.h"
#include "trace/csv_reader.h"

namespace {

using qel::fuzz::rule_broken;

constexpr const char* kFile = "fuzz.csv";

qel::fuzz::CaptureOutcome read_once(const std::string& text) {
  qel::fuzz::CheckedCapture capture(kFile);
  try {
    std::istringstream in(text);
    qel::trace::read_csv(in, kFile, std::nullopt, capture);
    qel::fuzz::expect_finished(capture);
    for (const std::string& note : capture.outcome().notes) {
      const std::uint64_t line = qel::fuzz::number_after(note, std::string(kFile) + ":");
      if (line == 0 || line > qel::fuzz::line_count(text)) rule_broken("a note without a line of the file: " + note);
    }
  } catch (const std::runtime_error& e) {
    const std::uint64_t line = qel::fuzz::number_after(e.what(), std::string(kFile) + ":");
    if (line == 0 || line > qel::fuzz::line_count(text)) {
      rule_broken(std::string("refusal without a line of the file: ") + e.what());
    }
    if (capture.ended()) rule_broken(std::string("refused after end was told: ") + e.what());
    capture.outcome().refusal = e.what();
  } catch (const std::exception& e) {
    rule_broken(std::string("refused with an exception that is not a user error: ") + e.what());
  }
  return std::move(capture.outcome());
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string text(reinterpret_cast<const char*>(data), size);
  const qel::fuzz::CaptureOutcome first = read_once(text);
  qel::fuzz::expect_same(first, read_once(text));
  return 0;
}
