// One output file written through a temporary: what the file and its folder
// look like after a commit, after no commit, and after a copy-in that does not
// fit; and what the messages say.
#include "common/staged_file.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <csignal>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

#include "common/user_error.h"

namespace qel::common::test {
namespace {

namespace fs = std::filesystem;

std::string slurp(const fs::path& p) {
  std::ifstream in(p, std::ios::binary);
  std::ostringstream s;
  s << in.rdbuf();
  return s.str();
}

std::vector<std::uint8_t> bytes(const std::string& s) { return {s.begin(), s.end()}; }

class StagedFileTest : public ::testing::Test {
 protected:
  void SetUp() override {
    std::string name = (fs::temp_directory_path() / "qel_staged_XXXXXX").string();
    ASSERT_NE(::mkdtemp(name.data()), nullptr);
    dir_ = name;
  }
  void TearDown() override {
    std::error_code ec;
    fs::permissions(dir_ / "ro", fs::perms::all, ec);
    fs::remove_all(dir_, ec);
  }
  std::size_t entries() const { return static_cast<std::size_t>(std::distance(fs::directory_iterator(dir_), {})); }

  fs::path dir_;
};

// The file written, whatever stands at its name: its permissions kept, a link
// written through and left a link, a name as long as the system allows.
TEST_F(StagedFileTest, CommitPutsTheBytesWhereTheNameLeads) {
  const fs::perms mode = fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read;
  std::ofstream(dir_ / "old") << "old bytes";
  fs::permissions(dir_ / "old", mode);
  fs::create_symlink("old", dir_ / "link");
  // The name written, and where its bytes land.
  for (const auto& [name, lands] : {std::pair<std::string, std::string>{"new", "new"},
                                    {"old", "old"},
                                    {"link", "old"},
                                    {std::string(255, 'n'), std::string(255, 'n')}}) {
    write_whole_file((dir_ / name).string(), "test file", bytes("fresh " + name.substr(0, 4)));
    EXPECT_EQ(slurp(dir_ / lands), "fresh " + name.substr(0, 4)) << name;
  }
  EXPECT_TRUE(fs::is_symlink(dir_ / "link"));
  EXPECT_EQ(fs::status(dir_ / "old").permissions(), mode);
  EXPECT_EQ(entries(), 4u) << "no temporary is left";
}

// Without a commit the file keeps its bytes and the temporary goes.
TEST_F(StagedFileTest, NoCommitLeavesTheFileAsItWas) {
  std::ofstream(dir_ / "keep") << "mine";
  {
    StagedFile staged((dir_ / "keep").string(), "test file");
    std::ofstream(staged.write_path()) << "half of something";
    EXPECT_EQ(entries(), 2u);
  }
  EXPECT_EQ(slurp(dir_ / "keep"), "mine");
  EXPECT_EQ(entries(), 1u);
}

// Names that cannot be written are refused with the file and the system's reason.
TEST_F(StagedFileTest, RefusalsNameTheFileAndTheReason) {
  fs::create_directory(dir_ / "folder");
  for (const auto& [name, why] :
       {std::pair{"folder", "it is a folder."}, {"no/such/x", "No such file or directory."}}) {
    try {
      StagedFile staged((dir_ / name).string(), "test file");
      ADD_FAILURE() << name << " was accepted";
    } catch (const UserError& e) {
      EXPECT_EQ(e.what(), "Cannot write test file '" + (dir_ / name).string() + "': " + why) << name;
    }
  }
}

// A pipe is written into by a stream writer; a writer that needs a regular file
// gets one elsewhere, copied into the pipe at commit. The pipe stays a pipe.
TEST_F(StagedFileTest, PipeIsWrittenIntoNeverReplaced) {
  ASSERT_EQ(::mkfifo((dir_ / "pipe").c_str(), 0600), 0);
  for (const StagedFile::Writer writer : {StagedFile::Writer::Stream, StagedFile::Writer::ByName}) {
    const int reader = ::open((dir_ / "pipe").c_str(), O_RDONLY | O_NONBLOCK);
    ASSERT_GE(reader, 0);
    StagedFile staged((dir_ / "pipe").string(), "test file", writer);
    EXPECT_EQ(staged.write_path() == (dir_ / "pipe").string(), writer == StagedFile::Writer::Stream);
    std::ofstream(staged.write_path()) << "through";
    staged.commit();
    char got[16] = {};
    EXPECT_EQ(::read(reader, got, sizeof got), 7);
    EXPECT_STREQ(got, "through");
    ::close(reader);
    EXPECT_TRUE(fs::is_fifo(dir_ / "pipe"));
  }
  EXPECT_EQ(entries(), 1u);
}

// In a folder that takes no new files the file is filled by copying; when the
// new bytes do not fit, the earlier ones are put back and the message says so.
// Root writes anywhere, so the case runs in a child as the user nobody.
TEST_F(StagedFileTest, CopyInThatDoesNotFitPutsTheOldBytesBack) {
  fs::create_directory(dir_ / "ro");
  fs::create_directory(dir_ / "tmp");
  std::ofstream(dir_ / "ro/out") << "old bytes";
  fs::permissions(dir_, fs::perms::all);
  fs::permissions(dir_ / "tmp", fs::perms::all);
  fs::permissions(dir_ / "ro/out", fs::perms::all);
  fs::permissions(dir_ / "ro",
                  fs::perms::owner_read | fs::perms::owner_exec | fs::perms::others_read | fs::perms::others_exec);
  const std::string message_file = (dir_ / "tmp/message").string();
  const pid_t child = ::fork();
  ASSERT_GE(child, 0);
  if (child == 0) {
    if (::geteuid() == 0 && (::setgid(65534) != 0 || ::setuid(65534) != 0)) ::_exit(3);
    ::setenv("TMPDIR", (dir_ / "tmp").c_str(), 1);
    std::signal(SIGXFSZ, SIG_IGN);
    try {
      StagedFile staged((dir_ / "ro/out").string(), "test file");
      if (!staged.copies_in()) ::_exit(4);
      std::ofstream(staged.write_path()) << std::string(4096, 'n');
      const rlimit small{100, RLIM_INFINITY};  // room for the old bytes, not the new ones
      ::setrlimit(RLIMIT_FSIZE, &small);
      staged.commit();
      ::_exit(5);
    } catch (const UserError& e) {
      const rlimit any{RLIM_INFINITY, RLIM_INFINITY};
      ::setrlimit(RLIMIT_FSIZE, &any);
      std::ofstream(message_file) << e.what();
      ::_exit(0);
    }
  }
  int status = 0;
  ::waitpid(child, &status, 0);
  ASSERT_TRUE(WIFEXITED(status));
  if (WEXITSTATUS(status) == 3) GTEST_SKIP() << "cannot run as the user nobody";
  ASSERT_EQ(WEXITSTATUS(status), 0);
  EXPECT_EQ(slurp(dir_ / "ro/out"), "old bytes");
  EXPECT_EQ(slurp(message_file), "Cannot write test file '" + (dir_ / "ro/out").string() +
                                     "': File too large; its earlier contents were put back.");
  EXPECT_EQ(std::distance(fs::directory_iterator(dir_ / "tmp"), {}), 1) << "only the message is left";
}

}  // namespace
}  // namespace qel::common::test
