// Test helper: runs the built qel-lcd-sim in a fresh folder per test (always
// removed), with standard input, output and error kept in files and read back.
#pragma once

#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iostream>
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
  int status = -1;
  std::string out, err;
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

  // Runs the program in the test's folder with `args` (already shell-quoted);
  // `stdout_redirect` says where standard output goes.
  Result run(const std::string& args, const std::string& stdin_text = "",
             const std::string& stdout_redirect = ">stdout.txt") {
    // Standard input from a file only when there is something to read.
    fs::path in = "/dev/null";
    if (!stdin_text.empty()) {
      in = dir_ / "stdin.txt";
      std::ofstream(in, std::ios::binary) << stdin_text;
    }
    std::ofstream(dir_ / "stdout.txt", std::ios::binary | std::ios::trunc);
    const std::string cmd = "cd '" + dir_.string() + "' && '" QEL_SIM_PROGRAM "' " + args + " <'" + in.string() + "' " +
                            stdout_redirect + " 2>stderr.txt";
    Result r;
    const int raw = std::system(cmd.c_str());
    r.status = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
    r.out = slurp(dir_ / "stdout.txt");
    r.err = slurp(dir_ / "stderr.txt");
    return r;
  }

  fs::path dir_;
};

}  // namespace qel::tool::test
