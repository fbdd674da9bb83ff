// Captures that arrive through a pipe: standard input and a FIFO carry a VCD or
// a CSV export as a file does, a sigrok session is refused for want of a file,
// a capture still being written is decoded as it arrives, and one the run
// stops reading ends at its last whole line, where a file cut short is noted.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <condition_variable>
#include <filesystem>
#include <functional>
#include <mutex>
#include <string>
#include <thread>

#include "trace/capture_file.h"
#include "trace/captured_trace.h"
#include "trace/csv_reader.h"
#include "trace/vcd_reader.h"
#include "trace_test_support.h"

namespace qel::trace {
namespace {

namespace fs = std::filesystem;

const std::string kVcdHeader =
    "$timescale 1 ns $end\n$var wire 1 ! CLK $end\n$var wire 1 \" MOSI $end\n$var wire 1 # DC $end\n"
    "$enddefinitions $end\n";
const std::string kCsvHeader = "Time [s],CLK,MOSI,DC\n";

// The same capture in each text format, cut where a writer pauses: the first
// part holds two changes of the clock, the second one more.
const struct Format {
  const char* name;
  std::string first, rest;
} kFormats[] = {
    {"VCD", kVcdHeader + "#0\n0! 1\" 1#\n#10\n1!\n#20\n0!\n", "#30\n1!\n"},
    {"CSV", kCsvHeader + "0.0,0,1,1\n0.00000001,1,1,1\n0.00000002,0,1,1\n", "0.00000003,1,1,1\n"},
};

using test::changes_text;

void write_all(int fd, const std::string& bytes) {
  for (std::size_t at = 0; at < bytes.size();) {
    const ssize_t n = ::write(fd, bytes.data() + at, bytes.size() - at);
    ASSERT_GT(n, 0);
    at += static_cast<std::size_t>(n);
  }
}

// Reads a capture through a pipe that another thread writes with `write`
// (given its end): the FIFO `fifo`, made here, or standard input ("-") when
// none is given. Returns the message of a refusal, or empty.
std::string read_piped(const std::function<void(int)>& write, LineSink& sink, const fs::path& fifo = {}) {
  int ends[2] = {-1, -1};
  const int saved = fifo.empty() ? ::dup(STDIN_FILENO) : -1;
  if (fifo.empty()) {
    EXPECT_EQ(::pipe(ends), 0);
    ::dup2(ends[0], STDIN_FILENO);
    ::close(ends[0]);
  } else {
    EXPECT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
  }
  std::thread writer([&] {
    const int fd = fifo.empty() ? ends[1] : ::open(fifo.c_str(), O_WRONLY);
    write(fd);
    ::close(fd);
  });
  const std::string error =
      test::error_of([&] { read_capture_file(fifo.empty() ? "-" : fifo.string(), std::nullopt, sink); });
  writer.join();
  if (saved >= 0) {
    ::dup2(saved, STDIN_FILENO);
    ::close(saved);
  }
  return error == "no error" ? "" : error;
}

// Remembers the changes told before the input first paused after a change.
class PauseWatch : public TraceCollector {
 public:
  void idle() override {
    std::lock_guard<std::mutex> lock(mutex_);
    if (trace.changes.empty() || at_pause_) return;
    at_pause_ = changes_text(trace);
    paused_.notify_all();
  }

  // Waits for that pause (at most 10 s, so that a reader that waits for the
  // end of its input fails the test instead of hanging it).
  std::optional<std::string> changes_at_pause() {
    std::unique_lock<std::mutex> lock(mutex_);
    paused_.wait_for(lock, std::chrono::seconds(10), [this] { return at_pause_.has_value(); });
    return at_pause_;
  }

 private:
  std::mutex mutex_;
  std::condition_variable paused_;
  std::optional<std::string> at_pause_;
};

// VCD and CSV from a FIFO and from standard input as a pipe read as from a
// file, and as they arrive: the writer sends the first part, waits until the
// reader has told the sink its changes and paused for more, then sends the
// rest. A sigrok session, an archive read from its end, is refused in one
// sentence naming the input.
TEST(PipedCapture, TextCapturesReadAsTheyArriveAndSessionsAreRefused) {
  const test::Folder dir;
  const std::string zip_start("PK\x03\x04 rest of an archive", 24);
  for (const bool through_fifo : {true, false}) {
    for (const Format& f : kFormats) {
      SCOPED_TRACE(std::string(f.name) + (through_fifo ? " through a FIFO" : " on standard input"));
      PauseWatch sink;
      std::optional<std::string> before_rest;
      const auto write = [&](int fd) {
        write_all(fd, f.first);
        before_rest = sink.changes_at_pause();
        write_all(fd, f.rest);
      };
      ASSERT_EQ(read_piped(write, sink, through_fifo ? dir / f.name : fs::path()), "");
      EXPECT_EQ(before_rest, std::optional<std::string>("C1@10 C0@20"));
      EXPECT_EQ(changes_text(sink.trace), "C1@10 C0@20 C1@30");
      EXPECT_EQ(sink.trace.start.mapping, "sclk=CLK,sdin=MOSI,dc=DC");
      EXPECT_TRUE(sink.trace.notes.empty());
      EXPECT_TRUE(sink.trace.ended);
    }
    const fs::path fifo = through_fifo ? dir / "session.sr" : fs::path();
    TraceCollector sink;
    EXPECT_EQ(read_piped([&](int fd) { write_all(fd, zip_start); }, sink, fifo),
              "Cannot read the sigrok session " + (through_fifo ? "'" + fifo.string() + "'" : "on standard input") +
                  ": a session is a ZIP archive, which is read from a file, not from a pipe; save it to a file and "
                  "give that file's name.");
  }
}

// A text capture that stops mid-line or inside a block is read up to there,
// and a note says the file is cut short; the same input stopped by the run
// (Ctrl-C on a live capture) ends at its last whole line, with no note.
TEST(TextCaptureEnd, CutShortIsNotedAndAStopIsNot) {
  const std::string vcd =
      "$var wire 1 ! sclk $end\n$var wire 1 \" sdin $end\n$var wire 1 # dc $end\n"
      "$enddefinitions $end\n";
  const std::string csv = "Time [s],CLK,MOSI,DC\n0.0,1,0,1\n0.000001,0,0,1\n", mid_row = "its last row stops mid-line.";
  // clang-format off
  // The text, what is read of it, and the (first) note when it is cut short.
  const struct { test::TextReader reader; std::string text, changes, note; } cases[] = {
      // a time cut short is left out, not taken for an earlier time
      {read_vcd, vcd + "#0 0!\n#10 1!\n#2", "C1@10",
       "t:7: the file is cut short: its last line stops without a line end, and its last word '#2' is left out."},
      {read_vcd, vcd + "#0 0!\n#10 1!\n$dumpall 0!\n", "C1@10 C0@10",
       "t:7: the file is cut short inside '$dumpall' from line 7."},
      {read_vcd, vcd + "#0 b1 ", "", "t:5: the file is cut short after the value 'b1'."},
      {read_csv, csv + "0.0000", "C0@1000", "t:4: the file is cut short: " + mid_row},
      {read_csv, csv + "0.000002,1,0", "C0@1000", "t:4: the file is cut short: " + mid_row},
  };
  // clang-format on
  for (const auto& c : cases) {
    for (const bool stopped : {false, true}) {
      const test::Outcome o = test::read_text(c.reader, "t", c.text, "", stopped);
      EXPECT_EQ(o.error, "");
      EXPECT_EQ(changes_text(o.trace), c.changes) << c.text;
      EXPECT_EQ(o.trace.notes.empty() ? "none" : o.trace.notes.front(), stopped ? "none" : c.note) << c.text;
      EXPECT_TRUE(o.trace.ended);
    }
  }
  EXPECT_TRUE(test::read_text(read_vcd, "t", vcd + "#0 0!\n").trace.notes.empty());
}

}  // namespace
}  // namespace qel::trace
