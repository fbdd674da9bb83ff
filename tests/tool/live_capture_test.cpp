// qel-lcd-sim on a capture that arrives over time, as from a running analyzer:
// a FIFO fed in bursts, --live drawing in a pseudo-terminal, Ctrl-C ending the
// capture with the outputs of what was decoded, and --live refused where it
// cannot draw. Waits have a deadline only so that a broken build fails rather
// than hangs: every check follows from what the program shows, never from time.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <poll.h>
#include <pty.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <functional>
#include <regex>
#include <string>
#include <vector>

#include "program_fixture.h"

namespace qel::tool::test {
namespace {

using Clock = std::chrono::steady_clock;
constexpr std::chrono::seconds kDeadline{20};

// The first calls and the capture's later calls; the VCD of the first is a
// prefix of the VCD of all, so it is the capture's first burst.
constexpr const char* kFirstCalls = "-e 'QEL_LCD_Init();' -e 'QEL_LCD_WriteString(\"FIRST\", 0);'";
constexpr const char* kLaterCall = " -e 'QEL_LCD_WriteString(\"SECOND\", 3);'";

// The program started with `args` in `dir`, standard error to stderr.txt and
// standard output to a pseudo-terminal (`terminal`) or to stdout.txt.
class Started {
 public:
  Started(const fs::path& dir, const std::vector<std::string>& args, bool terminal) {
    winsize size{};
    size.ws_row = 60;
    size.ws_col = 200;
    pid_ = terminal ? ::forkpty(&terminal_, nullptr, nullptr, &size) : ::fork();
    if (pid_ == 0) {
      if (::chdir(dir.c_str()) != 0) ::_exit(127);
      const int err = ::open("stderr.txt", O_WRONLY | O_CREAT | O_TRUNC, 0644);
      ::dup2(err, STDERR_FILENO);
      if (!terminal) ::dup2(::open("stdout.txt", O_WRONLY | O_CREAT | O_TRUNC, 0644), STDOUT_FILENO);
      std::vector<char*> argv{const_cast<char*>(QEL_SIM_PROGRAM)};
      for (const std::string& a : args) argv.push_back(const_cast<char*>(a.c_str()));
      argv.push_back(nullptr);
      ::execv(QEL_SIM_PROGRAM, argv.data());
      ::_exit(127);
    }
  }
  ~Started() {
    if (pid_ > 0 && status_ < 0) {
      ::kill(pid_, SIGKILL);
      ::waitpid(pid_, nullptr, 0);
    }
    if (fifo_ >= 0) ::close(fifo_);
    if (terminal_ >= 0) ::close(terminal_);
  }

  // Opens the FIFO the program reads; it opens its end only once a stop on
  // Ctrl-C is armed.
  bool open_fifo(const fs::path& fifo) {
    for (const auto end = Clock::now() + kDeadline; Clock::now() < end;) {
      fifo_ = ::open(fifo.c_str(), O_WRONLY | O_NONBLOCK | O_CLOEXEC);
      if (fifo_ >= 0 || errno != ENXIO) return fifo_ >= 0;
      ::usleep(10'000);
    }
    return false;
  }

  // Writes `bytes` to the FIFO while reading what the program draws, so that
  // neither side waits on the other.
  bool feed(std::string bytes) {
    for (const auto end = Clock::now() + kDeadline; !bytes.empty() && Clock::now() < end;) {
      pump(POLLOUT);
      const ssize_t put = ::write(fifo_, bytes.data(), bytes.size());
      if (put > 0) bytes.erase(0, static_cast<std::size_t>(put));
    }
    return bytes.empty();
  }
  void close_fifo() {
    ::close(fifo_);
    fifo_ = -1;
  }

  // Reads the terminal until `seen` holds for what it showed so far.
  bool shows(const std::function<bool(const std::string&)>& seen) {
    for (const auto end = Clock::now() + kDeadline; Clock::now() < end;) {
      if (seen(screen())) return true;
      if (!pump(0)) return seen(screen());
    }
    return false;
  }

  void interrupt() const { ::kill(pid_, SIGINT); }

  // The exit status; -1 if it was ended by a signal or did not end in time.
  int wait() {
    for (const auto end = Clock::now() + kDeadline; Clock::now() < end;) {
      pump(0);
      int raw = 0;
      if (::waitpid(pid_, &raw, WNOHANG) == pid_) {
        while (pump(0)) {
        }
        return status_ = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
      }
    }
    return -1;
  }

  // What the terminal shows, its redraw codes taken out: each drawing one after another.
  std::string screen() const {
    static const std::regex codes("\r|\x1B\\[[0-9]*[AK]");
    return std::regex_replace(shown_, codes, "");
  }

 private:
  // Waits a little for the terminal's output (or for room in the FIFO with
  // POLLOUT) and takes what came; false once the terminal is closed.
  bool pump(short fifo_events) {
    if (terminal_ < 0) {
      pollfd p{fifo_, fifo_events, 0};
      ::poll(&p, fifo_events != 0 ? 1 : 0, 20);
      return false;
    }
    pollfd p[2] = {{terminal_, POLLIN, 0}, {fifo_, fifo_events, 0}};
    ::poll(p, fifo_events != 0 ? 2 : 1, 20);
    if ((p[0].revents & (POLLIN | POLLHUP)) == 0) return true;
    char buffer[65536];
    const ssize_t got = ::read(terminal_, buffer, sizeof buffer);
    if (got <= 0) return false;
    shown_.append(buffer, static_cast<std::size_t>(got));
    return true;
  }

  pid_t pid_ = -1;
  int terminal_ = -1;
  int fifo_ = -1;
  int status_ = -1;
  std::string shown_;
};

class LiveCapture : public ProgramRun {
 protected:
  void SetUp() override {
    ProgramRun::SetUp();
    ASSERT_EQ(run(std::string(kFirstCalls) + " --vcd first.vcd --no-term").status, 0);
    ASSERT_EQ(run(std::string(kFirstCalls) + kLaterCall + " --vcd all.vcd --no-term").status, 0);
    first_ = slurp(dir_ / "first.vcd");
    all_ = slurp(dir_ / "all.vcd");
    ASSERT_EQ(all_.compare(0, first_.size(), first_), 0) << "the first calls' capture is no prefix of the whole";
    ASSERT_EQ(::mkfifo((dir_ / "capture.fifo").c_str(), 0600), 0);
  }

  // The ASCII terminal view of the capture `file` decoded whole.
  std::string view_of(const std::string& file) { return run("--decode " + file + " --ascii").out; }

  // The test's folder holds exactly `names`: no temporary is left.
  void expect_files(std::vector<std::string> names) {
    std::vector<std::string> found;
    for (const auto& entry : fs::directory_iterator(dir_)) found.push_back(entry.path().filename().string());
    std::sort(found.begin(), found.end());
    std::sort(names.begin(), names.end());
    EXPECT_EQ(found, names);
  }

  std::string first_, all_;
};

// The picture of the first burst is on the terminal while the writer still
// holds the rest back; the last drawing is the whole capture's picture.
TEST_F(LiveCapture, DrawsEachBurstAsItArrives) {
  const std::string first_view = view_of("first.vcd");
  const std::string whole_view = view_of("all.vcd");
  const std::string figures = run("--decode all.vcd --stats --no-term").out;
  const std::string bytes = figures.substr(figures.find("bytes") + 13,
                                           figures.find(" (", figures.find("bytes")) - figures.find("bytes") - 13);
  Started program(dir_, {"--decode", "capture.fifo", "--live", "--ascii"}, true);
  ASSERT_TRUE(program.open_fifo(dir_ / "capture.fifo"));
  ASSERT_TRUE(program.feed(first_));
  ASSERT_TRUE(program.shows([&](const std::string& s) { return s.find(first_view) != std::string::npos; }))
      << program.screen();
  EXPECT_EQ(program.screen().find(whole_view), std::string::npos);
  ASSERT_TRUE(program.feed(all_.substr(first_.size())));
  program.close_fifo();
  EXPECT_EQ(program.wait(), 0) << slurp(dir_ / "stderr.txt");
  const std::string screen = program.screen();
  EXPECT_NE(screen.find(whole_view), std::string::npos) << screen;
  // The status line under the last drawing counts the whole capture's bytes.
  EXPECT_NE(screen.find(whole_view + "capture.fifo: "), std::string::npos) << screen;
  EXPECT_NE(screen.find(" of capture, " + bytes + " bytes, 0 notes, "), std::string::npos) << bytes << screen;
}

// Ctrl-C after the first burst: the capture ends there, the outputs hold the
// first burst's bytes and picture, the run says it was stopped and exits 0.
TEST_F(LiveCapture, CtrlCWritesWhatWasDecoded) {
  ASSERT_EQ(run("--decode first.vcd --bytes first.txt --png first.png --no-term").status, 0);
  const std::string first_view = view_of("first.vcd");
  Started program(dir_, {"--decode", "capture.fifo", "--live", "--ascii", "--bytes", "out.txt", "--png", "out.png"},
                  true);
  ASSERT_TRUE(program.open_fifo(dir_ / "capture.fifo"));
  ASSERT_TRUE(program.feed(first_));
  ASSERT_TRUE(program.shows([&](const std::string& s) { return s.find(first_view) != std::string::npos; }));
  program.interrupt();
  ASSERT_EQ(program.wait(), 0);
  const std::string err = slurp(dir_ / "stderr.txt");
  EXPECT_NE(err.find("Decoding of capture.fifo stopped by an interrupt (Ctrl-C) after "), std::string::npos) << err;
  EXPECT_NE(err.find("; the outputs hold what was decoded.\n"), std::string::npos) << err;
  EXPECT_EQ(slurp(dir_ / "out.txt"), slurp(dir_ / "first.txt"));
  EXPECT_EQ(slurp(dir_ / "out.png"), slurp(dir_ / "first.png"));
  expect_files({"all.vcd", "capture.fifo", "first.png", "first.txt", "first.vcd", "out.png", "out.txt", "stderr.txt",
                "stdout.txt"});
}

// Without --live, Ctrl-C ends a piped decode just the same: what was read by
// then is decoded (a part of the first burst's byte log, whole lines), the
// outputs are in place and no temporary is left. Stopped inside the header,
// nothing was decoded, and that is said.
TEST_F(LiveCapture, CtrlCEndsAPipedDecode) {
  ASSERT_EQ(run("--decode first.vcd --bytes first.txt --no-term").status, 0);
  const std::string first_bytes = slurp(dir_ / "first.txt");
  const struct {
    std::string sent;
    std::string said;
  } cases[] = {
      {first_, "; the outputs hold what was decoded.\n"},
      {first_.substr(0, first_.find("$enddefinitions")), " before the capture's header was complete; nothing was "},
  };
  for (const auto& c : cases) {
    fs::remove(dir_ / "out.txt");
    Started program(dir_, {"--decode", "capture.fifo", "--no-term", "--bytes", "out.txt", "--png", "out.png"}, false);
    ASSERT_TRUE(program.open_fifo(dir_ / "capture.fifo"));
    ASSERT_TRUE(program.feed(c.sent));
    program.interrupt();
    ASSERT_EQ(program.wait(), 0);
    const std::string err = slurp(dir_ / "stderr.txt");
    EXPECT_NE(err.find(c.said), std::string::npos) << err;
    const std::string bytes = slurp(dir_ / "out.txt");
    EXPECT_EQ(first_bytes.compare(0, bytes.size(), bytes), 0);
    EXPECT_TRUE(bytes.empty() || bytes.back() == '\n');
    expect_files(
        {"all.vcd", "capture.fifo", "first.txt", "first.vcd", "out.png", "out.txt", "stderr.txt", "stdout.txt"});
  }
}

// A capture refused before any stop still fails, at once, with exit status 2,
// though its writer has not finished.
TEST_F(LiveCapture, FailureBeforeTheStopExits2) {
  const std::size_t header = first_.find("$enddefinitions");
  const std::string bad = first_.substr(0, first_.find('\n', header) + 1) + "#10\nq!\n";
  Started program(dir_, {"--decode", "capture.fifo", "--no-term", "--png", "out.png"}, false);
  ASSERT_TRUE(program.open_fifo(dir_ / "capture.fifo"));
  ASSERT_TRUE(program.feed(bad));
  EXPECT_EQ(program.wait(), 2);
  EXPECT_NE(slurp(dir_ / "stderr.txt").find("capture.fifo:"), std::string::npos);
  EXPECT_FALSE(fs::exists(dir_ / "out.png"));
}

// Piped through standard input, the capture is named so in the figures and the notes.
TEST_F(LiveCapture, StandardInputIsNamedSo) {
  const Result r = run("--decode - --stats --no-term", first_.substr(0, first_.size() - 20));
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(r.out.rfind("capture on standard input (VCD)\n", 0), 0u) << r.out;
  EXPECT_NE(r.err.find("note: standard input:"), std::string::npos) << r.err;
}

// --live needs a terminal of its own on standard output.
TEST_F(LiveCapture, LiveIsRefusedWithoutATerminal) {
  const struct {
    const char* args;
    const char* err;
  } cases[] = {
      {"--decode first.vcd --live", "Option --live needs a terminal on standard output"},
      {"--decode first.vcd --live --bytes -", "Option --live draws the panel on standard output, which --bytes -"},
  };
  for (const auto& c : cases) {
    const Result r = run(c.args);
    EXPECT_EQ(r.status, 2) << c.args;
    EXPECT_EQ(r.err.rfind(c.err, 0), 0u) << r.err;
  }
}

}  // namespace
}  // namespace qel::tool::test
