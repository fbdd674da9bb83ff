// What a run does to the user's files, output by output and failure by failure.
// A run that fails for any reason (a bad call, a full disk, another output that
// cannot be written, a signal) leaves every existing file as it was and no
// temporary behind; a run that succeeds replaces each output whole, writes
// through a symbolic link, keeps the file's permissions, fills a file whose
// folder takes no new files, and never replaces an input.
#include <sys/stat.h>

#include <algorithm>
#include <string>
#include <vector>

#include "program_fixture.h"

namespace qel::tool::test {
namespace {

struct Output {
  const char* option;
  const char* name;  // the file (or folder) in the test's folder
  const char* what;  // as messages name it
  friend void PrintTo(const Output& o, std::ostream* os) { *os << o.option; }
};

const Output kOutputs[] = {
    {"--bytes", "out.txt", "byte log file"},      {"--vcd", "out.vcd", "VCD file"},
    {"--sr", "out.sr", "sigrok session"},         {"--png", "out.png", "PNG file"},
    {"--text", "text.txt", "text file"},          {"--commands", "cmd.txt", "command listing file"},
    {"--report", "out.html", "report file"},      {"--gif", "out.gif", "GIF file"},
    {"--diff-png", "diff.png", "diff image"},     {"--frames", "fr", "frames folder"},
    {"--findings", "found.tsv", "findings file"},
};

// What happens to the output: a run that fails (a bad call, a full disk,
// another output that cannot be written, a signal), or one that succeeds with
// the output's name a symbolic link, a hard link of the script, or a file in a
// folder that takes no new files.
enum class Case { BadCall, DiskFull, OtherOutputFails, Signal, Link, HardLinkToScript, CopyIn };
const char* const kCaseNames[] = {"BadCall",          "DiskFull", "OtherOutputFails", "Signal", "Link",
                                  "HardLinkToScript", "CopyIn"};
void PrintTo(Case c, std::ostream* os) { *os << kCaseNames[static_cast<int>(c)]; }

constexpr const char* kScript = "QEL_LCD_Init();\nQEL_LCD_WriteString(\"Hi\", 2);\nQEL_LCD_WriteValue(7, 10, 3);\n";
constexpr const char* kOld = "the user's own file\n";

class OutputSafety : public ProgramRun {
 protected:
  void SetUp() override {
    ProgramRun::SetUp();
    file("s.qel", kScript);
    file("bad.qel", "QEL_LCD_Init();\nQEL_LCD_ClearLine(1);\nQEL_LCD_ClearLine(300);\n");
    file("golden.png", slurp_example_picture());
    fs::create_directory(dir_ / "tmp");
  }

  // A picture that differs from the script's, for --expect-png.
  std::string slurp_example_picture() {
    EXPECT_EQ(run("-e 'QEL_LCD_Init()' --png golden.png --no-term").status, 0);
    return slurp(dir_ / "golden.png");
  }

  // Every file and folder that was there before, with its old bytes.
  void plant(const Output& o) {
    if (std::string(o.option) == "--frames") {
      fs::create_directory(dir_ / o.name);
      for (int i = 1; i <= 5; ++i) file(std::string(o.name) + "/frame_000" + std::to_string(i) + ".png", kOld);
    } else {
      file(o.name, kOld);
    }
  }

  void expect_untouched(const Output& o, const std::string& why) {
    if (std::string(o.option) == "--frames") {
      std::size_t count = 0;
      for (const auto& e : fs::directory_iterator(dir_ / o.name)) {
        ++count;
        EXPECT_EQ(slurp(e.path()), kOld) << why << ": " << e.path();
      }
      EXPECT_EQ(count, 5u) << why;
    } else {
      EXPECT_EQ(slurp(dir_ / o.name), kOld) << why;
    }
    EXPECT_EQ(temporaries(), std::vector<std::string>{}) << why;
  }

  // Anything a staged write may leave: hidden names, anywhere below the folder.
  std::vector<std::string> temporaries() const {
    std::vector<std::string> found;
    for (const auto& e : fs::recursive_directory_iterator(dir_)) {
      if (e.path().filename().string()[0] == '.') found.push_back(e.path().string());
    }
    return found;
  }

  std::string arguments(const Output& o, const char* script) const {
    std::string args = std::string("--script ") + script + " --no-term " + o.option + " " + o.name;
    if (std::string(o.option) == "--diff-png") args += " --expect-png golden.png";
    return args;
  }

  // In a folder that takes no new files, a writable output is staged elsewhere
  // and copied in. Root writes anywhere, so as root the program runs as nobody.
  void expect_copy_in(const Output& o) {
    std::string prefix = "export TMPDIR='" + (dir_ / "tmp").string() + "'; exec";
    if (::geteuid() == 0) {
      if (std::system("command -v setpriv >/dev/null") != 0) GTEST_SKIP() << "running as root without setpriv";
      prefix += " setpriv --reuid=65534 --regid=65534 --clear-groups";
      if (run(Launch("--version", prefix)).status != 0) GTEST_SKIP() << "the user nobody cannot run the program";
    }
    for (const fs::path& p : {dir_, dir_ / "tmp", dir_ / "s.qel", dir_ / "bad.qel", dir_ / "golden.png"}) {
      fs::permissions(p, fs::perms::all);
    }
    const std::string name = std::string("ro/") + o.name;
    fs::create_directory(dir_ / "ro");
    fs::permissions(file(name, kOld), fs::perms::all);
    fs::permissions(dir_ / "ro",
                    fs::perms::owner_read | fs::perms::owner_exec | fs::perms::others_read | fs::perms::others_exec);
    const Output in_ro{o.option, name.c_str(), o.what};
    EXPECT_EQ(run(Launch(arguments(in_ro, "bad.qel"), prefix)).status, 2);
    EXPECT_EQ(slurp(dir_ / name), kOld);
    EXPECT_NE(run(Launch(arguments(in_ro, "s.qel"), prefix)).status, 2);
    EXPECT_NE(slurp(dir_ / name), kOld);
    EXPECT_TRUE(fs::is_empty(dir_ / "tmp")) << "the staged file is removed";
    fs::permissions(dir_ / "ro", fs::perms::all);
  }

  // The program reading its script from a pipe that stays open: once a staged
  // temporary appears, it gets `signal`. Returns the signal it died of.
  int run_until_signal(const std::string& args, int signal) {
    EXPECT_EQ(::mkfifo((dir_ / "calls").c_str(), 0600), 0);
    Running program(dir_, Launch{args, "exec", "calls"});
    EXPECT_TRUE(program.open_fifo(dir_ / "calls") && program.feed("QEL_LCD_Init();\n"));
    EXPECT_TRUE(program.until([&] { return !temporaries().empty(); })) << "the run staged nothing";
    program.signal(signal);
    const int died_of = program.finish().signal;
    fs::remove(dir_ / "calls");
    return died_of;
  }
};

class EveryOutput : public OutputSafety, public ::testing::WithParamInterface<std::tuple<Output, Case>> {};

TEST_P(EveryOutput, KeepsTheUsersFiles) {
  const auto [output, c] = GetParam();
  const bool frames = std::string(output.option) == "--frames", diff = std::string(output.option) == "--diff-png";
  if (frames && c >= Case::Link) GTEST_SKIP() << "FramesFolderHoldsThisRunsFrames";
  plant(output);
  switch (c) {
    case Case::BadCall: {
      const Result r = run(arguments(output, "bad.qel"));
      EXPECT_EQ(r.status, 2) << r.err;
      EXPECT_NE(r.err.find("bad.qel:3:"), std::string::npos) << r.err;
      break;
    }
    case Case::DiskFull: {
      // Every regular-file write fails, as on a full disk: the file-size limit is 0 (and SIGXFSZ ignored).
      const Result r = run(Launch{arguments(output, "s.qel"), "trap '' XFSZ; ulimit -f 0; exec"});
      EXPECT_EQ(r.status, 2) << r.err;
      const std::string why = std::string("Cannot write ") + output.what + " '" + output.name;
      EXPECT_NE(r.err.find(why), std::string::npos) << r.err;
      EXPECT_NE(r.err.find("File too large"), std::string::npos) << r.err;
      break;
    }
    case Case::OtherOutputFails: {
      const bool png = std::string(output.option) == "--png";
      const Result r = run(arguments(output, "s.qel") + (png ? " --bytes /dev/full" : " --png /dev/full"));
      EXPECT_EQ(r.status, 2) << r.err;
      EXPECT_NE(r.err.find("No space left on device"), std::string::npos) << r.err;
      break;
    }
    case Case::Signal:
      if (diff || std::string(output.option) == "--text") GTEST_SKIP() << "made only at the end of the run";
      EXPECT_EQ(run_until_signal(std::string("--script - --no-term ") + output.option + " " + output.name, SIGTERM),
                SIGTERM);
      break;
    case Case::Link: {  // written whole through the link, the mode kept (the staged file's own test has the rest)
      const fs::perms mode = fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read;
      fs::create_directory(dir_ / "real");
      file(std::string("real/") + output.name, std::string(100000, 'x'));
      fs::permissions(dir_ / "real" / output.name, mode);
      fs::remove(dir_ / output.name);
      fs::create_symlink(std::string("real/") + output.name, dir_ / output.name);
      EXPECT_EQ(run(arguments(output, "s.qel")).status, diff ? 1 : 0);
      EXPECT_TRUE(fs::is_symlink(dir_ / output.name));
      const std::string now = slurp(dir_ / "real" / output.name);
      EXPECT_TRUE(!now.empty() && now != std::string(100000, 'x'));
      EXPECT_EQ(fs::status(dir_ / "real" / output.name).permissions(), mode);
      EXPECT_EQ(temporaries(), std::vector<std::string>{});
      return;
    }
    case Case::HardLinkToScript: {  // refused before anything is written
      fs::remove(dir_ / output.name);
      fs::create_hard_link(dir_ / "s.qel", dir_ / output.name);
      const Result r = run(arguments(output, "s.qel"));
      EXPECT_EQ(r.status, 2);
      EXPECT_NE(r.err.find("is the script file"), std::string::npos) << r.err;
      EXPECT_EQ(slurp(dir_ / "s.qel"), kScript);
      return;
    }
    case Case::CopyIn:  // staged elsewhere and copied in: a failed run leaves it whole, a good one fills it
      expect_copy_in(output);
      return;
  }
  expect_untouched(output, kCaseNames[static_cast<int>(c)]);
}

INSTANTIATE_TEST_SUITE_P(Table, EveryOutput,
                         ::testing::Combine(::testing::ValuesIn(kOutputs),
                                            ::testing::Values(Case::BadCall, Case::DiskFull, Case::OtherOutputFails,
                                                              Case::Signal, Case::Link, Case::HardLinkToScript,
                                                              Case::CopyIn)),
                         [](const auto& info) {
                           std::string name = std::string(std::get<0>(info.param).option + 2) + "_" +
                                              kCaseNames[static_cast<int>(std::get<1>(info.param))];
                           for (char& c : name) c = c == '-' ? '_' : c;
                           return name;
                         });

// Every fatal signal the program can get mid-run cleans up the same way.
TEST_F(OutputSafety, EveryFatalSignalRemovesTheTemporaries) {
  for (int signal : {SIGINT, SIGTERM, SIGHUP, SIGPIPE}) {
    plant(kOutputs[0]);
    EXPECT_EQ(run_until_signal("--script - --no-term --bytes out.txt --sr out.sr --frames fr", signal), signal);
    expect_untouched(kOutputs[0], strsignal(signal));
  }
}

// The frames folder holds exactly this run's frames: a longer earlier run's are
// removed (and said so), a link of a frame's name is replaced, not written
// through, and an input named like a frame in the folder is refused.
TEST_F(OutputSafety, FramesFolderHoldsThisRunsFrames) {
  plant(kOutputs[9]);
  fs::remove(dir_ / "fr/frame_0001.png");
  fs::create_symlink("../s.qel", dir_ / "fr/frame_0001.png");
  const Result r = run("--script s.qel --no-term --frames fr");
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_NE(r.err.find("Removed 2 frames of an earlier, longer run from 'fr'."), std::string::npos) << r.err;
  EXPECT_EQ(slurp(dir_ / "s.qel"), kScript);
  EXPECT_FALSE(fs::is_symlink(dir_ / "fr/frame_0001.png"));
  std::vector<std::string> names;
  for (const auto& e : fs::directory_iterator(dir_ / "fr")) names.push_back(e.path().filename().string());
  std::sort(names.begin(), names.end());
  EXPECT_EQ(names, (std::vector<std::string>{"frame_0001.png", "frame_0002.png", "frame_0003.png"}));
  EXPECT_NE(slurp(dir_ / "fr/frame_0002.png"), slurp(dir_ / "fr/frame_0003.png"));

  const std::string golden = slurp(dir_ / "fr/frame_0002.png");
  const Result clash = run("--script s.qel --no-term --frames fr --expect-png fr/frame_0002.png");
  EXPECT_EQ(clash.status, 2);
  EXPECT_NE(clash.err.find("The frames folder 'fr' would replace the golden PNG 'fr/"), std::string::npos) << clash.err;
  EXPECT_EQ(slurp(dir_ / "fr/frame_0002.png"), golden);
}

}  // namespace
}  // namespace qel::tool::test
