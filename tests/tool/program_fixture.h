// Test helper: runs the built qel-lcd-sim in a fresh folder per test (always
// removed). One runner starts it every way a test needs: after shell words (a
// file-size limit, another user), standard input from a file or a FIFO fed as
// the test goes, standard output read back or drawn in a pseudo-terminal, and a
// signal once something holds. Waits have a deadline only so that a broken build
// fails rather than hangs: every check follows from what the program does.
#pragma once

#include <fcntl.h>
#include <gtest/gtest.h>
#include <poll.h>
#include <pty.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iostream>
#include <regex>
#include <sstream>
#include <string>
#include <vector>

#include "bus_waveform.h"

namespace qel::tool::test {

namespace fs = std::filesystem;

inline std::string slurp(const fs::path& p) {
  std::ifstream in(p, std::ios::binary);
  std::ostringstream s;
  s << in.rdbuf();
  return s.str();
}

inline std::vector<std::string> lines_of(const std::string& text) {
  std::vector<std::string> out;
  std::istringstream in(text);
  for (std::string l; std::getline(in, l);) out.push_back(l);
  return out;
}

// Standard error without the findings' lines ("finding: ..."), for tests about
// the other messages.
inline std::string without_findings(const std::string& err) {
  std::string kept;
  for (const std::string& l : lines_of(err)) {
    if (l.rfind("finding: ", 0) != 0) kept += l + "\n";
  }
  return kept;
}

// A waveform as a VCD capture, one change every `step_ns`, with the given signal
// name for each line (empty: not in the capture).
inline std::string as_vcd(const qel::emu::test::Waveform& wave, const std::vector<std::string>& names,
                          std::uint64_t step_ns = 1000) {
  std::string vcd = "$timescale 1 ns $end\n$scope module board $end\n";
  for (std::size_t i = 0; i < names.size(); ++i) {
    if (!names[i].empty()) vcd += "$var wire 1 " + std::string(1, char('!' + i)) + " " + names[i] + " $end\n";
  }
  vcd += "$upscope $end\n$enddefinitions $end\n#0\n";
  for (std::size_t i = 0; i < names.size(); ++i) {
    if (!names[i].empty()) vcd += (i == 3 ? "1" : "0") + std::string(1, char('!' + i)) + "\n";  // reset released
  }
  std::uint64_t t = 0;
  for (const auto& c : wave.changes()) {
    const auto i = static_cast<std::size_t>(c.line);
    if (names[i].empty()) continue;
    vcd += "#" + std::to_string(t += step_ns) + "\n" + (c.level ? "1" : "0") + std::string(1, char('!' + i)) + "\n";
  }
  return vcd;
}

// The byte lines of a byte log, without its "# call" lines: a decoder cannot tell calls apart.
inline std::string byte_lines(const std::string& log) {
  std::string out;
  for (const std::string& l : lines_of(log)) {
    if (l.rfind("# ", 0) != 0) out += l + "\n";
  }
  return out;
}

struct Result {
  int status = -1;  // the exit status; -1 when a signal ended the program
  int signal = 0;   // the signal that ended it
  std::string out, err;
};

// How the program is started, in the test's folder: with `args` (already
// shell-quoted, and they may hold redirections: ">/dev/full", ">&-", "<s.qel")
// after the shell words `prefix`, which end in exec ("ulimit -f 0; exec", "exec
// setpriv ..."), and standard input from the file or FIFO `in` unless `args`
// redirect it; standard output a pseudo-terminal of 60 rows of 200 columns when
// `terminal`.
struct Launch {
  explicit Launch(std::string a, std::string p = "exec", std::string i = "/dev/null")
      : args(std::move(a)), prefix(std::move(p)), in(std::move(i)) {}
  std::string args, prefix, in;
  bool terminal = false;
};

// The program running; what it writes to standard output (a pipe or the
// terminal) and standard error (a pipe) is read as it comes, so that neither
// side waits on the other.
class Running {
 public:
  Running(const fs::path& dir, const Launch& how) {
    const std::string command =
        "cd '" + dir.string() + "' || exit 127\n" + how.prefix + " '" QEL_SIM_PROGRAM "' <'" + how.in + "' " + how.args;
    int out[2] = {-1, -1}, err[2] = {-1, -1};
    if (::pipe2(err, O_CLOEXEC) != 0 || (!how.terminal && ::pipe2(out, O_CLOEXEC) != 0)) return;
    winsize size{};
    size.ws_row = 60;
    size.ws_col = 200;
    pid_ = how.terminal ? ::forkpty(&out[0], nullptr, nullptr, &size) : ::fork();
    if (pid_ == 0) {
      if (!how.terminal) ::dup2(out[1], STDOUT_FILENO);
      ::dup2(err[1], STDERR_FILENO);
      ::execl("/bin/sh", "sh", "-c", command.c_str(), static_cast<char*>(nullptr));
      ::_exit(127);
    }
    for (const int end : {out[1], err[1]}) ::close(end);
    streams_[0] = out[0];
    streams_[1] = err[0];
  }
  ~Running() {
    if (pid_ > 0 && !ended_) {
      ::kill(pid_, SIGKILL);
      ::waitpid(pid_, nullptr, 0);
    }
    for (const int fd : {streams_[0], streams_[1], fifo_}) ::close(fd);
  }

  // Opens the FIFO the program reads, once the program has opened its end.
  bool open_fifo(const fs::path& fifo) {
    for (const auto end = Clock::now() + kDeadline; Clock::now() < end; pump(0)) {
      fifo_ = ::open(fifo.c_str(), O_WRONLY | O_NONBLOCK | O_CLOEXEC);
      if (fifo_ >= 0 || errno != ENXIO) return fifo_ >= 0;
    }
    return false;
  }
  // Writes `bytes` to the FIFO.
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

  // Reads the output until `holds`; false if the output ends first without it.
  bool until(const std::function<bool()>& holds) {
    for (const auto end = Clock::now() + kDeadline; Clock::now() < end;) {
      if (holds()) return true;
      if (!pump(0)) return holds();
    }
    return false;
  }
  void signal(int number) const { ::kill(pid_, number); }

  // Waits for the end: the exit status or the signal, and all the output.
  Result finish() {
    for (const auto end = Clock::now() + kDeadline; pump(0) && Clock::now() < end;) {
    }
    int raw = 0;
    if (pid_ > 0 && streams_[0] < 0 && streams_[1] < 0 && ::waitpid(pid_, &raw, 0) == pid_) {
      ended_ = true;
      got_.status = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
      got_.signal = WIFSIGNALED(raw) ? WTERMSIG(raw) : 0;
    } else {
      ADD_FAILURE() << "the program did not end in time";
    }
    return got_;
  }

  // What the terminal shows, its redraw codes taken out: each drawing one after another.
  std::string screen() const {
    static const std::regex codes("\r|\x1B\\[[0-9]*[AK]");
    return std::regex_replace(got_.out, codes, "");
  }

 private:
  using Clock = std::chrono::steady_clock;
  static constexpr std::chrono::seconds kDeadline{60};

  // Waits a little for output (or for room in the FIFO with POLLOUT) and takes
  // what came; false once both streams are closed.
  bool pump(short fifo_events) {
    pollfd p[3] = {{streams_[0], POLLIN, 0}, {streams_[1], POLLIN, 0}, {fifo_, fifo_events, 0}};
    ::poll(p, fifo_events != 0 ? 3 : 2, 20);
    for (int i = 0; i < 2; ++i) {
      if (streams_[i] < 0 || (p[i].revents & (POLLIN | POLLHUP | POLLERR)) == 0) continue;
      char buffer[65536];
      const ssize_t got = ::read(streams_[i], buffer, sizeof buffer);
      if (got > 0) {
        (i == 0 ? got_.out : got_.err).append(buffer, static_cast<std::size_t>(got));
      } else {  // the end, or EIO from a terminal whose program has ended
        ::close(streams_[i]);
        streams_[i] = -1;
      }
    }
    return streams_[0] >= 0 || streams_[1] >= 0;
  }

  pid_t pid_ = -1;
  int streams_[2] = {-1, -1};  // standard output, standard error
  int fifo_ = -1;
  bool ended_ = false;
  Result got_;
};

class ProgramRun : public ::testing::Test {
 protected:
  void SetUp() override {
    // One fresh folder per test; parameterised names hold '/', which would nest folders.
    std::string name = (fs::temp_directory_path() / "qel_tool_XXXXXX").string();
    ASSERT_NE(mkdtemp(name.data()), nullptr);
    dir_ = name;
  }
  // Always removed, so runs leave nothing behind; QEL_KEEP_TEST_FILES keeps a failing test's files.
  void TearDown() override {
    if (HasFailure() && std::getenv("QEL_KEEP_TEST_FILES") != nullptr) {
      std::cerr << "Files of the failed test kept in " << dir_ << "\n";
      return;
    }
    std::error_code ec;
    fs::remove_all(dir_, ec);
  }

  // The file `name` in the test's folder, written with `text` unless that is empty.
  fs::path file(const std::string& name, const std::string& text = "") {
    if (!text.empty()) std::ofstream(dir_ / name, std::ios::binary) << text;
    return dir_ / name;
  }

  // Runs the program with `args` (already shell-quoted) and `stdin_text` (if any) on standard input.
  Result run(const std::string& args, const std::string& stdin_text = "") {
    return run(Launch(args, "exec", stdin_text.empty() ? "/dev/null" : file("stdin.txt", stdin_text).string()));
  }
  Result run(const Launch& how) { return Running(dir_, how).finish(); }

  fs::path dir_;
};

}  // namespace qel::tool::test
