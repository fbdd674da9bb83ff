// What the trace tests share: a folder of the test's own, text read through a
// reader into the trace it tells (or the message it refuses it with), and a
// trace's changes written on one line.
#pragma once

#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <cstring>
#include <filesystem>
#include <functional>
#include <stdexcept>
#include <string>

#include "trace/captured_trace.h"
#include "trace/signal_map.h"

namespace qel::trace::test {

namespace fs = std::filesystem;

// A folder for the running test, removed after it unless the test failed.
class Folder {
 public:
  Folder()
      : path_(fs::temp_directory_path() / ("qel_trace_" + std::to_string(::getpid()) + "_" +
                                           ::testing::UnitTest::GetInstance()->current_test_info()->name())) {
    fs::remove_all(path_);
    fs::create_directories(path_);
  }
  ~Folder() {
    if (!::testing::Test::HasFailure()) fs::remove_all(path_);
  }
  fs::path operator/(const std::string& name) const { return path_ / name; }

 private:
  fs::path path_;
};

// The message of the std::runtime_error `run` throws, or "no error".
inline std::string error_of(const std::function<void()>& run) {
  try {
    run();
  } catch (const std::runtime_error& e) {
    return e.what();
  }
  return "no error";
}

// "C1@500 D1@500": each change as its line's letter (sclk C, sdin D, dc S,
// res_n R, cs X), level and time in ns.
inline std::string changes_text(const CapturedTrace& t) {
  std::string out;
  for (const LineChange& c : t.changes) {
    out += std::string(out.empty() ? "" : " ") + "CDSRX"[static_cast<int>(c.line)] + (c.level ? "1@" : "0@") +
           std::to_string(c.time_ns);
  }
  return out;
}

// Text in memory, given a few bytes at a time; with `stopped`, its end is a
// stop requested by the run rather than the end of the file.
class TextSource final : public ByteSource {
 public:
  TextSource(std::string text, bool stopped) : text_(std::move(text)), stopped_(stopped) {}
  std::size_t read(char* into, std::size_t max) override {
    const std::size_t n = std::min({max, text_.size() - at_, std::size_t{7}});
    std::memcpy(into, text_.data() + at_, n);
    at_ += n;
    return n;
  }
  bool stopped() const override { return stopped_ && at_ == text_.size(); }

 private:
  std::string text_;
  std::size_t at_ = 0;
  bool stopped_;
};

struct Outcome {
  CapturedTrace trace;  // what the sink was told, also before a refusal
  std::string error;    // the refusal's message, or empty
};

using TextReader = void (*)(ByteSource&, const std::string&, const std::optional<SignalMap>&, LineSink&);

// `text` read by `reader` (read_vcd, read_csv) as the file `name`, with the
// signal map `map` (none when empty).
inline Outcome read_text(TextReader reader, const std::string& name, const std::string& text,
                         const std::string& map = "", bool stopped = false) {
  TextSource in(text, stopped);
  TraceCollector sink;
  Outcome o;
  o.error = error_of(
      [&] { reader(in, name, map.empty() ? std::nullopt : std::optional<SignalMap>(parse_signal_map(map)), sink); });
  if (o.error == "no error") o.error.clear();
  o.trace = sink.trace;
  return o;
}

}  // namespace qel::trace::test
