// Captures that arrive through a pipe: standard input and a FIFO carry a VCD or
// a CSV export as a file does, a sigrok session is refused for want of a file,
// and a capture still being written is decoded as it arrives.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <condition_variable>
#include <filesystem>
#include <fstream>
#include <mutex>
#include <stdexcept>
#include <string>
#include <thread>

#include "trace/capture_file.h"
#include "trace/captured_trace.h"

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

// "C1@10 C0@20 C1@30": the clock's changes as a test expects them.
std::string clock_changes(const CapturedTrace& t) {
  std::string out;
  for (const LineChange& c : t.changes) {
    out += std::string(out.empty() ? "" : " ") + (c.line == emu::Line::Clock ? "C" : "?") + (c.level ? "1@" : "0@") +
           std::to_string(c.time_ns);
  }
  return out;
}

// A folder of the test's own, removed after it.
class PipedCapture : public ::testing::Test {
 protected:
  void SetUp() override {
    dir_ = fs::temp_directory_path() / ("qel_piped_" + std::to_string(::getpid()) + "_" +
                                        ::testing::UnitTest::GetInstance()->current_test_info()->name());
    fs::remove_all(dir_);
    fs::create_directories(dir_);
  }
  void TearDown() override { fs::remove_all(dir_); }

  fs::path fifo(const char* name) {
    const fs::path p = dir_ / name;
    EXPECT_EQ(::mkfifo(p.c_str(), 0600), 0);
    return p;
  }

  fs::path dir_;
};

void write_all(int fd, const std::string& bytes) {
  for (std::size_t at = 0; at < bytes.size();) {
    const ssize_t n = ::write(fd, bytes.data() + at, bytes.size() - at);
    ASSERT_GT(n, 0);
    at += static_cast<std::size_t>(n);
  }
}

// Reads `path` while another thread writes `bytes` into the FIFO there.
CapturedTrace read_through_fifo(const fs::path& path, const std::string& bytes) {
  std::thread writer([&] {
    const int fd = ::open(path.c_str(), O_WRONLY);
    ASSERT_GE(fd, 0);
    write_all(fd, bytes);
    ::close(fd);
  });
  TraceCollector sink;
  try {
    read_capture_file(path.string(), std::nullopt, sink);
  } catch (...) {
    writer.join();
    throw;
  }
  writer.join();
  return sink.trace;
}

// Reads standard input ("-") while it is the read end of a pipe that another
// thread writes `bytes` into.
CapturedTrace read_through_standard_input(const std::string& bytes) {
  int ends[2];
  EXPECT_EQ(::pipe(ends), 0);
  const int saved = ::dup(STDIN_FILENO);
  ::dup2(ends[0], STDIN_FILENO);
  ::close(ends[0]);
  std::thread writer([&] {
    write_all(ends[1], bytes);
    ::close(ends[1]);
  });
  TraceCollector sink;
  std::string error;
  try {
    read_capture_file("-", std::nullopt, sink);
  } catch (const std::runtime_error& e) {
    error = e.what();
  }
  writer.join();
  ::dup2(saved, STDIN_FILENO);
  ::close(saved);
  if (!error.empty()) throw std::runtime_error(error);
  return sink.trace;
}

// VCD and CSV from a FIFO and from standard input as a pipe read as from a file.
TEST_F(PipedCapture, TextCapturesReadFromAPipeAsFromAFile) {
  for (const Format& f : kFormats) {
    SCOPED_TRACE(f.name);
    const std::string whole = f.first + f.rest;
    for (const CapturedTrace& t : {read_through_fifo(fifo(f.name), whole), read_through_standard_input(whole)}) {
      EXPECT_EQ(clock_changes(t), "C1@10 C0@20 C1@30");
      EXPECT_EQ(t.start.mapping, "sclk=CLK,sdin=MOSI,dc=DC");
      EXPECT_TRUE(t.notes.empty());
      EXPECT_TRUE(t.ended);
    }
  }
}

// A sigrok session is an archive read from its end: through a pipe it is
// refused in one sentence naming the input.
TEST_F(PipedCapture, SessionThroughAPipeIsRefusedNamingTheInput) {
  const std::string zip_start("PK\x03\x04 rest of an archive", 24);
  const fs::path path = fifo("session.sr");
  const struct {
    std::function<CapturedTrace()> read;
    std::string message;
  } cases[] = {
      {[&] { return read_through_fifo(path, zip_start); },
       "Cannot read the sigrok session '" + path.string() +
           "': a session is a ZIP archive, which is read from a file, not from a pipe; save it to a file and give "
           "that file's name."},
      {[&] { return read_through_standard_input(zip_start); },
       "Cannot read the sigrok session on standard input: a session is a ZIP archive, which is read from a file, "
       "not from a pipe; save it to a file and give that file's name."},
  };
  for (const auto& c : cases) {
    try {
      c.read();
      ADD_FAILURE() << "no error";
    } catch (const std::runtime_error& e) {
      EXPECT_EQ(std::string(e.what()), c.message);
    }
  }
}

// Remembers the changes told before the input first paused after a change.
class PauseWatch : public TraceCollector {
 public:
  void idle() override {
    std::lock_guard<std::mutex> lock(mutex_);
    if (trace.changes.empty() || at_pause_) return;
    at_pause_ = clock_changes(trace);
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

// A writer sends the first part, waits until the reader has told the sink its
// changes and paused for more, then sends the rest: the reader decodes the
// capture as it arrives, not after its end.
TEST_F(PipedCapture, ChangesReachTheSinkBeforeTheWriterFinishes) {
  for (const Format& f : kFormats) {
    SCOPED_TRACE(f.name);
    const fs::path path = fifo(f.name);
    PauseWatch sink;
    std::optional<std::string> before_rest;
    std::thread writer([&] {
      const int fd = ::open(path.c_str(), O_WRONLY);
      ASSERT_GE(fd, 0);
      write_all(fd, f.first);
      before_rest = sink.changes_at_pause();
      write_all(fd, f.rest);
      ::close(fd);
    });
    read_capture_file(path.string(), std::nullopt, sink);
    writer.join();
    EXPECT_EQ(before_rest, std::optional<std::string>("C1@10 C0@20"));
    EXPECT_EQ(clock_changes(sink.trace), "C1@10 C0@20 C1@30");
  }
}

}  // namespace
}  // namespace qel::trace
