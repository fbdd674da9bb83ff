// qel-lcd-sim --sr as a user relies on it: the session takes the place of an
// existing file only when the whole run succeeded, reads back to the run's
// bytes, and never names an input or another output.
#include <gtest/gtest.h>
#include <unistd.h>

#include <string>
#include <vector>

#include "program_fixture.h"

namespace qel::tool::test {
namespace {

class SessionOutput : public ProgramRun {
 protected:
  // Names in the test's folder other than the program's own stdout/stderr files.
  std::vector<std::string> leftovers(const std::vector<std::string>& expected) const {
    std::vector<std::string> extra;
    for (const auto& entry : fs::directory_iterator(dir_)) {
      const std::string name = entry.path().filename().string();
      if (name == "stdout.txt" || name == "stderr.txt") continue;
      bool known = false;
      for (const std::string& e : expected) known = known || e == name;
      if (!known) extra.push_back(name);
    }
    return extra;
  }
};

const char* const kValues = "--script '" QEL_EXAMPLES_DIR "/values.qel'";

// A run that fails, after the session was packed or while its samples were
// being taken: the file at the --sr path keeps its bytes, and no temporary is
// left beside it.
TEST_F(SessionOutput, FailedRunLeavesTheFileAsItWas) {
  const struct {
    const char* name;
    std::string args;
  } cases[] = {
      {"PNG write fails", std::string(kValues) + " --png /dev/full"},
      {"golden PNG missing", std::string(kValues) + " --expect-png missing.png"},
      {"text file write fails", std::string(kValues) + " --text /dev/full"},
      {"script stops at a bad call", "-e 'QEL_LCD_Init()' -e 'QEL_LCD_Nope()'"},
  };
  const std::string before = "user's own session, not to be lost\n";
  for (const auto& c : cases) {
    file("keep.sr", before);
    const Result r = run(c.args + " --sr keep.sr --no-term");
    EXPECT_EQ(r.status, 2) << c.name << "\n" << r.err;
    EXPECT_TRUE(slurp(dir_ / "keep.sr") == before) << c.name << ": the file was replaced";
    EXPECT_EQ(leftovers({"keep.sr"}), std::vector<std::string>{}) << c.name;
  }
}

// The session of a good run decodes to the bytes the run itself logged, and
// comes through a symbolic link to its target, leaving the link a link. A file
// replaced keeps its permissions; files beside it of related names are not
// touched by the writer's scratch files.
TEST_F(SessionOutput, GoodRunReadsBackToTheSameBytes) {
  file("old.sr", "to be replaced");
  fs::permissions(dir_ / "old.sr", fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
  file("new.sr.samples.tmp", "mine\n");
  ASSERT_EQ(::symlink("old.sr", (dir_ / "link.sr").c_str()), 0);
  for (const char* target : {"new.sr", "old.sr", "link.sr"}) {
    const Result r = run(std::string(kValues) + " --sr " + target + " --bytes run.txt --no-term");
    ASSERT_EQ(r.status, 0) << target << "\n" << r.err;
    const Result d = run(std::string("--decode ") + target + " --bytes decoded.txt --no-term --strict");
    ASSERT_EQ(d.status, 0) << target << "\n" << d.err;
    // The decoder cannot tell calls apart; compare the byte lines only.
    std::string ran, decoded;
    for (const std::string& l : lines_of(slurp(dir_ / "run.txt")))
      if (l.rfind('#', 0) != 0) ran += l + "\n";
    for (const std::string& l : lines_of(slurp(dir_ / "decoded.txt")))
      if (l.rfind('#', 0) != 0) decoded += l + "\n";
    EXPECT_FALSE(ran.empty()) << target;
    EXPECT_EQ(decoded, ran) << target;
  }
  EXPECT_TRUE(fs::is_symlink(dir_ / "link.sr"));
  EXPECT_EQ(fs::status(dir_ / "old.sr").permissions() & fs::perms::all,
            fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
  EXPECT_EQ(slurp(dir_ / "new.sr.samples.tmp"), "mine\n");
  EXPECT_EQ(leftovers({"new.sr", "old.sr", "link.sr", "run.txt", "decoded.txt", "new.sr.samples.tmp"}),
            std::vector<std::string>{});
}

// A device is written into, never replaced by a regular file.
TEST_F(SessionOutput, DeviceIsWrittenInto) {
  const Result r = run(std::string(kValues) + " --sr /dev/null --no-term");
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_TRUE(fs::is_character_file("/dev/null"));
}

TEST_F(SessionOutput, ClashesAndStandardOutputAreRefused) {
  file("script.qel", "QEL_LCD_Init()\n");
  file("x", "mine\n");
  const struct {
    std::string args;
    std::string err;
  } cases[] = {
      {"--script script.qel --sr x --bytes x", "are the same file 'x'"},
      {"--script script.qel --sr script.qel", "The sigrok session 'script.qel' is the script file"},
      {"--script script.qel --sr -", "Cannot write sigrok session '-': a session is a ZIP archive"},
  };
  for (const auto& c : cases) {
    const Result r = run(c.args + " --no-term");
    EXPECT_EQ(r.status, 2) << c.args << "\n" << r.err;
    EXPECT_NE(r.err.find(c.err), std::string::npos) << c.args << "\n" << r.err;
    EXPECT_EQ(slurp(dir_ / "script.qel"), "QEL_LCD_Init()\n") << c.args;
    EXPECT_EQ(slurp(dir_ / "x"), "mine\n") << c.args;
  }
}

}  // namespace
}  // namespace qel::tool::test
