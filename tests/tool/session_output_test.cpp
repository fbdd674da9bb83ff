// qel-lcd-sim --sr: the session of a run decodes back to the bytes the run
// itself logged, whether written to a file or into a pipe (made elsewhere and
// copied in, the pipe left a pipe); a device takes it too.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <fstream>
#include <sstream>
#include <string>
#include <thread>

#include "program_fixture.h"

namespace qel::tool::test {
namespace {

// The byte lines of a byte log: the decoder cannot tell calls apart.
std::string byte_lines(const std::string& log) {
  std::string out;
  for (const std::string& l : lines_of(log)) {
    if (l.rfind('#', 0) != 0) out += l + "\n";
  }
  return out;
}

TEST_F(ProgramRun, SessionDecodesToTheRunsBytes) {
  const std::string script = "--script '" QEL_EXAMPLES_DIR "/values.qel' --no-term";
  ASSERT_EQ(::mkfifo((dir_ / "pipe.sr").c_str(), 0600), 0);
  std::thread reader([&] {
    std::ifstream in(dir_ / "pipe.sr", std::ios::binary);
    std::ostringstream got;
    got << in.rdbuf();
    std::ofstream(dir_ / "piped.sr", std::ios::binary) << got.str();
  });
  const Result piped = run(script + " --sr pipe.sr");
  reader.join();
  ASSERT_EQ(piped.status, 0) << piped.err;
  EXPECT_TRUE(fs::is_fifo(dir_ / "pipe.sr"));
  const Result r = run(script + " --sr new.sr --bytes run.txt");
  ASSERT_EQ(r.status, 0) << r.err;
  for (const char* session : {"new.sr", "piped.sr"}) {
    const Result d = run(std::string("--decode ") + session + " --bytes decoded.txt --no-term --strict");
    ASSERT_EQ(d.status, 0) << session << "\n" << d.err;
    EXPECT_EQ(byte_lines(slurp(dir_ / "decoded.txt")), byte_lines(slurp(dir_ / "run.txt"))) << session;
  }
  EXPECT_FALSE(byte_lines(slurp(dir_ / "run.txt")).empty());
  EXPECT_EQ(run(script + " --sr /dev/null").status, 0);
}

}  // namespace
}  // namespace qel::tool::test
