// qel-lcd-sim on a capture that arrives over time, as from a running analyzer:
// a FIFO fed in bursts, --live drawing in a pseudo-terminal, Ctrl-C ending the
// capture with the outputs of what was decoded. Every check follows from what
// the program shows, never from time. (--live refused where it cannot draw:
// program_test's status rows.)
#include <sys/stat.h>

#include <algorithm>
#include <memory>
#include <string>
#include <vector>

#include "program_fixture.h"

namespace qel::tool::test {
namespace {

// The first calls and the capture's later calls; the VCD of the first is a
// prefix of the VCD of all, so it is the capture's first burst.
constexpr const char* kFirstCalls = "-e 'QEL_LCD_Init();' -e 'QEL_LCD_WriteString(\"FIRST\", 0);'";
constexpr const char* kLaterCall = " -e 'QEL_LCD_WriteString(\"SECOND\", 3);'";

class LiveCapture : public ProgramRun {
 protected:
  void SetUp() override {
    ProgramRun::SetUp();
    ASSERT_EQ(run(std::string(kFirstCalls) + " --vcd first.vcd --no-term").status, 0);
    ASSERT_EQ(run(std::string(kFirstCalls) + kLaterCall + " --vcd all.vcd --no-term").status, 0);
    first_ = slurp(dir_ / "first.vcd");
    all_ = slurp(dir_ / "all.vcd");
    all_ = first_.substr(0, first_.find("$version")) + all_.substr(all_.find("$version"));  // one $date for both
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

// The program decoding capture.fifo with `options`, its standard output a
// terminal when `live`; once it reads the FIFO, it is fed `sent`.
std::unique_ptr<Running> decoding(const fs::path& dir, const std::string& options, bool live, const std::string& sent) {
  Launch how{"--decode capture.fifo " + options};
  how.terminal = live;
  auto program = std::make_unique<Running>(dir, how);
  EXPECT_TRUE(program->open_fifo(dir / "capture.fifo"));
  EXPECT_TRUE(program->feed(sent));
  return program;
}

// The picture of the first burst is on the terminal while the writer still
// holds the rest back; the last drawing is the whole capture's picture.
TEST_F(LiveCapture, DrawsEachBurstAsItArrives) {
  const std::string first_view = view_of("first.vcd");
  const std::string whole_view = view_of("all.vcd");
  const std::string figures = run("--decode all.vcd --stats --no-term").out;
  const std::string bytes = figures.substr(figures.find("bytes") + 13,
                                           figures.find(" (", figures.find("bytes")) - figures.find("bytes") - 13);
  const auto program = decoding(dir_, "--live --ascii", true, first_);
  ASSERT_TRUE(program->until([&] { return program->screen().find(first_view) != std::string::npos; }))
      << program->screen();
  EXPECT_EQ(program->screen().find(whole_view), std::string::npos);
  ASSERT_TRUE(program->feed(all_.substr(first_.size())));
  program->close_fifo();
  const Result r = program->finish();
  EXPECT_EQ(r.status, 0) << r.err;
  const std::string screen = program->screen();
  EXPECT_NE(screen.find(whole_view), std::string::npos) << screen;
  // The status line under the last drawing counts the whole capture's bytes.
  EXPECT_NE(screen.find(whole_view + "capture.fifo: "), std::string::npos) << screen;
  EXPECT_NE(screen.find(" of capture, " + bytes + " bytes, 0 notes, "), std::string::npos) << bytes << screen;
}

// Ctrl-C ends a live or piped decode: the outputs hold what was decoded (after
// the first burst drawn live, its bytes and picture; piped, whole lines of its
// byte log), the run says it was stopped and exits 0, and no temporary is left.
// Stopped inside the header, nothing was decoded, and that is said.
TEST_F(LiveCapture, CtrlCWritesWhatWasDecoded) {
  ASSERT_EQ(run("--decode first.vcd --bytes first.txt --png first.png --no-term").status, 0);
  const std::string first_view = view_of("first.vcd"), first_bytes = slurp(dir_ / "first.txt");
  const std::string stopped = "Decoding of capture.fifo stopped by an interrupt (Ctrl-C) after ";
  // clang-format off
  const struct { bool live; std::string sent, said; } cases[] = {
      {true, first_, "; the outputs hold what was decoded.\n"},
      {false, first_, "; the outputs hold what was decoded.\n"},
      {false, first_.substr(0, first_.find("$enddefinitions")), " before the capture's header was complete; nothing"},
  };
  // clang-format on
  for (const auto& c : cases) {
    fs::remove(dir_ / "out.txt");
    const std::string options = c.live ? "--live --ascii" : "--no-term";
    const auto program = decoding(dir_, options + " --bytes out.txt --png out.png", c.live, c.sent);
    if (c.live) {
      ASSERT_TRUE(program->until([&] { return program->screen().find(first_view) != std::string::npos; }));
    }
    program->signal(SIGINT);
    const Result r = program->finish();
    ASSERT_EQ(r.status, 0);
    EXPECT_NE(r.err.find(c.said), std::string::npos) << r.err;
    const std::string bytes = slurp(dir_ / "out.txt");
    EXPECT_EQ(first_bytes.compare(0, bytes.size(), bytes), 0);
    EXPECT_TRUE(bytes.empty() || bytes.back() == '\n');
    if (c.live) {
      EXPECT_NE(r.err.find(stopped), std::string::npos) << r.err;
      EXPECT_EQ(bytes, first_bytes);
      EXPECT_EQ(slurp(dir_ / "out.png"), slurp(dir_ / "first.png"));
    }
    expect_files({"all.vcd", "capture.fifo", "first.png", "first.txt", "first.vcd", "out.png", "out.txt"});
  }
}

// A capture refused before any stop still fails, at once, with exit status 2,
// though its writer has not finished.
TEST_F(LiveCapture, FailureBeforeTheStopExits2) {
  const std::size_t header = first_.find("$enddefinitions");
  const std::string bad = first_.substr(0, first_.find('\n', header) + 1) + "#10\nq!\n";
  const Result r = decoding(dir_, "--no-term --png out.png", false, bad)->finish();
  EXPECT_EQ(r.status, 2);
  EXPECT_NE(r.err.find("capture.fifo:"), std::string::npos);
  EXPECT_FALSE(fs::exists(dir_ / "out.png"));
}

}  // namespace
}  // namespace qel::tool::test
